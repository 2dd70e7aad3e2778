# Installing the engine: `cmake --install BUILD --component engine --prefix PREFIX` puts
# what a game needs to build on it in the standard places, for the toolchain this build
# folder was made with (each toolchain installs into its own prefix):
#   include/tolvo/tolvo.h and the headers it brings     lib/libtolvo_*.a
#   lib/cmake/Tolvo/ (TolvoConfig.cmake, its version file, the imported targets and
#   tolvo_add_game)                                      lib/pkgconfig/tolvo.pc
#   bin/tolvo-tif                                        share/tolvo/ (web page, launcher,
#                                                        toolchain files)
# The component is left out of a plain `cmake --install`, which installs the game.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(TOLVO_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tolvo)
set(TOLVO_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/tolvo)
set(TOLVO_HEADER_DIR ${CMAKE_INSTALL_INCLUDEDIR}/tolvo)

# The headers the public one brings, under include/tolvo/ with their paths in the tree, so
# the engine's own includes ("engine/...") find them there too.
set(public_headers
    engine/display/frame_pacer.h engine/display/windows_dx.h engine/file/debug_log.h
    engine/file/file.h engine/file/init_order.h engine/file/trace_file.h
    engine/image/image.h engine/image/keyed_runs.h engine/image/pixel_format.h
    engine/image/tiff.h
    engine/platform/platform.h
    engine/sound/sound.h engine/sound/sound_system.h engine/sound/wave.h)
if(NOT WIN32)
    list(APPEND public_headers engine/platform/subset/sdk/ddraw.h
         engine/platform/subset/sdk/dsound.h engine/platform/subset/sdk/windows.h)
endif()
foreach(header ${public_headers})
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${CMAKE_SOURCE_DIR}/${header} DESTINATION ${TOLVO_HEADER_DIR}/${folder}
            COMPONENT engine EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/engine/include/tolvo/tolvo.h
              ${TOLVO_GENERATED_INCLUDE}/tolvo/version.h
        DESTINATION ${TOLVO_HEADER_DIR} COMPONENT engine EXCLUDE_FROM_ALL)
target_include_directories(tolvo_names INTERFACE
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}> $<INSTALL_INTERFACE:${TOLVO_HEADER_DIR}>)

# The libraries, in link order (each before those it uses), as the package names them
# (Tolvo::display, ...). Off Windows: the subset, and each host this build made.
set(engine_libraries tolvo_display tolvo_sound tolvo_image tolvo_file)
set(entry_libraries)
if(WIN32)
    set(TOLVO_MAIN_TARGET tolvo_entry)
    set(platform_libraries)
else()
    set(TOLVO_MAIN_TARGET tolvo_main)
    foreach(host web sdl headless)
        if(TARGET tolvo_host_${host})
            list(APPEND entry_libraries tolvo_host_${host})
        endif()
    endforeach()
    if(TARGET tolvo_capture)
        list(APPEND entry_libraries tolvo_capture)
    endif()
    set(platform_libraries tolvo_subset)
endif()
set(package_targets tolvo ${TOLVO_MAIN_TARGET} tolvo_platform ${entry_libraries}
                    ${engine_libraries} ${platform_libraries} tolvo_names)
foreach(target ${package_targets})
    string(REGEX REPLACE "^tolvo_" "" export_name ${target})
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${export_name})
endforeach()
set_target_properties(${TOLVO_MAIN_TARGET} PROPERTIES EXPORT_NAME main)
# Everything the component installs, built by one target: `--target tolvo-package`.
add_custom_target(tolvo-package)
foreach(target ${package_targets})
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        add_dependencies(tolvo-package ${target})
    endif()
endforeach()
install(TARGETS ${package_targets} EXPORT TolvoTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT engine EXCLUDE_FROM_ALL)
install(EXPORT TolvoTargets NAMESPACE Tolvo:: DESTINATION ${TOLVO_PACKAGE_DIR}
        COMPONENT engine EXCLUDE_FROM_ALL)

