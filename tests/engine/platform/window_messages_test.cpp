// Window messages as Windows sends them: each expected sequence is a table.
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/platform.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Sent {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Sent> sent;
bool quitOnDestroy = true;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Creation messages carry a pointer: only the message is compared for those.
    bool pointer = message == WM_NCCREATE || message == WM_CREATE;
    sent.push_back({message, pointer ? 0 : wParam, pointer ? 0 : lParam});
    if (message == WM_DESTROY && quitOnDestroy) {
        PostQuitMessage(0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowMessages : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Start();
        sent.clear();
        quitOnDestroy = true;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.lpszClassName = "Tolvo";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }

    HWND Create(DWORD style, int x, int y, int width, int height) {
        return CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", style, x, y, width, height, nullptr,
                               nullptr, nullptr, nullptr);
    }

    void ExpectSent(const std::vector<Sent>& expected) {
        ASSERT_EQ(sent.size(), expected.size());
        for (size_t i = 0; i < expected.size(); i++) {
            EXPECT_EQ(sent[i].message, expected[i].message) << "message " << i;
            EXPECT_EQ(sent[i].wParam, expected[i].wParam) << "message " << i;
            EXPECT_EQ(sent[i].lParam, expected[i].lParam) << "message " << i;
        }
        sent.clear();
    }

    // Runs the engine's kind of loop until WM_QUIT; returns its parameter.
    int RunLoop(int* frames) {
        MSG msg;
        for (int guard = 0; guard < 10000; guard++) {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    return static_cast<int>(msg.wParam);
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            } else {
                ++*frames;
            }
        }
        return -12345;
    }
};

TEST_F(WindowMessages, CreationSendsItsMessagesBeforeReturning) {
    HWND window = Create(WS_SYSMENU, 100, 50, 906, 526);
    ASSERT_NE(window, nullptr);
    // Client origin: 3-pixel border, 20-pixel caption.
    ExpectSent({
        {WM_NCCREATE, 0, 0},
        {WM_CREATE, 0, 0},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(900, 500)},
        {WM_MOVE, 0, MAKELPARAM(103, 73)},
    });
}

TEST_F(WindowMessages, ShowingActivatesAndFocusesSynchronously) {
    HWND window = Create(WS_SYSMENU, 0, 0, 300, 200);
    sent.clear();
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
    ExpectSent({
        {WM_SHOWWINDOW, TRUE, 0},
        {WM_ACTIVATEAPP, TRUE, 0},
        {WM_ACTIVATE, WA_ACTIVE, 0},
        {WM_SETFOCUS, 0, 0},
    });
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(subset::MainWindow(), window);
    EXPECT_TRUE(UpdateWindow(window));
    ExpectSent({{WM_PAINT, 0, 0}});
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL)); // already visible: nothing more
    ExpectSent({});
}

TEST_F(WindowMessages, EngineFrameArithmeticGivesAClientOnePixelSmaller) {
    // The engine measures the frame with a temporary window, then asks for one pixel less.
    for (DWORD style : {WS_SYSMENU, WS_POPUP}) {
        HWND temporary = Create(style, 0, 0, 900, 500);
        RECT client;
        ASSERT_TRUE(GetClientRect(temporary, &client));
        int outerWidth = 2 * 900 - client.right, outerHeight = 2 * 500 - client.bottom;
        HWND main = Create(style, 0, 0, outerWidth - 1, outerHeight - 1);
        ASSERT_TRUE(GetClientRect(main, &client));
        EXPECT_EQ(client.left, 0);
        EXPECT_EQ(client.right, 899);
        EXPECT_EQ(client.bottom, 499);
    }
    RECT popup;
    ASSERT_TRUE(GetClientRect(Create(WS_POPUP, 0, 0, 640, 480), &popup));
    EXPECT_EQ(popup.right, 640); // no frame at all
    POINT origin = {0, 0};
    ASSERT_TRUE(ClientToScreen(Create(WS_SYSMENU, 10, 20, 100, 100), &origin));
    EXPECT_EQ(origin.x, 13);
    EXPECT_EQ(origin.y, 43);
}

TEST_F(WindowMessages, ClosingDestroysTheWindowAndEndsTheLoopWithZero) {
    HWND window = Create(WS_SYSMENU, 0, 0, 300, 200);
    ShowWindow(window, SW_SHOWNORMAL);
    sent.clear();
    subset::QueueClose(3);
    int frames = 0;
    EXPECT_EQ(RunLoop(&frames), 0);
    EXPECT_EQ(frames, 2); // the close arrives before the third frame
    ExpectSent({
        {WM_CLOSE, 0, 0},
        {WM_ACTIVATE, WA_INACTIVE, 0},
        {WM_ACTIVATEAPP, FALSE, 0},
        {WM_KILLFOCUS, 0, 0},
        {WM_DESTROY, 0, 0},
        {WM_NCDESTROY, 0, 0},
    });
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_FALSE(DestroyWindow(window)); // already gone
}

