// Where a program finds its data and leaves its log: beside itself or in its installed
// data folder when the working directory lacks a file, and in the user's state folder
// when the working directory cannot be written.
#include "engine/file/debug_log.h"
#include "engine/file/file.h"
#include "engine/platform/file_names.h"

#include "tests/engine/file/temp_folder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// Sets (or, with null, removes) an environment variable for one test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name(name) {
        const char* old = std::getenv(name);
        had = old != nullptr;
        previous = old ? old : "";
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (had) {
            setenv(name, previous.c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name;
    bool had;
    std::string previous;
};

TEST(DataFolders, TheProgramsFolderThenItsInstalledDataFolder) {
    struct Case {
        const char* program;
        std::vector<std::string> folders;
    };
    const Case cases[] = {
        {"/usr/bin/muffin-meltdown", {"/usr/bin", "/usr/bin/../share/muffin-meltdown"}},
        {"/home/p/games/muffin-meltdown-1.0.0/muffin-meltdown",
         {"/home/p/games/muffin-meltdown-1.0.0",
          "/home/p/games/muffin-meltdown-1.0.0/../share/muffin-meltdown"}},
        {"/work/build/muffins", {"/work/build", "/work/build/../share/muffins"}},
        {"", {}},         // the host cannot tell: the working directory only
        {"muffins", {}},  // no folder to look in
        {"/usr/bin/", {}} // no program name
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataFolders(c.program), c.folders) << c.program;
    }
}

TEST(DataFolders, ThisProgramIsItsOwnRealFile) {
    const std::string program = ProgramFileName();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program[0], '/');
    EXPECT_EQ(BaseName(program), "file_tests");
    char* real = realpath("/proc/self/exe", nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(program, real);
    std::free(real);
}

// A working directory, an unpacked game and an installed one, side by side.
class FindFileToReadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok());
        const std::string root = folder.Path();
        for (const char* made :
             {"work", "work/Images", "unpacked", "unpacked/Images", "unpacked/Sounds", "prefix",
              "prefix/bin", "prefix/share", "prefix/share/muffin-meltdown",
              "prefix/share/muffin-meltdown/Images"}) {
            ASSERT_EQ(mkdir((root + "/" + made).c_str(), 0755), 0) << made;
        }
        for (const char* file :
             {"work/Images/own.tif", "unpacked/muffin-meltdown", "unpacked/Images/TitlePage.tif",
              "unpacked/Images/own.tif", "unpacked/Sounds/melt.wav", "prefix/bin/muffin-meltdown",
              "prefix/share/muffin-meltdown/Images/titlepage.tif",
              "prefix/share/muffin-meltdown/Images/installed.tif"}) {
            WriteWholeFile(root + "/" + file, file);
        }
        ASSERT_EQ(chdir((root + "/work").c_str()), 0);
        unpacked = DataFolders(root + "/unpacked/muffin-meltdown");
        installed = DataFolders(root + "/prefix/bin/muffin-meltdown");
    }
    std::string At(const std::string& relative) const { return folder.Path() + "/" + relative; }

    TempFolder folder;
    std::vector<std::string> unpacked;
    std::vector<std::string> installed;
};

TEST_F(FindFileToReadTest, TheWorkingDirectoryComesFirst) {
    EXPECT_EQ(FindFileToRead("Images\\own.tif", unpacked), "Images/own.tif");
    EXPECT_EQ(FindFileToRead("IMAGES\\OWN.TIF", installed), "Images/own.tif");
    EXPECT_EQ(FindFileToRead("Images\\own.tif", {}), "Images/own.tif");
}

TEST_F(FindFileToReadTest, AMissingFileIsTakenFromBesideTheProgram) {
    const struct {
        const char* name;
        std::string found;
    } cases[] = {
        {"Images\\TitlePage.tif", At("unpacked/Images/TitlePage.tif")},
        {"images\\titlepage.TIF", At("unpacked/Images/TitlePage.tif")}, // in any case
        {"Sounds\\Melt.wav", At("unpacked/Sounds/melt.wav")},
        {"muffin-meltdown", At("unpacked/muffin-meltdown")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindFileToRead(c.name, unpacked), c.found) << c.name;
    }
}

