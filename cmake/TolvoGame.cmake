# tolvo_add_game: a game on Tolvo as a program, the same in this tree and in a game's own
# project (find_package(Tolvo) includes this file from the installed package).
#
#   tolvo_add_game(NAME SOURCES files...
#                  [IMAGES folder] [SOUNDS folder] [TITLE text] [LIBS libraries...]
#                  [SITE folder] [NO_LAUNCHER])
#
# The game's sources define initialize() and run(); the engine brings the entry and the
# loop. IMAGES and SOUNDS are the game's folders of TIF pictures and WAV sounds, found at
# run time as Images\ and Sounds\ beside the program. TITLE names the window (and the
# Windows launcher and the web page); it defaults to NAME.
#
# What it makes depends on the toolchain:
#   native (Linux)  NAME, with Images/ and Sounds/ copied beside it, in the current build
#                   folder (or where the project puts its programs; in Tolvo's own tree a
#                   game in a subfolder that brings folders of its own keeps to that
#                   subfolder's build folder);
#   mingw-w64       NAME.exe (the real Win32, DirectDraw and DirectSound) with Images/ and
#                   Sounds/ beside it, and unless NO_LAUNCHER "TITLE.exe", which starts
#                   NAME.exe with Windows' 16-bit colour setting (target NAME-launcher);
#   Emscripten      the web site in SITE (default: the folder NAME-web in the current
#                   build folder): index.html, NAME.js, NAME.wasm and the game's files as
#                   game-files.tar.gz, remade after each link (target NAME).
#
# Tolvo::tolvo (the engine) and Tolvo::main (the program's entry and the hosts) must
# exist: the package defines them, and so does this tree. TOLVO_MAKE_SITE (the web site's
# maker) and TOLVO_LAUNCHER_SOURCE (the launcher's source) name the data it uses.

