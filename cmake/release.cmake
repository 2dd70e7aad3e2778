# What a player receives: the game's icon, on Windows its resources (icon and version)
# and the launcher that gives it a 16-bit desktop, elsewhere the install rules for the
# standard Linux places. Included from the top CMakeLists.txt once the game exists.

# The name a player knows the game by: the installed program, its data folder (the
# platform finds ../share/NAME beside a program called NAME), its desktop entry and icon.
set(TOLVO_GAME_NAME muffin-meltdown)
set(TOLVO_GAME_TITLE "Muffin Meltdown")
# The day this version was released, for the AppStream release list.
set(TOLVO_RELEASE_DATE 2026-12-08)
# The game's AppStream id (reverse domain name) and web address; its screenshots are
# looked for under HOMEPAGE/screenshots/ (the pictures of docs/screenshots/).
set(TOLVO_APPSTREAM_ID org.example.muffinmeltdown CACHE STRING "AppStream component id")
set(TOLVO_HOMEPAGE https://muffin-meltdown.example.org CACHE STRING "The game's web address")

# The icon, drawn by our generator at every size a desktop asks for, into Icons/.
set(TOLVO_ICONS_DIR ${CMAKE_BINARY_DIR}/Icons)
set(TOLVO_ICON_SIZES 16 24 32 48 64 128 256)
set(icon_outputs ${TOLVO_ICONS_DIR}/muffins.ico)
foreach(size ${TOLVO_ICON_SIZES})
    list(APPEND icon_outputs ${TOLVO_ICONS_DIR}/icon-${size}.png)
endforeach()
add_custom_command(
    OUTPUT ${icon_outputs}
    COMMAND ${CMAKE_COMMAND} -E env PYTHONDONTWRITEBYTECODE=1
            ${TOLVO_PYTHON} ${CMAKE_SOURCE_DIR}/assets/make_icons.py --out ${TOLVO_ICONS_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/assets/make_icons.py ${CMAKE_SOURCE_DIR}/assets/artlib/icon.py
            ${CMAKE_SOURCE_DIR}/assets/artlib/muffin.py ${CMAKE_SOURCE_DIR}/assets/artlib/canvas.py
    COMMENT "Drawing the game's icon into Icons/"
    VERBATIM)
# Built with the art, as the desktop's install needs it; Windows needs it for the
# programs' resources and builds it on their demand.
if(TOLVO_ART AND NOT WIN32)
    add_custom_target(icons ALL DEPENDS ${icon_outputs})
else()
    add_custom_target(icons DEPENDS ${icon_outputs})
endif()

if(WIN32)
    enable_language(RC)
    # Version numbers as Windows writes them: four parts.
    set(TOLVO_VERSION_COMMAS
        "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
    set(TOLVO_ICON_FILE ${TOLVO_ICONS_DIR}/muffins.ico)

    # muffins.exe: the game, with its icon and version information.
    set(TOLVO_RC_PROGRAM muffins.exe)
    set(TOLVO_RC_DESCRIPTION "${TOLVO_GAME_TITLE}")
    configure_file(${CMAKE_SOURCE_DIR}/tools/windows/program.rc.in
                   ${CMAKE_BINARY_DIR}/resources/muffins.rc @ONLY)
    target_sources(muffins PRIVATE ${CMAKE_BINARY_DIR}/resources/muffins.rc)
    set_source_files_properties(${CMAKE_BINARY_DIR}/resources/muffins.rc PROPERTIES
                                OBJECT_DEPENDS ${TOLVO_ICON_FILE})
    add_dependencies(muffins icons)

    # "Muffin Meltdown.exe": starts muffins.exe beside it with Windows' 16-bit colour
    # compatibility layer, the thing a player double-clicks.
    set(TOLVO_RC_PROGRAM "${TOLVO_GAME_TITLE}.exe")
    set(TOLVO_RC_DESCRIPTION "${TOLVO_GAME_TITLE} (starts muffins.exe in 16-bit colour)")
    configure_file(${CMAKE_SOURCE_DIR}/tools/windows/program.rc.in
                   ${CMAKE_BINARY_DIR}/resources/launcher.rc @ONLY)
    add_executable(launcher WIN32 ${CMAKE_SOURCE_DIR}/tools/windows/launcher.cpp
                                  ${CMAKE_BINARY_DIR}/resources/launcher.rc)
    set_source_files_properties(${CMAKE_BINARY_DIR}/resources/launcher.rc PROPERTIES
                                OBJECT_DEPENDS ${TOLVO_ICON_FILE})
    set_target_properties(launcher PROPERTIES OUTPUT_NAME "${TOLVO_GAME_TITLE}")
    add_dependencies(launcher icons)

    # Reproducible programs: no link time in the header, so the same sources give the
    # same bytes.
    target_link_options(muffins PRIVATE -Wl,--no-insert-timestamp)
    target_link_options(launcher PRIVATE -Wl,--no-insert-timestamp)
    return()
endif()

if(EMSCRIPTEN)
    return()
endif()

# Installing: `cmake --install build --prefix PREFIX` (or `make install PREFIX=...`) puts
# the game where a Linux desktop looks. Only the game: the engine's tools stay in the
# build folder.
include(GNUInstallDirs)
# The game installs as its own component, game (`--component game`); a plain install is
# the game alone, the engine's component (TolvoInstall.cmake) being left out of it.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME game)
set(data_dir ${CMAKE_INSTALL_DATADIR}/${TOLVO_GAME_NAME})

install(PROGRAMS $<TARGET_FILE:muffins> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME ${TOLVO_GAME_NAME})
# install(PROGRAMS) copies as it is; --strip should strip the renamed game as it would
# a target.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${TOLVO_GAME_NAME}\")
endif()")
if(TOLVO_ART)
    # The generators' stamps are build bookkeeping, not data.
    install(DIRECTORY ${CMAKE_BINARY_DIR}/Images ${CMAKE_BINARY_DIR}/Sounds
            DESTINATION ${data_dir} PATTERN ".*" EXCLUDE)
endif()

set(packaging ${CMAKE_SOURCE_DIR}/packaging/linux)
configure_file(${packaging}/muffin-meltdown.desktop.in
               ${CMAKE_BINARY_DIR}/packaging/${TOLVO_GAME_NAME}.desktop @ONLY)
configure_file(${packaging}/muffin-meltdown.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${TOLVO_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TOLVO_GAME_NAME}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TOLVO_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

if(TOLVO_ART)
    foreach(size ${TOLVO_ICON_SIZES})
        install(FILES ${TOLVO_ICONS_DIR}/icon-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${TOLVO_GAME_NAME}.png)
    endforeach()
endif()