TEST_F(WindowMessages, QuitCarriesItsParameterAndComesAfterPendingMessages) {
    HWND window = Create(WS_SYSMENU, 0, 0, 300, 200);
    ShowWindow(window, SW_SHOWNORMAL);
    subset::PostToMainWindow(WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    PostQuitMessage(7);
    sent.clear();
    int frames = 0;
    EXPECT_EQ(RunLoop(&frames), 7);
    EXPECT_EQ(frames, 0);
    ExpectSent({{WM_MOUSEMOVE, 0, MAKELPARAM(5, 6)}});
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)); // taken once only
}

TEST_F(WindowMessages, KeyDownsTranslateToTheCharactersTheyType) {
    HWND window = Create(WS_SYSMENU, 0, 0, 300, 200);
    ShowWindow(window, SW_SHOWNORMAL);
    quitOnDestroy = false;
    struct Case {
        std::vector<int> keysDown; // pressed in order, released in reverse after the last
        int typed;                 // WM_CHAR of the last key, 0 for none
    };
    const std::vector<Case> cases = {
        {{'A'}, 'a'},      {{VK_SHIFT, 'A'}, 'A'}, {{'7'}, '7'},           {{VK_SPACE}, ' '},
        {{VK_RETURN}, 13}, {{VK_BACK}, 8},         {{VK_ESCAPE}, 27},      {{VK_LEFT}, 0},
        {{0xBA}, 0},       {{VK_CONTROL, 'C'}, 3}, {{VK_SHIFT, '1'}, '!'}, {{VK_NUMPAD0 + 4}, '4'},
    };
    for (const Case& c : cases) {
        for (int key : c.keysDown) {
            subset::QueueKeyDown(1, key);
        }
        for (auto key = c.keysDown.rbegin(); key != c.keysDown.rend(); ++key) {
            subset::QueueKeyUp(1, *key);
        }
        sent.clear();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        std::vector<WPARAM> characters;
        for (size_t i = 0; i < sent.size(); i++) {
            if (sent[i].message == WM_CHAR) {
                characters.push_back(sent[i].wParam);
                // The character follows its key-down directly.
                ASSERT_GT(i, 0u);
                EXPECT_EQ(sent[i - 1].message, static_cast<UINT>(WM_KEYDOWN));
            }
        }
        if (c.typed) {
            EXPECT_EQ(characters, std::vector<WPARAM>{static_cast<WPARAM>(c.typed)})
                << "key " << c.keysDown.back();
        } else {
            EXPECT_TRUE(characters.empty()) << "key " << c.keysDown.back();
        }
    }
}

TEST_F(WindowMessages, AltMakesSystemKeysThatTypeNothing) {
    HWND window = Create(WS_SYSMENU, 0, 0, 300, 200);
    ShowWindow(window, SW_SHOWNORMAL);
    subset::QueueKeyDown(1, VK_MENU);
    subset::QueueKeyDown(1, 'X');
    subset::QueueKeyUp(1, 'X');
    subset::QueueKeyUp(1, VK_MENU);
    sent.clear();
    MSG msg;
    std::vector<UINT> messages;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        messages.push_back(msg.message);
    }
    EXPECT_EQ(messages,
              (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP}));
}

TEST_F(WindowMessages, RefusedCreationAndBadArgumentsFailLikeWindows) {
    WNDCLASSA duplicate = {};
    duplicate.lpfnWndProc = RecordingProc;
    duplicate.lpszClassName = "TOLVO"; // class names ignore case
    EXPECT_EQ(RegisterClassA(&duplicate), 0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_SYSMENU, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    RECT rect;
    EXPECT_FALSE(GetClientRect(nullptr, &rect));
    EXPECT_FALSE(UpdateWindow(nullptr));
    EXPECT_EQ(DispatchMessageA(nullptr), 0);
}

TEST_F(WindowMessages, MessageBoxesAreRecordedAndDismissed) {
    EXPECT_EQ(MessageBoxA(nullptr, "Unable to start.", "Tolvo", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "no caption", nullptr, MB_OK), IDOK);
    ASSERT_EQ(headless::MessageBoxes().size(), 2u);
    EXPECT_EQ(headless::MessageBoxes()[0].text, "Unable to start.");
    EXPECT_EQ(headless::MessageBoxes()[0].caption, "Tolvo");
    EXPECT_EQ(headless::MessageBoxes()[1].caption, "Error");
}

} // namespace
