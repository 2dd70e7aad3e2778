// ResolveFileName: Windows-style relative names on a POSIX file system.
#include "engine/platform/file_names.h"

#include "tests/engine/file/temp_folder.h"

#include <string>

namespace {

class FileNames : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok());
        ASSERT_EQ(mkdir("Images", 0755), 0);
        ASSERT_EQ(mkdir("Images/Intro", 0755), 0);
        WriteWholeFile("Images/titlepage.tif", "t");
        WriteWholeFile("Images/Falling1.tif", "f");
        WriteWholeFile("Images/Intro/Pic1.TIF", "p");
    }
    TempFolder folder;
};

struct NameCase {
    const char* written;
    const char* resolved;
};

TEST_F(FileNames, EachComponentIsMatchedWithoutRegardToCase) {
    const NameCase cases[] = {
        {"Images\\titlepage.tif", "Images/titlepage.tif"}, // exact, backslash
        {"Images/titlepage.tif", "Images/titlepage.tif"},  // forward slash too
        {"images\\falling1.tif", "Images/Falling1.tif"},
        {"IMAGES\\INTRO\\pic1.tif", "Images/Intro/Pic1.TIF"},
        {"images/intro\\PIC1.tif", "Images/Intro/Pic1.TIF"}, // mixed separators
        {"titlepage.tif", "titlepage.tif"},                  // no such file here
        {"IMAGES", "Images"},
        {"images\\", "Images/"},
        {".\\images\\.\\titlepage.TIF", "./Images/./titlepage.tif"},
        {"images\\intro\\..\\falling1.tif", "Images/Intro/../Falling1.tif"},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(ResolveFileName(c.written), c.resolved) << c.written;
    }
}

TEST_F(FileNames, MissingComponentsAreKeptAsWritten) {
    const NameCase cases[] = {
        {"images\\New.tif", "Images/New.tif"},                // a file about to be created
        {"Sounds\\Intro\\Pic1.TIF", "Sounds/Intro/Pic1.TIF"}, // nothing below a missing folder
        {"images\\nothing\\INTRO", "Images/nothing/INTRO"},
        {"images\\titlepage.tif\\x", "Images/titlepage.tif/x"}, // a file is no folder
        {"", ""},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(ResolveFileName(c.written), c.resolved) << c.written;
    }
    EXPECT_EQ(ResolveFileName(nullptr), "");
}

TEST_F(FileNames, AnExactSpellingWinsOverOthersThatDifferInCase) {
    WriteWholeFile("Images/TITLEPAGE.tif", "T");
    WriteWholeFile("Images/TitlePage.tif", "P");
    EXPECT_EQ(ResolveFileName("Images\\TitlePage.tif"), "Images/TitlePage.tif");
    EXPECT_EQ(ResolveFileName("Images\\titlepage.tif"), "Images/titlepage.tif");
    // No exact spelling: the same choice on every run, whatever the folder's order.
    EXPECT_EQ(ResolveFileName("Images\\TitlePAGE.tif"), "Images/TITLEPAGE.tif");
}

TEST_F(FileNames, AbsoluteNames) {
    const std::string root = folder.Path();
    EXPECT_EQ(ResolveFileName((root + "\\IMAGES\\falling1.TIF").c_str()),
              root + "/Images/Falling1.tif");
    EXPECT_EQ(ResolveFileName("\\DEV\\NULL"), "/dev/null");
}

TEST_F(FileNames, OpenPlatformFileAcceptsTextModeAndRefusesFolders) {
    std::FILE* text = OpenPlatformFile("images\\falling1.tif", "rt");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::fgetc(text), 'f');
    std::fclose(text);

    std::FILE* made = OpenPlatformFile("IMAGES\\made.txt", "w+t");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    EXPECT_TRUE(FileIsThere("Images/made.txt"));

    EXPECT_EQ(OpenPlatformFile("images", "r"), nullptr);
    EXPECT_EQ(OpenPlatformFile("images\\intro", "rb"), nullptr);
    EXPECT_EQ(OpenPlatformFile(nullptr, "r"), nullptr);
}

} // namespace
