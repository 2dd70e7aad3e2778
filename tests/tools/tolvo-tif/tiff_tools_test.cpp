// Pictures written by real tools (Pillow, and libtiff's tiffcp in both byte orders and
// with several strips) load to the pixels those tools decode, through the reader and
// through tolvo-tif.
#include "engine/image/image.h"
#include "engine/image/tiff.h"
#include "engine/platform/hosts/headless/headless.h"
#include "tests/engine/image/test_support.h"
#include "tools/tolvo-tif/pam.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string FOLDER = "image_tool_pictures/";

struct Picture {
    std::string tif;
    std::string pam;
};

std::vector<Picture> Manifest() {
    std::vector<Picture> pictures;
    std::ifstream in(FOLDER + "manifest.txt");
    EXPECT_TRUE(in.good()) << "no " << FOLDER << "manifest.txt: build image_tool_pictures";
    std::string tif, pam;
    while (in >> tif >> pam) {
        EXPECT_NE(tif, "missing") << "tool missing: " << pam << " (run tools/deps.sh test)";
        pictures.push_back({FOLDER + tif, FOLDER + pam});
    }
    return pictures;
}

int RunTool(const std::string& arguments) {
    std::string command = std::string(TOLVO_TIF_PROGRAM) + " " + arguments;
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The tool's standard output; run inside wrapper when given.
std::string RunOutput(const std::string& arguments, const std::string& wrapper = "") {
    std::string output;
    std::FILE* p = popen((wrapper + TOLVO_TIF_PROGRAM + " " + arguments).c_str(), "r");
    if (!p) {
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) {
        output += buffer;
    }
    pclose(p);
    return output;
}

Pam Expected(const std::string& path) {
    Pam pam;
    std::string error;
    EXPECT_TRUE(ReadPam(path.c_str(), pam, error)) << path << ": " << error;
    return pam;
}

// The image's planes as PAM samples: RGB, with alpha when it has IMG_ALPHA.
std::vector<uint8_t> Samples(const Image& image) {
    std::vector<uint8_t> out;
    for (int i = 0; i < image.width * image.height; ++i) {
        out.insert(out.end(), image.pixels + 3 * i, image.pixels + 3 * i + 3);
        if (image.flags & IMG_ALPHA) {
            out.push_back(image.alpha[i]);
        }
    }
    return out;
}

class ToolPictures : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Start();
        pictures = Manifest();
        ASSERT_GE(pictures.size(), 24u);
    }
    std::vector<Picture> pictures;
};

TEST_F(ToolPictures, TheReaderDecodesWhatTheToolsDecode) {
    Tiff tiff; // one object for the whole batch, as the game does
    for (const Picture& p : pictures) {
        Image image;
        tiff.LoadTiff(p.tif.c_str(), image);
        Pam expected = Expected(p.pam);
        ASSERT_EQ(image.width, expected.width) << p.tif;
        ASSERT_EQ(image.height, expected.height) << p.tif;
        EXPECT_EQ((image.flags & IMG_ALPHA) != 0, expected.depth == 4) << p.tif;
        EXPECT_TRUE(Samples(image) == expected.samples) << p.tif;
    }
    EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(ToolPictures, TopamWritesThoseSamePixels) {
    for (const Picture& p : pictures) {
        std::string out = TestFile(".pam");
        ASSERT_EQ(RunTool("topam " + p.tif + " " + out), 0) << p.tif;
        Pam expected = Expected(p.pam);
        Pam written = Expected(out);
        EXPECT_EQ(written.tupleType, expected.tupleType) << p.tif;
        EXPECT_EQ(written.width, expected.width) << p.tif;
        EXPECT_TRUE(written.samples == expected.samples) << p.tif;
    }
}

TEST_F(ToolPictures, FrompamWritesFilesTheReaderReadsBack) {
    int converted = 0;
    for (const Picture& p : pictures) {
        Pam expected = Expected(p.pam);
        if (expected.depth != 3) {
            EXPECT_EQ(RunTool("frompam " + p.pam + " " + TestFile(".tif") + " 2>/dev/null"), 1);
            continue;
        }
        std::string tif = TestFile(".tif");
        ASSERT_EQ(RunTool("frompam " + p.pam + " " + tif), 0) << p.pam;
        Tiff tiff;
        Image image;
        tiff.LoadTiff(tif.c_str(), image);
        EXPECT_TRUE(Samples(image) == expected.samples) << p.pam;
        ++converted;
    }
    EXPECT_GE(converted, 20);
}

TEST_F(ToolPictures, InfoShowsTheDirectoryAndTheReadersFields) {
    std::string info = RunOutput("info " + FOLDER + "rgba_mm_strips.tif");
    EXPECT_NE(info.find("byteOrder MM (Motorola)"), std::string::npos) << info;
    EXPECT_NE(info.find("tag 338 ExtraSamples"), std::string::npos) << info;
    EXPECT_NE(info.find("  mode 2 (RGB)\n"), std::string::npos) << info;
    EXPECT_NE(info.find("  rowsPerStrip 4\n"), std::string::npos) << info;
    EXPECT_NE(info.find("  imageFlags 0x21\n"), std::string::npos) << info;
    EXPECT_EQ(RunTool("info " + FOLDER + "grey16_pillow.tif >/dev/null"), 0);
}

// TIF and PAM names follow one rule: Windows-style, backslashes and any case.
TEST_F(ToolPictures, TifAndPamNamesAreResolvedAlike) {
    const std::string folder = TestFile("-Names");
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "' && cp " + FOLDER + "rgb_pillow.tif '" +
                           folder + "/Picture.TIF'")
                              .c_str()),
              0);
    const std::string upper = folder; // the folder named in another case below
    std::string lower = folder;
    for (char& c : lower) {
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    ASSERT_EQ(RunTool("topam '" + lower + "\\picture.tif' '" + lower + "\\Out.pam'"), 0);
    EXPECT_FALSE(ReadBytes(upper + "/Out.pam").empty());
    ASSERT_EQ(RunTool("frompam '" + lower + "\\OUT.PAM' '" + lower + "\\back.tif'"), 0);
    EXPECT_FALSE(ReadBytes(upper + "/back.tif").empty());
    EXPECT_EQ(RunTool("info '" + lower + "\\PICTURE.tif' >/dev/null"), 0);
}

