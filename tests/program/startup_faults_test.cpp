// Start-up faults: the real game starts on the headless host while one platform call of
// start-up fails. Each run happens in a child process that ends as the program would
// (exit with WinMain's code), so LeakSanitizer checks it for leaks at exit and
// AddressSanitizer for anything freed twice; either changes the exit code. Start-ups
// that survive the failure play three frames and close with 0.
#include "engine/display/windows_dx.h"
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "tests/support/startup_faults.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const char* const STARTED = "WindowsDX: Initialization started.\n";
const char* const FINISHED = "WindowsDX: Initialization finished OK.\n";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class StartupFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tolvo-startup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous = here;
        ASSERT_EQ(chdir(folder.c_str()), 0);
        // The game loads its pictures whether start-up worked or not.
        ASSERT_EQ(symlink(GAME_IMAGES, "Images"), 0);
    }
    void TearDown() override {
        std::remove("debug.txt");
        std::remove("Images");
        EXPECT_EQ(chdir(previous.c_str()), 0);
        rmdir(folder.c_str());
    }

    // The program's run in a child: fresh desktop, the fault, three frames at most.
    static void RunProgram(const StartupFault& fault) {
        alarm(120); // a start-up that never ends fails instead of hanging the tests
        headless::Start();
        subset::FailCall(fault.call, fault.result, fault.times, fault.skip);
        subset::StopAfterFrames(3);
        std::exit(WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL));
    }

    std::string folder;
    std::string previous;
};

TEST_F(StartupFaults, EachFailingCallEndsInItsStatusBoxLogLineAndExitCode) {
    // The game starts in a window; ShowWindow is never made to fail: its result is not
    // examined, but the headless host delivers the closing input only to a shown window,
    // so such a run could not be ended from outside.
    for (const StartupFault& fault : StartupFaultTable()) {
        if (fault.fullScreen) {
            continue;
        }
        SCOPED_TRACE(Describe(fault));
        const StartupErrorText text = StartupErrorTextFor(fault.status);
        std::remove("debug.txt");
        if (fault.status != READY) {
            const std::string box = std::string("[message box] Tolvo: Unable to start Tolvo.\n\n") +
                                    text.line + "\n\n" + text.hint;
            EXPECT_EXIT(RunProgram(fault), ::testing::ExitedWithCode(255),
                        AllOf(HasSubstr(box), Not(HasSubstr("Sanitizer"))));
            const std::string log = ReadFile("debug.txt");
            EXPECT_THAT(log, HasSubstr(STARTED));
            EXPECT_THAT(log, Not(HasSubstr(FINISHED)));
            EXPECT_THAT(log, HasSubstr(std::string("Tolvo ") + text.line + "\n"));
        } else {
            EXPECT_EXIT(
                RunProgram(fault), ::testing::ExitedWithCode(0),
                AllOf(Not(HasSubstr("Unable to start Tolvo")), Not(HasSubstr("Sanitizer"))));
            EXPECT_THAT(ReadFile("debug.txt"), HasSubstr(FINISHED));
        }
    }
}

TEST_F(StartupFaults, ErrorBoxThatCannotBeShownStillLogsAndExitsMinusOne) {
    EXPECT_EXIT(
        {
            headless::Start();
            subset::FailCall("RegisterClassA", 0, -1);
            subset::FailCall("MessageBoxA", 0, -1);
            std::exit(WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL));
        },
        ::testing::ExitedWithCode(255),
        AllOf(Not(HasSubstr("[message box] Tolvo:")), Not(HasSubstr("Sanitizer"))));
    EXPECT_THAT(ReadFile("debug.txt"),
                HasSubstr("Tolvo Error: INITCLASS_FAILED (Cannot Initialize Window Class)\n"));
}

} // namespace