TEST_F(FindFileToReadTest, AnInstalledProgramReadsItsShareFolder) {
    EXPECT_EQ(FindFileToRead("images\\TITLEPAGE.tif", installed),
              At("prefix/bin/../share/muffin-meltdown/Images/titlepage.tif"));
    FILE* stream = std::fopen(FindFileToRead("Images\\installed.tif", installed).c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    std::fclose(stream);
}

TEST_F(FindFileToReadTest, TheProgramsOwnFolderComesBeforeTheShareFolder) {
    std::vector<std::string> both = unpacked;
    both.insert(both.end(), installed.begin(), installed.end());
    EXPECT_EQ(FindFileToRead("Images\\titlepage.tif", both), At("unpacked/Images/TitlePage.tif"));
    EXPECT_EQ(FindFileToRead("Images\\installed.tif", both),
              At("prefix/bin/../share/muffin-meltdown/Images/installed.tif"));
}

TEST_F(FindFileToReadTest, ANameFoundNowhereIsTheWorkingDirectorysAndAbsoluteNamesStay) {
    EXPECT_EQ(FindFileToRead("Images\\none.tif", unpacked), "Images/none.tif");
    EXPECT_EQ(FindFileToRead("Fonts\\none.tif", installed), "Fonts/none.tif");
    EXPECT_EQ(FindFileToRead("", unpacked), "");
    EXPECT_EQ(FindFileToRead(nullptr, unpacked), "");
    // An absolute name means what it says, even when the program's folder has the file.
    const std::string absolute = At("work/Images/TitlePage.tif");
    EXPECT_EQ(FindFileToRead(absolute.c_str(), unpacked), absolute);
}

// OpenPlatformFile with the real program: a file beside the test program is read from any
// working directory, but files being written stay in the working directory.
TEST(OpenPlatformFileSearch, ReadsBesideTheProgramWritesInTheWorkingDirectory) {
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::vector<std::string> folders = DataFolders(ProgramFileName());
    ASSERT_FALSE(folders.empty());
    const std::string name = "file-places-" + std::to_string(getpid()) + ".txt";
    const std::string beside = folders[0] + "/" + name;
    WriteWholeFile(beside, "beside the program");

    std::FILE* read = OpenPlatformFile(name.c_str(), "rt");
    std::string text = "<not opened>";
    if (read) {
        char buffer[64] = {};
        text.assign(buffer, std::fread(buffer, 1, sizeof buffer - 1, read));
        std::fclose(read);
    }
    EXPECT_EQ(text, "beside the program");
    EXPECT_EQ(File::Exists(name.c_str()), FILE_FOUND);

    std::FILE* written = OpenPlatformFile(name.c_str(), "w");
    ASSERT_NE(written, nullptr);
    std::fputs("here", written);
    std::fclose(written);
    EXPECT_EQ(ReadWholeFile(name), "here");
    EXPECT_EQ(ReadWholeFile(beside), "beside the program");
    std::remove(beside.c_str());
}

TEST(UserStateFolder, FollowsTheBaseDirectoryRules) {
    const struct {
        const char* xdg;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/var/state", "/home/p", "/var/state/muffin-meltdown"},
        {nullptr, "/home/p", "/home/p/.local/state/muffin-meltdown"},
        {"", "/home/p", "/home/p/.local/state/muffin-meltdown"},
        {"state", "/home/p", "/home/p/.local/state/muffin-meltdown"}, // relative: ignored
        {nullptr, nullptr, ""},
        {nullptr, "", ""},
        {"", "home", ""}, // a relative home would lead back to the working directory
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserStateFolder("muffin-meltdown", c.xdg, c.home), c.folder)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
    EXPECT_EQ(UserStateFolder("", "/var/state", "/home/p"), "");
}

// The log when the working directory cannot take it. The folder the test starts in is
// removed while it is the working directory, which refuses new files even to root.
class LogElsewhere : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok());
        debugLog.Close();
        program = BaseName(ProgramFileName());
        ASSERT_EQ(mkdir("gone", 0755), 0);
        ASSERT_EQ(chdir("gone"), 0);
        ASSERT_EQ(rmdir((folder.Path() + "/gone").c_str()), 0);
    }
    void TearDown() override { debugLog.Close(); }
    std::string At(const std::string& relative) const { return folder.Path() + "/" + relative; }

    TempFolder folder;
    std::string program;
};

