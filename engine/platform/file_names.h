// Windows-style relative file names on every system, and where a program finds its data
// and leaves the files a user should find.
#ifndef TOLVO_ENGINE_PLATFORM_FILE_NAMES_H
#define TOLVO_ENGINE_PLATFORM_FILE_NAMES_H

#include <cstdio>
#include <string>
#include <vector>

// Maps a name such as "Images\titlepage.tif" to the name of the file the system
// opens. On Windows the name is returned unchanged. Elsewhere backslashes are
// separators and each component is matched without regard to case, as Windows
// does; a component that matches nothing is kept as written (and so is the rest
// of the name after it).
std::string ResolveFileName(const char* name);

// Opens a stream the way Windows' C library would: the name goes through
// ResolveFileName, the text-mode letter "t" is accepted on systems that have no text
// mode, and a folder cannot be opened as a file. A relative name opened to read
// ("r", "r+") that is not found from the working directory is looked for in the
// program's DataFolders, so the game plays wherever it is started from. Called by
// File and DebugLog.
std::FILE* OpenPlatformFile(const char* name, const char* mode);

// Opens a file the user is meant to find, such as the debug log, to write ("w" or
// "a" modes): in the working directory when it can be written there, else in the
// program's UserStateFolder, made when missing, so a read-only install folder or
// working directory never costs the log. When the file went to that folder,
// *elsewhere (if given) receives its name, else it is emptied. On Windows it is
// OpenPlatformFile: the log stays in the working directory, the program's folder.
std::FILE* OpenUserFile(const char* name, const char* mode, std::string* elsewhere);

// The rules behind those two, for their callers and tests.

// The running program's own file, symbolic links resolved, so a program started
// through a link finds the data beside its real file; empty where the system cannot
// tell (and on Windows, which looks in the working directory only).
std::string ProgramFileName();

// Where a program's data may be besides the working directory, in the order searched:
// the program's folder, then ../share/NAME beside it, NAME being the program's own
// file name (so bin/muffin-meltdown reads share/muffin-meltdown/). None for a program
// with no folder.
std::vector<std::string> DataFolders(const std::string& program);

// The system's name to read name from: as resolved from the working directory when that
// exists (and always for an absolute name), else the first of folders that holds it,
// else as resolved from the working directory, so a failure names what was asked for.
std::string FindFileToRead(const char* name, const std::vector<std::string>& folders);

// The per-user folder for what a program leaves behind (XDG base directories):
// xdgStateHome/NAME when that is an absolute path, else home/.local/state/NAME when
// home is; empty when neither is, or NAME is empty.
std::string UserStateFolder(const std::string& programName, const char* xdgStateHome,
                            const char* home);

#endif
