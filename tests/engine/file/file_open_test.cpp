// File::Open: the flag rules, the stream modes they pick, their log lines and the
// fatal requests.
#include "engine/file/file.h"

#include "tests/engine/file/temp_folder.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace {

const char* const OLD_TEXT = "old text\n";

const std::string MISSING_READ = "File::Open: File does not exist for read.\n  ";
const std::string MISSING_READ_WRITE =
    "File::Open: File does not exist for read/write. (Use FILE_AUTOCREATE if desired)\n  ";
const std::string MISSING_WRITE =
    "File::Open: File does not exist for write (Use FILE_AUTOCREATE is desired).\n  ";
const std::string MISSING_APPEND =
    "File::Open: File does not exist for append. (Use FILE_AUTOCREATE if desired)\n  ";
const std::string LEAVEEOF_WARNING =
    "File::Open: (Warning only) FILE_LEAVEEOF only has meaning with FILE_APPEND.\n  ";
const std::string AUTOCREATE_WARNING =
    "File::Open: (Warning only) FILE_AUTOCREATE has no meaning when using FILE_READ without "
    "FILE_APPEND or FILE_WRITE.\n  ";

struct OpenCase {
    const char* label;
    int flags;
    bool fileExists;
    int result;
    const char* mode;     // the stream mode when opened
    std::string log;      // the whole debug log afterwards
    const char* contents; // the file afterwards, or nullptr when it must not exist
};

// Test names carry the label; this keeps the listing readable.
void PrintTo(const OpenCase& openCase, std::ostream* out) {
    *out << openCase.label;
}

const OpenCase OPEN_CASES[] = {
    {"ReadMissing", FILE_READ | RANDOM, false, FILE_NOTFOUND, "", MISSING_READ, nullptr},
    {"ReadBinary", FILE_READ | RANDOM, true, FILE_OK, "rb", "", OLD_TEXT},
    {"ReadText", FILE_READ | SEQUENTIAL, true, FILE_OK, "rt", "", OLD_TEXT},
    {"ReadWriteMissing", FILE_READ | FILE_WRITE | RANDOM, false, FILE_NOTFOUND, "",
     MISSING_READ_WRITE, nullptr},
    {"ReadWriteKeeps", FILE_READ | FILE_WRITE | RANDOM, true, FILE_OK, "r+b", "", OLD_TEXT},
    {"ReadWriteCreateEmpties", FILE_READ | FILE_WRITE | FILE_AUTOCREATE | RANDOM, true, FILE_OK,
     "w+b", "", ""},
    {"ReadWriteCreateCreates", FILE_READ | FILE_WRITE | FILE_AUTOCREATE | RANDOM, false, FILE_OK,
     "w+b", "", ""},
    {"WriteMissing", FILE_WRITE | RANDOM, false, FILE_NOTFOUND, "", MISSING_WRITE, nullptr},
    {"WriteEmpties", FILE_WRITE | RANDOM, true, FILE_OK, "wb", "", ""},
    {"WriteCreateCreates", FILE_WRITE | FILE_AUTOCREATE | RANDOM, false, FILE_OK, "wb", "", ""},
    {"AppendMissing", FILE_APPEND | RANDOM, false, FILE_NOTFOUND, "", MISSING_APPEND, nullptr},
    {"AppendKeeps", FILE_APPEND | RANDOM, true, FILE_OK, "a+b", "", OLD_TEXT},
    {"AppendLeaveEofCreates", FILE_APPEND | FILE_LEAVEEOF | FILE_AUTOCREATE | SEQUENTIAL, false,
     FILE_OK, "at", "", ""},
    {"AppendCreateKeeps", FILE_APPEND | FILE_AUTOCREATE | SEQUENTIAL, true, FILE_OK, "a+t", "",
     OLD_TEXT},
    {"ReadLeaveEofWarns", FILE_READ | FILE_LEAVEEOF | SEQUENTIAL, true, FILE_OK, "rt",
     LEAVEEOF_WARNING, OLD_TEXT},
    {"ReadAutoCreateWarns", FILE_READ | FILE_AUTOCREATE | RANDOM, true, FILE_OK, "rb",
     AUTOCREATE_WARNING, OLD_TEXT},
    {"ReadAutoCreateStillNeedsFile", FILE_READ | FILE_AUTOCREATE | RANDOM, false, FILE_NOTFOUND, "",
     AUTOCREATE_WARNING + MISSING_READ, nullptr},
    // The existence check comes before the FILE_NOTOPEN rule.
    {"NotOpenMissing", FILE_NOTOPEN | FILE_READ | RANDOM, false, FILE_NOTFOUND, "", MISSING_READ,
     nullptr},
};

