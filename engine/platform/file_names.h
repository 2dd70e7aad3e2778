// Windows-style relative file names on every host.
#ifndef TOLVO_ENGINE_PLATFORM_FILE_NAMES_H
#define TOLVO_ENGINE_PLATFORM_FILE_NAMES_H

#include <cstdio>
#include <string>

// Maps a name such as "Images\titlepage.tif" to the name of the file the host
// opens. On Windows the name is returned unchanged. Elsewhere backslashes are
// separators and each component is matched without regard to case, as Windows
// does; a component that matches nothing is kept as written (and so is the rest
// of the name after it).
std::string ResolveFileName(const char* name);

// Opens a stream the way Windows' C library would: the name goes through
// ResolveFileName, the text-mode letter "t" is accepted on hosts that have no text
// mode, and a folder cannot be opened as a file. Called by File and DebugLog.
std::FILE* OpenHostFile(const char* name, const char* mode);

#endif
