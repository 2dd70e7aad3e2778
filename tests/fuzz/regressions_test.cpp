// Replays every input kept under tests/fuzz/regressions/ with the normal sanitizer
// build: a TIF input must load in each mode or be refused with the reader's exit code
// -1; a text or WAV input must keep every promise of its fuzz target. A sanitizer report
// ends the child with another code, so it fails here.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "tests/fuzz/text_input.h"
#include "tests/fuzz/tiff_input.h"
#include "tests/fuzz/wav_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') {
                names.push_back(folder + "/" + entry->d_name);
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

// Ended normally, or through the reader's fatal exit (-1, seen as 255).
bool LoadedOrRefused(int status) {
    return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 255);
}

TEST(FuzzRegressions, EveryTifInputLoadsOrIsRefused) {
    const std::vector<std::string> files = FilesIn(FUZZ_REGRESSIONS "/tiff");
    ASSERT_FALSE(files.empty()) << "no inputs under " FUZZ_REGRESSIONS "/tiff";
    // Names must stay within the reader's 99 characters: a short one in the test folder.
    const std::string copy = "fuzz-replay-" + std::to_string(getpid()) + ".tif";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = Bytes(file);
        ASSERT_TRUE(WriteInputFile(copy, bytes.data(), bytes.size()));
        EXPECT_EXIT(
            {
                Tiff tiff;
                Image image;
                LoadInEachMode(copy.c_str(), bytes.data(), bytes.size(), tiff, image);
                std::exit(0);
            },
            LoadedOrRefused, "");
    }
    std::remove(copy.c_str());
}

TEST(FuzzRegressions, EveryTextInputKeepsItsPromises) {
    for (const std::string& file : FilesIn(FUZZ_REGRESSIONS "/text")) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = Bytes(file);
        EXPECT_EXIT(
            {
                CheckRunsInput(bytes.data(), bytes.size());
                CheckTokenInput(bytes.data(), bytes.size());
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

TEST(FuzzRegressions, EveryWavInputKeepsItsPromises) {
    const std::vector<std::string> files = FilesIn(FUZZ_REGRESSIONS "/wav");
    ASSERT_FALSE(files.empty()) << "no inputs under " FUZZ_REGRESSIONS "/wav";
    const std::string copy = "fuzz-replay-" + std::to_string(getpid()) + ".wav";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = Bytes(file);
        EXPECT_EXIT(
            {
                CheckWaveInput(bytes.data(), bytes.size(), copy.c_str());
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "");
    }
    std::remove(copy.c_str());
}

} // namespace
