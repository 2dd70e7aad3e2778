// Windows-style relative file names on every host.
#ifndef TOLVO_ENGINE_PLATFORM_FILE_NAMES_H
#define TOLVO_ENGINE_PLATFORM_FILE_NAMES_H

#include <string>

// Maps a name such as "Images\titlepage.tif" to the name of the file the host
// opens. On Windows the name is returned unchanged. Elsewhere backslashes are
// separators and each component is matched without regard to case, as Windows
// does; a component that matches nothing is kept as written.
std::string ResolveFileName(const char* name);

#endif