# What tolvo_add_game uses: the web host's page and its maker, the Windows launcher, and
# the toolchain files a game's build can be configured with.
if(EMSCRIPTEN)
    set(web ${CMAKE_SOURCE_DIR}/engine/platform/hosts/web)
    install(FILES ${web}/make_site.py ${web}/site_install.py ${web}/web_bridge.js
                  ${web}/web_audio.js ${web}/web_touch.js
            DESTINATION ${TOLVO_SHARE_DIR}/web COMPONENT engine EXCLUDE_FROM_ALL)
    install(DIRECTORY ${web}/page DESTINATION ${TOLVO_SHARE_DIR}/web COMPONENT engine
            EXCLUDE_FROM_ALL)
    # The touch controls' pictures, drawn here once: an installed make_site.py has no art
    # generator beside it.
    set(touch_art ${CMAKE_BINARY_DIR}/touch-art.css)
    add_custom_command(OUTPUT ${touch_art}
        COMMAND ${CMAKE_COMMAND} -E env PYTHONDONTWRITEBYTECODE=1
                ${TOLVO_PYTHON} ${CMAKE_SOURCE_DIR}/assets/make_touch.py --out ${touch_art}
        DEPENDS ${CMAKE_SOURCE_DIR}/assets/make_touch.py ${CMAKE_SOURCE_DIR}/assets/artlib/touch.py
        COMMENT "Drawing the touch controls for the installed web page"
        VERBATIM)
    add_custom_target(tolvo-touch-art DEPENDS ${touch_art})
    add_dependencies(tolvo-package tolvo-touch-art)
    install(FILES ${touch_art} DESTINATION ${TOLVO_SHARE_DIR}/web/page COMPONENT engine
            EXCLUDE_FROM_ALL)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/tools/windows/launcher.cpp
        DESTINATION ${TOLVO_SHARE_DIR}/windows COMPONENT engine EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/emscripten.cmake ${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
        DESTINATION ${TOLVO_SHARE_DIR}/toolchains COMPONENT engine EXCLUDE_FROM_ALL)
if(NOT EMSCRIPTEN)
    add_dependencies(tolvo-package tolvo-tif)
    install(TARGETS tolvo-tif RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT engine
            EXCLUDE_FROM_ALL)
endif()

# The package files: found by find_package(Tolvo) from anywhere the prefix is moved to.
set(TOLVO_NEEDS_SDL OFF)
set(TOLVO_NEEDS_PNG OFF)
if(TARGET tolvo_host_sdl)
    set(TOLVO_NEEDS_SDL ON)
endif()
if(TARGET tolvo_capture)
    set(TOLVO_NEEDS_PNG ON)
endif()
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/TolvoConfig.cmake.in
    ${CMAKE_BINARY_DIR}/package/TolvoConfig.cmake INSTALL_DESTINATION ${TOLVO_PACKAGE_DIR}
    PATH_VARS TOLVO_SHARE_DIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/TolvoConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/TolvoConfig.cmake
              ${CMAKE_BINARY_DIR}/package/TolvoConfigVersion.cmake
              ${CMAKE_SOURCE_DIR}/cmake/TolvoGame.cmake
              ${CMAKE_SOURCE_DIR}/cmake/TolvoCopyFolder.cmake
        DESTINATION ${TOLVO_PACKAGE_DIR} COMPONENT engine EXCLUDE_FROM_ALL)

# tolvo.pc: the same libraries for a build without CMake, in link order.
set(pc_libs)
set(pc_requires)
if(NOT WIN32)
    list(APPEND pc_libs -ltolvo_main)
endif()
foreach(target ${entry_libraries} ${engine_libraries} ${platform_libraries} tolvo_names)
    list(APPEND pc_libs -l${target})
endforeach()
if(WIN32)
    list(APPEND pc_libs -lddraw -ldsound -lgdi32 -luser32 -lwinmm -mwindows
         -Wl,--undefined=WinMain)
endif()
if(TOLVO_NEEDS_SDL)
    list(APPEND pc_requires sdl2)
endif()
if(TOLVO_NEEDS_PNG)
    list(APPEND pc_requires libpng)
endif()
if(EMSCRIPTEN)
    # The web host's own JavaScript and the settings every program on it needs (as the
    # web host's library asks of a CMake build).
    get_property(TOLVO_WEB_LINK_SETTINGS GLOBAL PROPERTY TOLVO_WEB_LINK_SETTINGS)
    list(APPEND pc_libs "--js-library \${prefix}/${TOLVO_SHARE_DIR}/web/web_bridge.js"
         "--js-library \${prefix}/${TOLVO_SHARE_DIR}/web/web_audio.js" ${TOLVO_WEB_LINK_SETTINGS})
endif()
string(REPLACE ";" " " TOLVO_PC_LIBS "${pc_libs}")
string(REPLACE ";" " " TOLVO_PC_REQUIRES "${pc_requires}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/tolvo.pc.in ${CMAKE_BINARY_DIR}/package/tolvo.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/tolvo.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT engine EXCLUDE_FROM_ALL)
