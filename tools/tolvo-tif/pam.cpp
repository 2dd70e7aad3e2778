#include "tools/tolvo-tif/pam.h"

#include "engine/platform/file_names.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

// Largest side accepted, so a bad header cannot ask for an absurd amount of memory.
const long PAM_MAX_SIDE = 65535;

// One header line without its newline; false at the end of the file.
bool ReadLine(std::FILE* f, std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n') {
        line.push_back(static_cast<char>(c));
    }
    return c != EOF || !line.empty();
}

bool ParseNumber(const std::string& text, long limit, int* out) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || v < 1 || v > limit) {
        return false;
    }
    *out = static_cast<int>(v);
    return true;
}

} // namespace

bool ReadPam(const char* path, Pam& pam, std::string& error) {
    std::FILE* f = OpenPlatformFile(path, "rb");
    if (!f) {
        error = "cannot open";
        return false;
    }
    std::string line;
    if (!ReadLine(f, line) || line != "P7") {
        std::fclose(f);
        error = "not a PAM file (no P7 line)";
        return false;
    }
    pam = Pam();
    bool ended = false;
    while (!ended && ReadLine(f, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        size_t space = line.find_first_of(" \t");
        std::string key = line.substr(0, space);
        std::string value;
        if (space != std::string::npos) {
            size_t start = line.find_first_not_of(" \t", space);
            size_t stop = line.find_last_not_of(" \t\r");
            if (start != std::string::npos && stop >= start) {
                value = line.substr(start, stop - start + 1);
            }
        }
        bool ok = true;
        if (key == "WIDTH") {
            ok = ParseNumber(value, PAM_MAX_SIDE, &pam.width);
        } else if (key == "HEIGHT") {
            ok = ParseNumber(value, PAM_MAX_SIDE, &pam.height);
        } else if (key == "DEPTH") {
            ok = ParseNumber(value, 4, &pam.depth);
        } else if (key == "MAXVAL") {
            ok = ParseNumber(value, 255, &pam.maxval);
        } else if (key == "TUPLTYPE") {
            pam.tupleType = value;
        } else if (key == "ENDHDR") {
            ended = true;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fclose(f);
            error = "bad header line: " + line;
            return false;
        }
    }
    if (!ended || pam.width == 0 || pam.height == 0 || pam.depth == 0 || pam.maxval == 0) {
        std::fclose(f);
        error = "incomplete header";
        return false;
    }
    pam.samples.resize(static_cast<size_t>(pam.width) * pam.height * pam.depth);
    size_t got = std::fread(pam.samples.data(), 1, pam.samples.size(), f);
    std::fclose(f);
    if (got != pam.samples.size()) {
        error = "pixel data is cut short";
        return false;
    }
    return true;
}

bool WritePam(const char* path, const Pam& pam, std::string& error) {
    std::FILE* f = OpenPlatformFile(path, "wb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    // Every write, the flush and the close are checked, so a full disk is not missed; the
    // first failure's errno is the reason.
    errno = 0;
    bool ok =
        std::fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n",
                     pam.width, pam.height, pam.depth, pam.tupleType.c_str()) > 0 &&
        std::fwrite(pam.samples.data(), 1, pam.samples.size(), f) == pam.samples.size() &&
        std::fflush(f) == 0;
    int reason = errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (ok) {
        return true;
    }
    error = std::strerror(reason ? reason : EIO);
    // A PAM cut short is of no use: remove it, but only a regular file (never /dev/full).
    const std::string name = ResolveFileName(path);
    struct stat status;
    if (stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        std::remove(name.c_str());
    }
    return false;
}