class OpenRules : public LoggedFolderTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenRules, ResultModeLogAndFile) {
    const OpenCase& c = GetParam();
    if (c.fileExists) {
        WriteWholeFile("data.bin", OLD_TEXT);
    }
    File file;
    EXPECT_EQ(file.Open("data.bin", c.flags), c.result);
    EXPECT_EQ(Log(), c.log);
    if (c.result == FILE_OK) {
        EXPECT_TRUE(file.IsOpen());
        EXPECT_STREQ(file.GetMode(), c.mode);
        EXPECT_EQ(file.GetFlags(), c.flags);
        EXPECT_STREQ(file.GetName(), "data.bin");
    } else {
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.GetFlags(), FILE_NOTOPEN);
    }
    file.Close();
    file.Close(); // a second Close does nothing
    EXPECT_EQ(ReadWholeFile("data.bin"), c.contents ? c.contents : "<missing>");
}

INSTANTIATE_TEST_SUITE_P(File, OpenRules, ::testing::ValuesIn(OPEN_CASES),
                         [](const ::testing::TestParamInfo<OpenCase>& info) {
                             return std::string(info.param.label);
                         });

struct FatalCase {
    const char* label;
    int flags;
    bool fileExists;
    std::string message;
};

const FatalCase FATAL_CASES[] = {
    {"AppendAndRead", FILE_APPEND | FILE_READ | RANDOM, true,
     "File::Open: Cannot open file in both APPEND and READ modes.\n"},
    {"AppendAndWrite", FILE_APPEND | FILE_WRITE | FILE_AUTOCREATE | RANDOM, true,
     "File::Open: Cannot open file in both APPEND and WRITE modes.\n"},
    {"NoDirection", FILE_AUTOCREATE | RANDOM, true,
     "File::Open: Must open file using FILE_APPEND, FILE_READ, or FILE_WRITE.\n"},
    {"NotOpenRequested", FILE_NOTOPEN | FILE_READ | RANDOM, true,
     "File::Open: Cannot open a file using FILE_NOTOPEN command!!\n"},
    {"BothAccessModes", FILE_READ | RANDOM | SEQUENTIAL, true,
     "File::Open: Cannot open in SEQUENTIAL and RANDOM access modes.\n"},
    {"NoAccessMode", FILE_READ, true,
     "File::Open: Must open in SEQUENTIAL or RANDOM access mode.\n"},
    // Creating is allowed, but the folder is not there.
    {"UnableToOpen", FILE_WRITE | FILE_AUTOCREATE | RANDOM, false,
     "File::Open: Unable to open file (reason unknown)\n"},
};

class FatalOpen : public LoggedFolderTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalOpen, LogsAndEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "fast");
    const FatalCase& c = GetParam();
    const char* name = c.fileExists ? "data.bin" : "no-folder/data.bin";
    if (c.fileExists) {
        WriteWholeFile(name, OLD_TEXT);
    }
    EXPECT_EXIT(
        {
            File file;
            file.Open(name, c.flags);
            std::exit(0); // not reached when the request is fatal
        },
        ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(Log(), c.message + "  ");
    EXPECT_EQ(ReadWholeFile("data.bin"), c.fileExists ? OLD_TEXT : "<missing>");
}

INSTANTIATE_TEST_SUITE_P(File, FatalOpen, ::testing::ValuesIn(FATAL_CASES),
                         [](const ::testing::TestParamInfo<FatalCase>& info) {
                             return std::string(info.param.label);
                         });

using FileOpen = LoggedFolderTest;

TEST_F(FileOpen, ConstructorOpensAndDestructorCloses) {
    {
        File file("made.txt", FILE_WRITE | FILE_AUTOCREATE | SEQUENTIAL);
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(file.WriteString("kept"), FILE_OK);
    }
    EXPECT_EQ(ReadWholeFile("made.txt"), "kept");
    File missing("absent.txt", FILE_READ | SEQUENTIAL);
    EXPECT_FALSE(missing.IsOpen());
}

TEST_F(FileOpen, NotFoundLeavesAnOpenFileAsItWas) {
    WriteWholeFile("first.txt", "first");
    File file;
    ASSERT_EQ(file.Open("first.txt", FILE_READ | RANDOM), FILE_OK);
    EXPECT_EQ(file.Open("absent.txt", FILE_READ | RANDOM), FILE_NOTFOUND);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_STREQ(file.GetName(), "first.txt");
    char text[6] = {};
    EXPECT_EQ(file.Read(5, text), FILE_OK);
    EXPECT_STREQ(text, "first");
}

TEST_F(FileOpen, ReopeningSwitchesToTheNewFile) {
    WriteWholeFile("first.txt", "first");
    WriteWholeFile("second.txt", "second");
    File file("first.txt", FILE_READ | RANDOM);
    ASSERT_EQ(file.Open("second.txt", FILE_READ | RANDOM), FILE_OK);
    char text[7] = {};
    EXPECT_EQ(file.Read(6, text), FILE_OK);
    EXPECT_STREQ(text, "second");
}

