// A fresh folder per test, made the working directory while the test runs, so
// "debug.txt" and the test's files never meet another test's.
#ifndef TOLVO_TESTS_FILE_TEMP_FOLDER_H
#define TOLVO_TESTS_FILE_TEMP_FOLDER_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "engine/file/debug_log.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

class TempFolder {
  public:
    TempFolder() {
        char pattern[] = "/tmp/tolvo-file-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "";
        char here[4096];
        previous = getcwd(here, sizeof here) ? here : ".";
        if (!path.empty() && chdir(path.c_str()) != 0) {
            path.clear();
        }
    }
    ~TempFolder() {
        if (chdir(previous.c_str()) != 0) {
            return;
        }
        if (!path.empty()) {
            nftw(path.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Ok() const { return !path.empty(); }
    const std::string& Path() const { return path; }

  private:
    static int Remove(const char* name, const struct stat*, int, struct FTW*) {
        return std::remove(name);
    }
    std::string path;
    std::string previous;
};

// Whole contents of a file, or "<missing>" when it cannot be read.
inline std::string ReadWholeFile(const std::string& name) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        return "<missing>";
    }
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        text.append(chunk, n);
    }
    std::fclose(f);
    return text;
}

inline void WriteWholeFile(const std::string& name, const std::string& text) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

inline bool FileIsThere(const std::string& name) {
    struct stat info;
    return stat(name.c_str(), &info) == 0;
}

// A test in its own folder with the global log freshly opened there.
class LoggedFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok());
        debugLog.Open("debug.txt");
    }
    void TearDown() override { debugLog.Close(); }
    std::string Log() const { return ReadWholeFile("debug.txt"); }

    TempFolder folder;
};

#endif