TEST_F(LogElsewhere, GoesToXdgStateHome) {
    ScopedEnv xdg("XDG_STATE_HOME", At("state").c_str());
    const std::string log = At("state/" + program + "/debug.txt");
    ::testing::internal::CaptureStderr();
    DebugLog made;
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(made.IsOpen());
    made.Write("hello\n");
    EXPECT_EQ(ReadWholeFile(log), "* Debugging Output *\nhello\n  ");
    EXPECT_EQ(said, "The working directory cannot be written: the log is " + log + "\n");
    // Made private to the user, as the base directory rules ask.
    struct stat info;
    ASSERT_EQ(stat(At("state/" + program).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(LogElsewhere, GoesUnderHomeWithoutXdgStateHome) {
    ScopedEnv xdg("XDG_STATE_HOME", nullptr);
    ScopedEnv home("HOME", At("home").c_str());
    ASSERT_EQ(mkdir(At("home").c_str(), 0755), 0); // an empty home: .local is made too
    std::string elsewhere;
    std::FILE* stream = OpenUserFile("Debug.txt", "w+t", &elsewhere);
    ASSERT_NE(stream, nullptr);
    std::fclose(stream);
    EXPECT_EQ(elsewhere, At("home/.local/state/" + program + "/Debug.txt"));
    EXPECT_TRUE(FileIsThere(elsewhere));
}

TEST_F(LogElsewhere, WithNowhereToGoTheGamePlaysOnWithoutALog) {
    ScopedEnv xdg("XDG_STATE_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    ::testing::internal::CaptureStdout();
    debugLog.Open("debug.txt");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "DEBUGGER ERROR: Unable to open debug log file.\n");
    EXPECT_FALSE(debugLog.IsOpen());
    debugLog.Write("dropped\n");
}

TEST_F(LogElsewhere, OnlyFilesBeingWrittenMove) {
    ScopedEnv xdg("XDG_STATE_HOME", At("state").c_str());
    std::string elsewhere = "stale";
    EXPECT_EQ(OpenUserFile("no-such-log.txt", "r", &elsewhere), nullptr); // nothing to read there
    EXPECT_EQ(OpenUserFile("logs/debug.txt", "w", &elsewhere), nullptr);  // a missing folder
    EXPECT_EQ(elsewhere, "");
    EXPECT_FALSE(FileIsThere(At("state")));
}

TEST(LogInPlace, AWritableWorkingDirectoryKeepsTheLog) {
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    ScopedEnv xdg("XDG_STATE_HOME", (folder.Path() + "/state").c_str());
    std::string elsewhere = "stale";
    std::FILE* stream = OpenUserFile("debug.txt", "w+t", &elsewhere);
    ASSERT_NE(stream, nullptr);
    std::fclose(stream);
    EXPECT_EQ(elsewhere, "");
    EXPECT_TRUE(FileIsThere("debug.txt"));
    EXPECT_FALSE(FileIsThere(folder.Path() + "/state"));
}

// A working directory the user may not write, like / or an installed game's folder:
// checked in a child process that is not root (root writes anywhere).
TEST(LogInAReadOnlyFolder, GoesToTheStateFolder) {
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::string root = folder.Path();
    const std::string readOnly = root + "/installed";
    const std::string state = root + "/state";
    ASSERT_EQ(mkdir(readOnly.c_str(), 0555), 0);
    ASSERT_EQ(mkdir(state.c_str(), 0777), 0);
    ASSERT_EQ(chmod(state.c_str(), 0777), 0); // whatever the umask
    ASSERT_EQ(chmod(root.c_str(), 0755), 0);  // the child must reach both
    const std::string expected = state + "/" + BaseName(ProgramFileName()) + "/debug.txt";

    std::fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Exit codes: 0 moved as expected, 2 cannot drop root, 3 not moved.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        if (chdir(readOnly.c_str()) != 0 || setenv("XDG_STATE_HOME", state.c_str(), 1) != 0) {
            _exit(3);
        }
        std::string elsewhere;
        std::FILE* stream = OpenUserFile("debug.txt", "w+t", &elsewhere);
        if (!stream) {
            _exit(3);
        }
        std::fputs("from a read-only folder\n", stream);
        std::fclose(stream);
        _exit(elsewhere == expected ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "running as root without the right to become another user";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadWholeFile(expected), "from a read-only folder\n");
    EXPECT_FALSE(FileIsThere(readOnly + "/debug.txt"));
    chmod(readOnly.c_str(), 0755); // so the folder can be cleared away
}

} // namespace
