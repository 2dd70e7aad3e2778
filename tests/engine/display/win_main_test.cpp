// The process entry: start-up judged by the status, the loop of one message or one
// frame per pass, and the exit code.
#include "display_test_support.h"

namespace {

using EntryTest = EngineTest;

int Enter() {
    return WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
}

// A game that starts a 900 x 500 window and presents a frame per run.
void StartWindowedGame() {
    testInitialize = [] { Tolvo.Initialize(false, 900, 500); };
}

TEST_F(EntryTest, GameThatNeverInitializesGetsTheNoInitBoxAndMinusOne) {
    int runs = 0;
    testRun = [&] { return ++runs; };
    EXPECT_EQ(Enter(), -1);
    EXPECT_EQ(runs, 0);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_NE(headless::MessageBoxes()[0].text.find("NO_INIT"), std::string::npos);
    EXPECT_EQ(ReadLog(), LogText({"Tolvo Error: NO_INIT (User did not initialize Tolvo)\n"}));
}

TEST_F(EntryTest, FailedStartupNeverRunsAndSkipsCleanUp) {
    const struct {
        const char* call;
        HRESULT result;
        int32_t status;
    } failures[] = {
        {"RegisterClassA", 0, INITCLASS_FAILED},
        {"DirectDrawCreate", DDERR_GENERIC, DDSTART_FAILED},
        {"GetAttachedSurface", DDERR_GENERIC, READY}, // windowed: not used
    };
    for (const auto& failure : failures) {
        ResetDesktop(subset::DesktopInfo());
        StartWindowedGame();
        int runs = 0;
        testRun = [&] {
            ++runs;
            PostQuitMessage(0);
            return 0;
        };
        subset::FailCall(failure.call, failure.result, -1);
        int code = Enter();
        if (failure.status == READY) {
            EXPECT_EQ(code, 0);
            EXPECT_EQ(runs, 1);
            continue;
        }
        EXPECT_EQ(code, -1) << failure.call;
        EXPECT_EQ(runs, 0) << failure.call;
        EXPECT_EQ(Tolvo.status, failure.status);
        EXPECT_EQ(headless::MessageBoxes().size(), 1u);
    }

    // 24-bit desktop: the BPP box, and CleanUp is not called (DirectDraw never started).
    subset::DesktopInfo desktop;
    desktop.bitsPerPixel = 24;
    ResetDesktop(desktop);
    StartWindowedGame();
    EXPECT_EQ(Enter(), -1);
    EXPECT_EQ(Tolvo.status, BPP_FAILED);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_NE(headless::MessageBoxes()[0].text.find("BPP_FAILED"), std::string::npos);

    // A start-up that stopped after DirectDraw began keeps its objects: no CleanUp.
    ResetDesktop(subset::DesktopInfo());
    StartWindowedGame();
    subset::FailCall("CreateSurface", DDERR_GENERIC, -1);
    EXPECT_EQ(Enter(), -1);
    EXPECT_NE(Tolvo.directDraw, nullptr);
}

TEST_F(EntryTest, ClosingTheWindowEndsWithZeroAfterCleanUp) {
    StartWindowedGame();
    int runs = 0;
    testRun = [&] { return ++runs; };
    subset::QueueClose(3);
    EXPECT_EQ(Enter(), 0);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(Tolvo.primary, nullptr);
    EXPECT_EQ(Tolvo.back, nullptr);
    EXPECT_EQ(Tolvo.directDraw, nullptr);
}

TEST_F(EntryTest, EscapeQuitsWithZeroAndIsAlsoTyped) {
    StartWindowedGame();
    int runs = 0;
    testRun = [&] { return ++runs; };
    subset::QueueKeyDown(4, VK_ESCAPE);
    EXPECT_EQ(Enter(), 0);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(Tolvo.keyCount, 1);
    EXPECT_EQ(Tolvo.keyBuffer[0], 27);
    EXPECT_EQ(Tolvo.IsKeyDown(VK_ESCAPE), 1);
}

TEST_F(EntryTest, QuitParameterBecomesTheExitCode) {
    StartWindowedGame();
    int runs = 0;
    testRun = [&] {
        if (++runs == 5)
            PostQuitMessage(7);
        return 0;
    };
    EXPECT_EQ(Enter(), 7);
    EXPECT_EQ(runs, 5);
}

TEST_F(EntryTest, PendingMessagesAreHandledOneAPassBeforeTheNextFrame) {
    StartWindowedGame();
    std::vector<int> mouseXAtRun;
    testRun = [&] {
        mouseXAtRun.push_back(Tolvo.GetMouseX());
        if (mouseXAtRun.size() == 1) {
            for (int x = 1; x <= 50; ++x)
                subset::PostToMainWindow(WM_MOUSEMOVE, 0, MAKELPARAM(x, 2));
        }
        if (mouseXAtRun.size() == 2)
            PostQuitMessage(0);
        return 0;
    };
    EXPECT_EQ(Enter(), 0);
    ASSERT_EQ(mouseXAtRun.size(), 2u);
    EXPECT_EQ(mouseXAtRun[1], 50); // every queued move was handled before run came again
}

} // namespace
