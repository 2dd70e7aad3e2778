// The debug log's place among the program's globals: constructed after every other
// global (so the game's objects exist before "debug.txt" is created or emptied) and
// destroyed first (so the file is closed before they go away).
#include "engine/file/debug_log.h"
#include "engine/file/init_order.h"

#include "tests/engine/file/temp_folder.h"

#include <string>

namespace {

// Stands for the last of the game's globals. Its constructor moves the process into
// a fresh folder, so the log can only have been created there if it came later.
struct EarlyGlobal {
    EarlyGlobal() {
        char pattern[] = "/tmp/tolvo-order-XXXXXX";
        if (mkdtemp(pattern) && chdir(pattern) == 0) {
            folder = pattern;
            creator = getpid();
            logOpenWhenConstructed = debugLog.IsOpen();
        }
    }
    ~EarlyGlobal() {
        // Runs after the log's destructor: this message must go nowhere.
        debugLog.Write("written after the log was closed\n");
        std::fprintf(stderr, "early global destroyed, log %s\n",
                     debugLog.IsOpen() ? "open" : "closed");
        // Only the process that made the folder clears it away, not a death test's child.
        if (!folder.empty() && getpid() == creator) {
            std::remove((folder + "/debug.txt").c_str());
            rmdir(folder.c_str());
        }
    }
    std::string folder;
    pid_t creator = 0;
    bool logOpenWhenConstructed = true;
};

EarlyGlobal earlyGlobal TOLVO_INIT_ORDER(TOLVO_ORDER_PAGES);

TEST(DebugLogOrder, ConstructedAfterTheOtherGlobals) {
    ASSERT_FALSE(earlyGlobal.folder.empty());
    EXPECT_FALSE(earlyGlobal.logOpenWhenConstructed);
    EXPECT_EQ(ReadWholeFile(earlyGlobal.folder + "/debug.txt"), "* Debugging Output *\n");
}

TEST(DebugLogOrder, DestroyedFirstAtTheEndOfTheProcess) {
    GTEST_FLAG_SET(death_test_style, "fast"); // the child must share this process's globals
    ASSERT_FALSE(earlyGlobal.folder.empty());
    const std::string log = earlyGlobal.folder + "/debug.txt";
    EXPECT_EXIT(
        {
            debugLog.Write("last message\n");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "early global destroyed, log closed");
    EXPECT_EQ(ReadWholeFile(log), "* Debugging Output *\nlast message\n  ");
}

} // namespace
