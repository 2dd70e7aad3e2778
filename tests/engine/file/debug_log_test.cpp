// DebugLog: the file's exact layout, flushing, reopening and a log that cannot open.
#include "engine/file/debug_log.h"

#include "tests/engine/file/temp_folder.h"

#include <string>

namespace {

using DebugLogFile = LoggedFolderTest;

TEST_F(DebugLogFile, MessagesAreFollowedByTwoSpaces) {
    debugLog.Write("A\n");
    debugLog.Write("B\n");
    EXPECT_EQ(Log(), "A\n  B\n  ");
    debugLog.Write("value:", "detail\n");
    EXPECT_EQ(Log(), "A\n  B\n  value:  detail\n");
}

TEST_F(DebugLogFile, EachMessageIsOnDiskWhenWriteReturns) {
    // Read through a separate stream while the log stays open.
    debugLog.Write("WindowsDX: Initialization started.\n");
    EXPECT_EQ(Log(), "WindowsDX: Initialization started.\n  ");
    debugLog.Write("second\n");
    EXPECT_EQ(Log(), "WindowsDX: Initialization started.\n  second\n  ");
}

TEST_F(DebugLogFile, OpenEmptiesTheFile) {
    debugLog.Write("before\n");
    debugLog.Open("debug.txt");
    EXPECT_EQ(Log(), "");
    debugLog.Write("after\n");
    EXPECT_EQ(Log(), "after\n  ");
}

TEST_F(DebugLogFile, ClosedLogDropsMessages) {
    debugLog.Write("kept\n");
    debugLog.Close();
    EXPECT_FALSE(debugLog.IsOpen());
    debugLog.Write("dropped\n");
    debugLog.Close(); // closing twice is harmless
    EXPECT_EQ(Log(), "kept\n  ");
}

TEST_F(DebugLogFile, ANewLogStartsWithItsHeader) {
    debugLog.Close();
    {
        DebugLog log;
        EXPECT_TRUE(log.IsOpen());
        EXPECT_EQ(Log(), "* Debugging Output *\n"); // on disk at once, like every message
        log.Write("one\n");
    }
    EXPECT_EQ(Log(), "* Debugging Output *\none\n  ");
}

TEST_F(DebugLogFile, FindsAnExistingLogInAnyCase) {
    debugLog.Close();
    ASSERT_EQ(std::remove("debug.txt"), 0);
    WriteWholeFile("Debug.TXT", "old");
    debugLog.Open("debug.txt");
    debugLog.Write("new\n");
    EXPECT_EQ(ReadWholeFile("Debug.TXT"), "new\n  ");
    EXPECT_FALSE(FileIsThere("debug.txt"));
}

TEST_F(DebugLogFile, UnopenableLogIsReportedOnStandardOutput) {
    ::testing::internal::CaptureStdout();
    debugLog.Open("no-folder/debug.txt");
    std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "DEBUGGER ERROR: Unable to open debug log file.\n");
    EXPECT_FALSE(debugLog.IsOpen());
    debugLog.Write("dropped\n"); // later messages are dropped, nothing breaks
    EXPECT_FALSE(FileIsThere("no-folder"));
}

TEST_F(DebugLogFile, ConstructorReportsAnUnopenableLogAndWritesNoHeader) {
    debugLog.Close();
    ASSERT_EQ(std::remove("debug.txt"), 0);
    ASSERT_EQ(mkdir("debug.txt", 0755), 0); // a folder in the log's place
    ::testing::internal::CaptureStdout();
    {
        DebugLog log;
        EXPECT_FALSE(log.IsOpen());
        log.Write("dropped\n");
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "DEBUGGER ERROR: Unable to open debug log file.\n");
}

} // namespace
