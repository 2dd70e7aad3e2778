// Start-up faults: the real game starts on the headless host while one platform call of
// start-up fails. Each run happens in a child process that ends as the program would
// (exit with WinMain's code), so LeakSanitizer checks it for leaks at exit and
// AddressSanitizer for anything freed twice; either changes the exit code. Start-ups
// that survive the failure play three frames and close with 0.
#include "engine/display/windows_dx.h"
#include "engine/platform/hosts/headless/headless.h"

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

const char* const HINT_W = "Are you using Windows 98/2000/NT? Tolvo requires one of these.";
const char* const HINT_D = "Are you using DirectX SDK 3.1 or 8.1? Tolvo requires one of these.";
const char* const STARTED = "WindowsDX: Initialization started.\n";
const char* const FINISHED = "WindowsDX: Initialization finished OK.\n";

struct Fault {
    const char* call;
    HRESULT result; // 0 for user32 and gdi32 calls
    int times;      // -1: every call
    int skip;       // successful calls before the failures
    int status;     // READY when start-up survives it
    const char* errorLine;
    const char* hint;
};

// Every platform call the game's windowed start-up makes, failing in turn. ShowWindow
// is left out: its result is not examined, but the headless host delivers the closing
// input only to a shown window, so such a run could not be ended from outside.
const Fault FAULTS[] = {
    {"RegisterClassA", 0, -1, 0, INITCLASS_FAILED,
     "Error: INITCLASS_FAILED (Cannot Initialize Window Class)", HINT_W},
    {"user32!GetDC", 0, -1, 0, BPP_FAILED, "Error: BPP_FAILED (Screen depth not supported)",
     "Tolvo supports 16-bit screen depths ONLY!"},
    {"GetDeviceCaps", 0, -1, 0, BPP_FAILED, "Error: BPP_FAILED (Screen depth not supported)",
     "Tolvo supports 16-bit screen depths ONLY!"},
    {"GetSystemMetrics", 0, -1, 0, REQSIZE_FAILED,
     "Error: REQSIZE_FAILED (Requested size too large)",
     "The requested game size must be smaller than the current screen settings."},
    {"CreateWindowExA", 0, 1, 0, INITWINTEMP_FAILED,
     "Error: INITWINTEMP_FAILED (Cannot Initialize Temp Window)", HINT_W},
    {"CreateWindowExA", 0, 1, 1, INITWINREAL_FAILED,
     "Error: INITWINREAL_FAILED (Cannot Initialize Main Window)", HINT_W},
    {"UpdateWindow", 0, -1, 0, SHOWWIN_FAILED, "Error: SHOWWIN_FAILED (Unable to show Main Window)",
     HINT_W},
    {"DirectDrawCreate", DDERR_GENERIC, -1, 0, DDSTART_FAILED,
     "Error: DDSTART_FAILED (Unable to start DirectX)", HINT_D},
    {"SetCooperativeLevel", DDERR_GENERIC, -1, 0, DDSETLEVEL_FAILED,
     "Error: DDSETLEVEL_FAILED (Unable to set DirectX Cooperative Level)", HINT_D},
    {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 2, 0, FRONTSURFACE_FAILED,
     "Error: FRONTSURFACE_FAILED (Unable to create primary surface)", HINT_D},
    {"CreateSurface", DDERR_OUTOFMEMORY, -1, 1, BACKSURFACE_FAILED,
     "Error: BACKSURFACE_FAILED (Unable to create secondary surface)", HINT_D},
    // A back buffer whose geometry cannot be read is refused rather than drawn into blind.
    {"GetSurfaceDesc", DDERR_GENERIC, -1, 0, BACKSURFACE_FAILED,
     "Error: BACKSURFACE_FAILED (Unable to create secondary surface)", HINT_D},
    // Failures start-up survives: a retry, or a result it does not examine.
    {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1, 0, READY, nullptr, nullptr},
    {"CreateSurface", DDERR_OUTOFVIDEOMEMORY, 1, 2, READY, nullptr, nullptr},
    {"GetClientRect", 0, -1, 0, READY, nullptr, nullptr},
    {"ClientToScreen", 0, -1, 0, READY, nullptr, nullptr},
    {"LoadCursorA", 0, -1, 0, READY, nullptr, nullptr},
    {"GetStockObject", 0, -1, 0, READY, nullptr, nullptr},
    {"user32!ReleaseDC", 0, -1, 0, READY, nullptr, nullptr},
    {"GetSurfaceDesc", DDERR_GENERIC, 1, 0, READY, nullptr, nullptr},
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Describe(const Fault& fault) {
    return std::string(fault.call) + " failing " + std::to_string(fault.times) + " time(s) after " +
           std::to_string(fault.skip);
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
    static void RunProgram(const Fault& fault) {
        alarm(120); // a start-up that never ends fails instead of hanging the tests
        headless::Reset();
        headless::FailCall(fault.call, fault.result, fault.times, fault.skip);
        headless::StopAfterFrames(3);
        std::exit(WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL));
    }

    std::string folder;
    std::string previous;
};

TEST_F(StartupFaults, EachFailingCallEndsInItsStatusBoxLogLineAndExitCode) {
    for (const Fault& fault : FAULTS) {
        SCOPED_TRACE(Describe(fault));
        std::remove("debug.txt");
        if (fault.status != READY) {
            const std::string box = std::string("[message box] Tolvo: Unable to start Tolvo.\n\n") +
                                    fault.errorLine + "\n\n" + fault.hint;
            EXPECT_EXIT(RunProgram(fault), ::testing::ExitedWithCode(255),
                        AllOf(HasSubstr(box), Not(HasSubstr("Sanitizer"))));
            const std::string log = ReadFile("debug.txt");
            EXPECT_THAT(log, HasSubstr(STARTED));
            EXPECT_THAT(log, Not(HasSubstr(FINISHED)));
            EXPECT_THAT(log, HasSubstr(std::string("Tolvo ") + fault.errorLine + "\n"));
        } else {
            EXPECT_EXIT(
                RunProgram(fault), ::testing::ExitedWithCode(0),
                AllOf(Not(HasSubstr("Unable to start Tolvo")), Not(HasSubstr("Sanitizer"))));
            EXPECT_THAT(ReadFile("debug.txt"), HasSubstr(FINISHED));
        }
    }
}

TEST_F(StartupFaults, ErrorBoxThatCannotBeShownStillLogsAndExitsMinusOne) {
    const Fault fault = {"RegisterClassA", 0, -1, 0, INITCLASS_FAILED, nullptr, nullptr};
    EXPECT_EXIT(
        {
            headless::Reset();
            headless::FailCall("RegisterClassA", 0, -1);
            headless::FailCall("MessageBoxA", 0, -1);
            std::exit(WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL));
        },
        ::testing::ExitedWithCode(255),
        AllOf(Not(HasSubstr("[message box] Tolvo:")), Not(HasSubstr("Sanitizer"))));
    EXPECT_THAT(ReadFile("debug.txt"),
                HasSubstr("Tolvo Error: INITCLASS_FAILED (Cannot Initialize Window Class)\n"));
    (void)fault;
}

} // namespace
