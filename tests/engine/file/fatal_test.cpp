// FatalExit: exit code -1, with the standard output and the debug log on disk.
#include "engine/file/fatal.h"

#include "tests/engine/file/temp_folder.h"

#include <cstdio>

namespace {

using FatalExitTest = LoggedFolderTest;

TEST_F(FatalExitTest, EndsWithMinusOneAfterFlushingOutputAndLog) {
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            // Standard output goes to a file, fully buffered, as when redirected.
            if (!std::freopen("stdout.txt", "w", stdout)) {
                std::exit(3);
            }
            std::printf("Load:Tiff: unsupported file");
            debugLog.Write("last words\n");
            FatalExit();
        },
        ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(ReadWholeFile("stdout.txt"), "Load:Tiff: unsupported file");
    EXPECT_EQ(Log(), "last words\n  ");
}

} // namespace