function(tolvo_add_game name)
    cmake_parse_arguments(G "NO_LAUNCHER" "TITLE;IMAGES;SOUNDS;SITE" "SOURCES;LIBS" ${ARGN})
    if(NOT G_SOURCES)
        message(FATAL_ERROR "tolvo_add_game(${name}): SOURCES is empty")
    endif()
    if(G_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "tolvo_add_game(${name}): unknown arguments ${G_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT G_TITLE)
        set(G_TITLE ${name})
    endif()
    # The folders as the game finds them at run time, whatever their names here.
    set(folders)
    set(leaves)
    foreach(kind IMAGES:Images SOUNDS:Sounds)
        string(REPLACE ":" ";" kind ${kind})
        list(GET kind 0 keyword)
        list(GET kind 1 leaf)
        if(G_${keyword})
            get_filename_component(folder "${G_${keyword}}" ABSOLUTE)
            list(APPEND folders ${folder})
            list(APPEND leaves ${leaf})
        endif()
    endforeach()

    if(WIN32)
        add_executable(${name} WIN32 ${G_SOURCES})
    else()
        # main() names an untitled window by this symbol (TOLVO_TITLE still wins).
        set(title_source ${CMAKE_CURRENT_BINARY_DIR}/${name}_title.cpp)
        string(REPLACE "\\" "\\\\" title "${G_TITLE}")
        string(REPLACE "\"" "\\\"" title "${title}")
        file(CONFIGURE OUTPUT ${title_source} CONTENT
             "// The title of ${name}'s untitled window, made by tolvo_add_game.\nextern const char* const TOLVO_PROGRAM_TITLE = \"@title@\";\n"
             @ONLY)
        add_executable(${name} ${G_SOURCES} ${title_source})
    endif()
    # The entry first: it is what asks for the game's hooks and the engine's WinMain.
    target_link_libraries(${name} PRIVATE Tolvo::main ${G_LIBS} Tolvo::tolvo)
    # The same frames on every host and toolchain: no fused multiply-adds changing a
    # float's result.
    target_compile_options(${name} PRIVATE -ffp-contract=off)

    if(EMSCRIPTEN)
        if(NOT G_SITE)
            set(G_SITE ${CMAKE_CURRENT_BINARY_DIR}/${name}-web)
        endif()
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${G_SITE})
        set(packs)
        foreach(folder leaf IN ZIP_LISTS folders leaves)
            list(APPEND packs --pack-as ${leaf} ${folder})
        endforeach()
        _tolvo_python(python)
        # The site is made after each link: a changed page or site maker links again.
        get_filename_component(web_folder ${TOLVO_MAKE_SITE} DIRECTORY)
        file(GLOB site_makers ${web_folder}/*.py ${web_folder}/page/*)
        set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${site_makers})
        add_custom_command(TARGET ${name} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E env PYTHONDONTWRITEBYTECODE=1
                    ${python} ${TOLVO_MAKE_SITE} --build ${G_SITE} --program ${name}
                    --title ${G_TITLE} ${packs}
            COMMENT "Making ${name}'s web site in ${G_SITE}"
            VERBATIM)
        return()
    endif()

    # Images/ and Sounds/ beside the program, copied again when a file in them changes;
    # a folder that already is there (made there by the build) is left alone. A game that
    # brings folders of its own, declared in a subfolder of a project whose programs all
    # go to one folder (as in Tolvo's tree), goes to a folder of its own instead, so that
    # its pictures never mix with another program's.
    get_target_property(program_folder ${name} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT program_folder)
        set(program_folder ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    set(copies)
    foreach(folder leaf IN ZIP_LISTS folders leaves)
        if(NOT folder STREQUAL "${program_folder}/${leaf}")
            list(APPEND copies ${folder} ${leaf})
        endif()
    endforeach()
    if(copies AND program_folder STREQUAL CMAKE_BINARY_DIR
       AND NOT CMAKE_CURRENT_BINARY_DIR STREQUAL CMAKE_BINARY_DIR)
        set(program_folder ${CMAKE_CURRENT_BINARY_DIR})
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${program_folder})
    endif()
    while(copies)
        list(POP_FRONT copies folder leaf)
        set(copy_target ${name}-copy-${leaf})
        file(GLOB_RECURSE files CONFIGURE_DEPENDS ${folder}/*)
        set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${copy_target}.stamp)
        add_custom_command(OUTPUT ${stamp}
            COMMAND ${CMAKE_COMMAND} -DFROM=${folder} -DTO=$<TARGET_FILE_DIR:${name}>/${leaf}
                    -P ${_TOLVO_GAME_DIR}/TolvoCopyFolder.cmake
            COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
            DEPENDS ${files}
            COMMENT "Copying ${name}'s ${leaf}"
            VERBATIM)
        add_custom_target(${copy_target} DEPENDS ${stamp})
        add_dependencies(${name} ${copy_target})
    endwhile()

    if(WIN32 AND NOT G_NO_LAUNCHER)
        string(REPLACE "\\" "\\\\" title "${G_TITLE}")
        string(REPLACE "\"" "\\\"" title "${title}")
        add_executable(${name}-launcher WIN32 ${TOLVO_LAUNCHER_SOURCE})
        target_compile_definitions(${name}-launcher PRIVATE
            "TOLVO_LAUNCHER_GAME=L\"${name}.exe\"" "TOLVO_LAUNCHER_TITLE=L\"${title}\"")
        set_target_properties(${name}-launcher PROPERTIES OUTPUT_NAME "${G_TITLE}"
                              RUNTIME_OUTPUT_DIRECTORY ${program_folder})
        add_dependencies(${name} ${name}-launcher)
    endif()
endfunction()

# The Python that makes the web site: the tree's own where it is set.
function(_tolvo_python out)
    if(TOLVO_PYTHON)
        set(${out} ${TOLVO_PYTHON} PARENT_SCOPE)
        return()
    endif()
    find_program(TOLVO_SITE_PYTHON NAMES python3 REQUIRED)
    set(${out} ${TOLVO_SITE_PYTHON} PARENT_SCOPE)
endfunction()

set(_TOLVO_GAME_DIR ${CMAKE_CURRENT_LIST_DIR})