// A PAM that cannot be written is named with the reason, exit 3, and no part of it stays:
// on /dev/full (small enough to fail only at the flush, or at the write) and on a nearly
// full tmpfs in a user namespace, where one can be made, which keeps the file it held.
TEST_F(ToolPictures, TopamSaysWhyItCannotWrite) {
    const std::string small = TestFile("-small");
    const std::string mount = "unshare -rm sh -c 'mount -t tmpfs -o size=64k none " + small;
    const bool mounts = std::system(("mkdir -p " + small + " && " + mount + "' 2>&-").c_str()) == 0;
    const std::string rows[][4] = {{"", "rgb_pillow.tif", "/dev/full", ""},
                                   {"", "rgb_wide_mm.tif", "/dev/full", ""},
                                   {mount + " && head -c 32768 /dev/zero >" + small +
                                        "/kept && \"$0\" \"$@\"; s=$?; ls " + small + "; exit $s' ",
                                    "rgb_wide_mm.tif", small + "/out.pam", "kept\n"}};
    for (const auto& [wrapper, in, out, after] : rows) {
        if (wrapper.empty() || mounts) {
            EXPECT_EQ(RunOutput("topam " + FOLDER + in + " " + out + " 2>&1; echo $?", wrapper),
                      "tolvo-tif: cannot write " + out + ": No space left on device\n" + after +
                          "3\n");
        }
    }
    EXPECT_TRUE(std::ifstream("/dev/full").good()); // a device is never removed
}

TEST(TolvoTif, RefusesWhatItCannotDo) {
    EXPECT_EQ(RunTool("2>/dev/null"), 2);
    EXPECT_EQ(RunTool("convert a b 2>/dev/null"), 2);
    EXPECT_EQ(RunTool("topam no_such_file.tif out.pam 2>/dev/null"), 1);
    EXPECT_EQ(RunTool("info no_such_file.tif 2>/dev/null"), 1);
    WriteBytes(TestFile(".pam"), {'P', '6', '\n'});
    EXPECT_EQ(RunTool("frompam " + TestFile(".pam") + " out.tif 2>/dev/null"), 1);
    // The reader's own fatal path keeps its message and exit code.
    WriteBytes(TestFile(".tif"), {'I', 'I', 0, 0});
    EXPECT_EQ(RunOutput("topam " + TestFile(".tif") + " out.pam"),
              "Load:Tiff: File is corrupted, or is not a .TIFF file.\n");
    EXPECT_EQ(RunTool("topam " + TestFile(".tif") + " out.pam >/dev/null"), 255);
}

} // namespace