TEST_F(FileOpen, OverlongNameIsRefusedNotTruncated) {
    const std::string fits(99, 'n');
    const std::string tooLong(100, 'n');
    const std::string refused =
        "File::Open: File name is too long (99 characters at most); file not opened.\n  ";

    File file;
    // Even a request that needs no existing file is refused, and nothing is created.
    EXPECT_EQ(file.Open(tooLong.c_str(), FILE_WRITE | FILE_AUTOCREATE | RANDOM), FILE_NOTFOUND);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(FileIsThere(tooLong));
    EXPECT_FALSE(FileIsThere(fits));
    EXPECT_EQ(Log(), refused);

    // An existing over-long name is refused too, whatever the request.
    WriteWholeFile(tooLong, OLD_TEXT);
    EXPECT_EQ(file.Open(tooLong.c_str(), FILE_READ | RANDOM), FILE_NOTFOUND);
    EXPECT_EQ(file.Open(tooLong.c_str(), FILE_APPEND | RANDOM), FILE_NOTFOUND);
    EXPECT_EQ(file.Open(tooLong.c_str(), FILE_READ | FILE_WRITE | RANDOM), FILE_NOTFOUND);
    EXPECT_EQ(file.Open(tooLong.c_str(), FILE_WRITE | RANDOM), FILE_NOTFOUND);
    EXPECT_EQ(ReadWholeFile(tooLong), OLD_TEXT);
    EXPECT_EQ(Log(), refused + refused + refused + refused + refused);

    // 99 characters still fit.
    EXPECT_EQ(file.Open(fits.c_str(), FILE_WRITE | FILE_AUTOCREATE | RANDOM), FILE_OK);
    EXPECT_STREQ(file.GetName(), fits.c_str());
    EXPECT_TRUE(FileIsThere(fits));
}

TEST_F(FileOpen, MissingNameIsRefused) {
    File file;
    EXPECT_EQ(file.Open(nullptr, FILE_WRITE | FILE_AUTOCREATE | RANDOM), FILE_NOTFOUND);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(Log(), "File::Open: No file name given.\n  ");
    EXPECT_EQ(File::Exists(nullptr), FILE_NOTFOUND);
}

TEST_F(FileOpen, ExistsNeedsAReadableFile) {
    WriteWholeFile("here.txt", "x");
    ASSERT_EQ(mkdir("folder", 0755), 0);
    EXPECT_EQ(File::Exists("here.txt"), FILE_FOUND);
    EXPECT_EQ(File::Exists("gone.txt"), FILE_NOTFOUND);
    EXPECT_EQ(File::Exists("folder"), FILE_NOTFOUND); // as on Windows: a folder is no file
    EXPECT_EQ(File::Exists(""), FILE_NOTFOUND);
    EXPECT_EQ(Log(), ""); // Exists logs nothing
}

TEST_F(FileOpen, WindowsStyleNamesFindFilesInAnyCase) {
    ASSERT_EQ(mkdir("Images", 0755), 0);
    WriteWholeFile("Images/titlepage.tif", "title");
    WriteWholeFile("Images/Falling1.tif", "fall");

    EXPECT_EQ(File::Exists("Images\\titlepage.tif"), FILE_FOUND);
    EXPECT_EQ(File::Exists("images\\falling1.tif"), FILE_FOUND);
    EXPECT_EQ(File::Exists("images\\falling2.tif"), FILE_NOTFOUND);

    File file;
    ASSERT_EQ(file.Open("IMAGES\\TITLEPAGE.TIF", FILE_READ | RANDOM), FILE_OK);
    char text[6] = {};
    EXPECT_EQ(file.Read(5, text), FILE_OK);
    EXPECT_STREQ(text, "title");
    EXPECT_STREQ(file.GetName(), "IMAGES\\TITLEPAGE.TIF"); // the name as the caller gave it

    // A new file lands in the existing folder, under the new component as written.
    ASSERT_EQ(file.Open("images\\Saved.tif", FILE_WRITE | FILE_AUTOCREATE | RANDOM), FILE_OK);
    file.Close();
    EXPECT_TRUE(FileIsThere("Images/Saved.tif"));
}

} // namespace

// A read-only open keeps the stream its existence check opened: one descriptor while
// open, none after, and a refused request leaves none behind.
TEST_F(FileOpen, ReadOnlyOpenHoldsOneStream) {
    auto openDescriptors = [] {
        int count = 0;
        for (int fd = 0; fd < 1024; ++fd) {
            count += fcntl(fd, F_GETFD) != -1;
        }
        return count;
    };
    WriteWholeFile("here.txt", "text\n");
    mkdir("folder", 0700);
    const int before = openDescriptors();
    {
        File binary("here.txt", FILE_READ | RANDOM);
        File text("here.txt", FILE_READ | SEQUENTIAL);
        EXPECT_EQ(openDescriptors(), before + 2);
        char line[FILE_LINE_ROOM];
        EXPECT_EQ(text.ReadLine(line), 0);
        EXPECT_STREQ(line, "text\n");
        char bytes[5] = {};
        EXPECT_EQ(binary.Read(4, bytes), FILE_OK);
        EXPECT_STREQ(bytes, "text");
        // A folder is no file, in the stream's mode as in Exists.
        File folder;
        EXPECT_EQ(folder.Open("folder", FILE_READ | RANDOM), FILE_NOTFOUND);
        EXPECT_EQ(Log(), MISSING_READ);
    }
    EXPECT_EQ(openDescriptors(), before);
}
