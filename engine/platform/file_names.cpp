#include "engine/platform/file_names.h"

#ifdef _WIN32

std::string ResolveFileName(const char* name) {
    return name ? name : "";
}

std::FILE* OpenHostFile(const char* name, const char* mode) {
    return std::fopen(name, mode);
}

#else

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

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

} // namespace

std::string ResolveFileName(const char* name) {
    if (!name) {
        return std::string();
    }
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
    std::string result;
    std::string folder;
    bool matching = true;
    for (size_t i = 0; i < components.size(); ++i) {
        const std::string& component = components[i];
        if (i > 0) {
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

std::FILE* OpenHostFile(const char* name, const char* mode) {
    if (!name || !mode) {
        errno = EINVAL;
        return nullptr;
    }
    // Text mode is the only mode here; "t" is not standard outside Windows.
    std::string hostMode;
    for (const char* m = mode; *m; ++m) {
        if (*m != 't') {
            hostMode += *m;
        }
    }
    std::string path = ResolveFileName(name);
    std::FILE* stream = std::fopen(path.c_str(), hostMode.c_str());
    if (!stream) {
        return nullptr;
    }
    // Windows refuses to open a folder as a file; POSIX lets "r" succeed on one.
    struct stat info;
    if (fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        errno = EISDIR;
        return nullptr;
    }
    return stream;
}

#endif
