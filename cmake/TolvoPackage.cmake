# The engine as a package: the targets a game links, under the names the installed
# package gives them, so a game's CMakeLists reads the same in this tree and outside it.
#   Tolvo::tolvo  the engine: display, input, pictures, sound, files, the log
#   Tolvo::main   the program's entry: main() and the hosts (off Windows), or on Windows
#                 the engine's WinMain pulled in from its library

add_library(tolvo INTERFACE)
target_link_libraries(tolvo INTERFACE tolvo_display tolvo_sound)
add_library(Tolvo::tolvo ALIAS tolvo)

if(WIN32)
    add_library(tolvo_entry INTERFACE)
    # The entry lives in a static library that nothing else references: pull it in.
    target_link_options(tolvo_entry INTERFACE -Wl,--undefined=WinMain)
    add_library(Tolvo::main ALIAS tolvo_entry)
else()
    add_library(Tolvo::main ALIAS tolvo_main)
endif()
