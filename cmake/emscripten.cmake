# Cross-build for the browser with Debian's Emscripten (tools/deps.sh web): WebAssembly
# and JavaScript, run by the web host (engine/platform/hosts/web).
find_program(TOLVO_EM_CONFIG em-config REQUIRED)
execute_process(COMMAND ${TOLVO_EM_CONFIG} EMSCRIPTEN_ROOT OUTPUT_VARIABLE TOLVO_EMSCRIPTEN_ROOT
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS "${TOLVO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
    set(TOLVO_EMSCRIPTEN_ROOT /usr/share/emscripten)
endif()
include(${TOLVO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# Emscripten's JavaScript optimizer needs Debian's acorn, which a node on PATH that is not
# Debian's does not find on its own; linking is the step that runs it.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# The browser has no SDL window and no libpng here: the web host alone, no frame capture,
# no tests (they run natively).
set(TOLVO_HOST_SDL OFF CACHE BOOL "Build the SDL2 host (a real window)")
set(TOLVO_HOST_WEB ON CACHE BOOL "Build the web host (a canvas in a page)")
set(TOLVO_CAPTURE OFF CACHE BOOL "Frame capture to PNG files (libpng)")
set(TOLVO_TESTS OFF CACHE BOOL "Build the tests")

# The engine's SSE2 row loops as WebAssembly SIMD (every browser of the last years has
# it): the same pixels, drawn faster than the plain loops. Bulk memory makes each memcpy
# and memset of a row one instruction (memory.copy, memory.fill) where Emscripten's libc
# would call out to JavaScript for every copy of 512 bytes or more.
set(CMAKE_C_FLAGS_INIT "-msimd128 -msse2 -mbulk-memory")
set(CMAKE_CXX_FLAGS_INIT "-msimd128 -msse2 -mbulk-memory")
