// The window procedure: held keys, the typed-character stack and its overflow,
// the mouse, window movement, focus and activation.
#include "display_test_support.h"

#include "engine/file/debug_log.h"

namespace {

using InputTest = EngineTest;

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    return WindowsDX::WindowProc(Tolvo.window, message, wParam, lParam);
}

TEST_F(InputTest, KeysAreHeldFromKeyDownToKeyUpThroughRepeats) {
    Send(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(Tolvo.IsKeyDown(VK_LEFT), 1);
    Send(WM_KEYDOWN, VK_LEFT); // auto-repeat
    EXPECT_EQ(Tolvo.IsKeyDown(VK_LEFT), 1);
    Send(WM_KILLFOCUS, 0); // losing focus does not release keys
    EXPECT_EQ(Tolvo.IsKeyDown(VK_LEFT), 1);
    Send(WM_KEYUP, VK_LEFT);
    EXPECT_EQ(Tolvo.IsKeyDown(VK_LEFT), 0);

    // Codes 128 and above are keys too, but not typed characters.
    Send(WM_KEYDOWN, 0xBA);
    EXPECT_EQ(Tolvo.IsKeyDown(0xBA), 1);
    EXPECT_EQ(Tolvo.keyCount, 0);
    // Only the low byte of wParam names the key.
    Send(WM_KEYDOWN, 0x1FF);
    EXPECT_EQ(Tolvo.IsKeyDown(0xFF), 1);
}

TEST_F(InputTest, CodesOutsideTheTableAreNeverDown) {
    std::fill(std::begin(Tolvo.keyState), std::end(Tolvo.keyState), uint8_t(1));
    EXPECT_EQ(Tolvo.IsKeyDown(-1), 0);
    EXPECT_EQ(Tolvo.IsKeyDown(256), 0);
    EXPECT_EQ(Tolvo.IsKeyDown(100000), 0);
    EXPECT_EQ(Tolvo.IsKeyDown(0), 1);
    EXPECT_EQ(Tolvo.IsKeyDown(255), 1);
}

TEST_F(InputTest, TypedCharactersComeBackMostRecentFirst) {
    Send(WM_CHAR, 'a');
    Send(WM_CHAR, 'b');
    Send(WM_CHAR, 'c');
    EXPECT_EQ(Tolvo.GetKey(), 'c');
    EXPECT_EQ(Tolvo.GetKey(), 'b');
    EXPECT_EQ(Tolvo.GetKey(), 'a');
    EXPECT_EQ(Tolvo.GetKey(), 0);
    EXPECT_EQ(Tolvo.keyCount, 0);
}

TEST_F(InputTest, FullBufferDropsCharactersAndLogsEachOne) {
    for (int i = 0; i < 1005; ++i)
        Send(WM_CHAR, 'A' + i % 26);
    EXPECT_EQ(Tolvo.keyCount, 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Tolvo.keyBuffer[i], 'A' + i % 26) << i;
    std::string line = "WinDX: Keyboard buffer overflow.\n";
    EXPECT_EQ(ReadLog(), LogText({line, line, line, line, line}));
    // Taking one makes room for one.
    EXPECT_EQ(Tolvo.GetKey(), 'A' + 999 % 26);
    Send(WM_CHAR, '!');
    EXPECT_EQ(Tolvo.GetKey(), '!');
}

TEST_F(InputTest, EscapeCharacterQuitsAndIsPushed) {
    Send(WM_CHAR, 27);
    EXPECT_EQ(Tolvo.keyCount, 1);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, UINT(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(InputTest, MouseKeepsPositionPreviousPositionAndButton) {
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(13, 16));
    EXPECT_EQ(Tolvo.GetMouseX(), 13);
    EXPECT_EQ(Tolvo.GetMouseY(), 16);
    EXPECT_DOUBLE_EQ(Tolvo.GetMouseDX(), 3.0);
    EXPECT_DOUBLE_EQ(Tolvo.GetMouseDY(), -4.0);
    const struct {
        UINT message;
        int32_t button;
    } presses[] = {
        {WM_LBUTTONDOWN, 1}, {WM_LBUTTONUP, 0},    {WM_RBUTTONDOWN, 2},
        {WM_RBUTTONUP, 0},   {WM_MBUTTONDOWN, 16}, {WM_LBUTTONUP, 0},
    };
    for (const auto& press : presses) {
        Send(press.message, 0, MAKELPARAM(13, 16));
        EXPECT_EQ(Tolvo.GetMouseButton(), press.button) << press.message;
    }
}

TEST_F(InputTest, StartupEmptiesTheKeyBufferAndTracksTheClientArea) {
    Send(WM_CHAR, 'x');
    ASSERT_TRUE(Start());
    EXPECT_EQ(Tolvo.keyCount, 0);
    // Positions are the two 16-bit halves of lParam, read unsigned.
    Send(WM_MOVE, 0, MAKELPARAM(120, 45));
    EXPECT_EQ(Tolvo.clientX, 120);
    EXPECT_EQ(Tolvo.clientY, 45);
    Send(WM_MOVE, 0, MAKELPARAM(-3, -1));
    EXPECT_EQ(Tolvo.clientX, 65533);
    EXPECT_EQ(Tolvo.clientY, 65535);
}

TEST_F(InputTest, FocusAndActivationGatePresentation) {
    ASSERT_TRUE(Start());
    Send(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(Tolvo.active, 0);
    Send(WM_ACTIVATEAPP, 1);
    EXPECT_EQ(Tolvo.active, 1);
    Send(WM_KILLFOCUS, 0);
    EXPECT_EQ(Tolvo.active, 0);
    int presented = subset::FramesPresented();
    Send(WM_SETFOCUS, 0); // after start-up: present the last frame at once
    EXPECT_EQ(Tolvo.active, 1);
    EXPECT_EQ(subset::FramesPresented(), presented + 1);

    // Before start-up completes, focus presents nothing and does not activate.
    Tolvo.status = BACKSURFACE_OK;
    Send(WM_KILLFOCUS, 0);
    Send(WM_SETFOCUS, 0);
    EXPECT_EQ(Tolvo.active, 0);
    EXPECT_EQ(subset::FramesPresented(), presented + 1);
}

TEST_F(InputTest, CloseDestroysTheWindowAndPostsQuit) {
    ASSERT_TRUE(Start());
    Send(WM_CLOSE, 0);
    MSG message;
    bool quit = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        quit = quit || message.message == WM_QUIT;
    EXPECT_TRUE(quit);
}

} // namespace
