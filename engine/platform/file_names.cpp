#include "engine/platform/file_names.h"

// The data and state folders are plain text rules, the same on every system.

std::vector<std::string> DataFolders(const std::string& program) {
    size_t slash = program.find_last_of('/');
    if (slash == std::string::npos || slash + 1 == program.size()) {
        return {};
    }
    const std::string folder = program.substr(0, slash);
    const std::string name = program.substr(slash + 1);
    // An installed program sits in PREFIX/bin and its data in PREFIX/share/NAME.
    return {folder, folder + "/../share/" + name};
}

std::string UserStateFolder(const std::string& programName, const char* xdgStateHome,
                            const char* home) {
    if (programName.empty()) {
        return std::string();
    }
    // The base directory rules ignore a relative XDG_STATE_HOME; a relative HOME would
    // lead back to the working directory that could not be written.
    if (xdgStateHome && xdgStateHome[0] == '/') {
        return std::string(xdgStateHome) + "/" + programName;
    }
    if (home && home[0] == '/') {
        return std::string(home) + "/.local/state/" + programName;
    }
    return std::string();
}

#ifdef _WIN32

// Windows keeps its own behaviour: names are the C library's, relative to the working
// directory, which Explorer and the launcher make the program's folder.

std::string ResolveFileName(const char* name) {
    return name ? name : "";
}

std::FILE* OpenPlatformFile(const char* name, const char* mode) {
    return std::fopen(name, mode);
}

std::FILE* OpenUserFile(const char* name, const char* mode, std::string* elsewhere) {
    if (elsewhere) {
        elsewhere->clear();
    }
    return std::fopen(name, mode);
}

std::string ProgramFileName() {
    return std::string();
}

std::string FindFileToRead(const char* name, const std::vector<std::string>&) {
    return name ? name : "";
}

#else

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

bool PathExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool IsAbsolute(const char* name) {
    return IsSeparator(name[0]);
}

// The entry of folder spelled like component apart from case; the smallest such
// name when several differ only in case, so the choice does not depend on the
// order the folder lists them in. Empty when none matches.
std::string FindIgnoringCase(const std::string& folder, const std::string& component) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return std::string();
    }
    std::string best;
    while (const dirent* entry = readdir(dir)) {
        if (SameIgnoringCase(component, entry->d_name) && (best.empty() || best > entry->d_name)) {
            best = entry->d_name;
        }
    }
    closedir(dir);
    return best;
}

// name resolved below base, a system folder taken as it is (empty: the working
// directory). Only name's own components are matched without regard to case.
std::string ResolveBelow(const std::string& base, const char* name) {
    std::vector<std::string> components;
    std::string current;
    for (const char* p = name; *p; ++p) {
        if (IsSeparator(*p)) {
            components.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    components.push_back(current);

    // A leading separator makes an absolute name; empty components elsewhere are
    // doubled or trailing separators, which are kept so the name means the same.
    std::string result = base;
    std::string folder = base;
    bool matching = true;
    for (size_t i = 0; i < components.size(); ++i) {
        const std::string& component = components[i];
        if (i > 0 || !base.empty()) {
            result += '/';
        }
        std::string chosen = component;
        if (matching && !component.empty() && component != "." && component != "..") {
            std::string candidate = result + component;
            if (!PathExists(candidate)) {
                std::string found = FindIgnoringCase(folder, component);
                if (found.empty()) {
                    matching = false; // nothing below a missing folder can match
                } else {
                    chosen = found;
                }
            }
        }
        result += chosen;
        folder = result.empty() ? "/" : result;
    }
    return result;
}

// The C library's open of a system name: "t" dropped (text mode is the only mode here),
// and a folder refused as Windows refuses it (POSIX lets "r" succeed on one).
std::FILE* OpenResolved(const std::string& path, const char* mode) {
    std::string systemMode;
    for (const char* m = mode; *m; ++m) {
        if (*m != 't') {
            systemMode += *m;
        }
    }
    std::FILE* stream = std::fopen(path.c_str(), systemMode.c_str());
    if (!stream) {
        return nullptr;
    }
    struct stat info;
    if (fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        errno = EISDIR;
        return nullptr;
    }
    return stream;
}

// Modes that open a file that must already be there; only those look in data folders,
// so a file being written always lands where the user is.
bool OpensExisting(const char* mode) {
    return mode[0] == 'r';
}

// Whether a failed creation of name means the working directory cannot take files,
// rather than something about name itself (a missing subfolder, a folder in its place).
bool WorkingDirectoryRefused(const char* name, int error) {
    if (error == EACCES || error == EPERM || error == EROFS) {
        return true;
    }
    // A name with no folder of its own is missing only when the working directory has
    // been removed.
    for (const char* p = name; *p; ++p) {
        if (IsSeparator(*p)) {
            return false;
        }
    }
    return error == ENOENT;
}

// Makes folder and any missing parents, private to the user as the base directory
// rules ask. True when the folder is there at the end.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string ResolveFileName(const char* name) {
    return name ? ResolveBelow(std::string(), name) : std::string();
}

std::string ProgramFileName() {
    // Read once: the program's file does not move while it runs. Hosts without
    // /proc (a browser's file system) have no folder to search.
    static const std::string program = [] {
        std::vector<char> buffer(4096);
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) {
            return std::string();
        }
        return std::string(buffer.data(), static_cast<size_t>(length));
    }();
    return program;
}

std::string FindFileToRead(const char* name, const std::vector<std::string>& folders) {
    if (!name) {
        return std::string();
    }
    const std::string here = ResolveFileName(name);
    if (name[0] == '\0' || IsAbsolute(name) || PathExists(here)) {
        return here;
    }
    for (const std::string& folder : folders) {
        std::string there = ResolveBelow(folder, name);
        if (PathExists(there)) {
            return there;
        }
    }
    return here;
}

std::FILE* OpenPlatformFile(const char* name, const char* mode) {
    if (!name || !mode) {
        errno = EINVAL;
        return nullptr;
    }
    // Opened where the user is first: only a file missing there is looked for in the
    // program's data folders, so the usual open costs no extra look-up.
    std::FILE* stream = OpenResolved(ResolveFileName(name), mode);
    if (stream || errno != ENOENT || !OpensExisting(mode) || name[0] == '\0' || IsAbsolute(name)) {
        return stream;
    }
    const std::string there = FindFileToRead(name, DataFolders(ProgramFileName()));
    stream = OpenResolved(there, mode);
    if (!stream) {
        errno = ENOENT;
    }
    return stream;
}

std::FILE* OpenUserFile(const char* name, const char* mode, std::string* elsewhere) {
    if (elsewhere) {
        elsewhere->clear();
    }
    std::FILE* stream = OpenPlatformFile(name, mode);
    if (stream || !name || !mode || OpensExisting(mode) || IsAbsolute(name)) {
        return stream;
    }
    const int error = errno;
    if (!WorkingDirectoryRefused(name, error)) {
        return nullptr;
    }
    const std::string folder = UserStateFolder(BaseName(ProgramFileName()),
                                               std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
    if (folder.empty() || !MakeFolders(folder)) {
        errno = error; // the working directory's refusal is the one to report
        return nullptr;
    }
    const std::string path = ResolveBelow(folder, name);
    stream = OpenResolved(path, mode);
    if (stream && elsewhere) {
        *elsewhere = path;
    }
    return stream;
}

#endif
