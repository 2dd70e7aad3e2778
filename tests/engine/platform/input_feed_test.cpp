// Scripts, the frame limit, recording and replay, and frame capture: the input feed
// between the message queue and the frame loop.
#include "engine/platform/hosts/headless/headless.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/platform.h"
#include "engine/platform/subset/test_controls/script.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Delivered {
    int frame;
    UINT message;
    WPARAM wParam;
    bool operator==(const Delivered& o) const {
        return frame == o.frame && message == o.message && wParam == o.wParam;
    }
};

std::vector<Delivered> delivered;

LRESULT CALLBACK FeedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_CLOSE) {
        delivered.push_back({subset::FramesRun() + 1, message, wParam});
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Unique per process: several build folders may run these tests at once.
std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "tolvo-platform-" + std::to_string(getpid()) + "-" + name;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class InputFeed : public ::testing::Test {
  protected:
    HWND window = nullptr;

    void Start() {
        delivered.clear();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = FeedProc;
        windowClass.lpszClassName = "Tolvo";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window = CreateWindowExA(WS_EX_APPWINDOW, "Tolvo", "", WS_SYSMENU, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
    }

    // The engine's loop, with a frame limit of its own as a safety net. Returns the frames run.
    int Run(int maxFrames) {
        MSG msg;
        int frames = 0;
        while (frames < maxFrames) {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            } else {
                frames++;
            }
        }
        return frames;
    }
};

TEST(Script, ParsesEventsAndReportsBadLinesByNumber) {
    const std::string text = "# a comment line\n"
                             "1 down 37   # Left\n"
                             "\n"
                             "  12 up 37\r\n"
                             "3 char 97\n"
                             "40 close\n"
                             "0 down 37\n"
                             "5 press 37\n"
                             "5 down 256\n"
                             "5 down\n"
                             "5 close 1\n"
                             "5 down 37 38\n"
                             "x down 1\n"
                             "5 down -1\n";
    std::vector<std::string> errors;
    std::vector<subset::ScriptEvent> events = subset::ParseScript(text, &errors);
    std::vector<subset::ScriptEvent> expected = {{1, subset::SCRIPT_DOWN, 37},
                                                 {12, subset::SCRIPT_UP, 37},
                                                 {3, subset::SCRIPT_CHAR, 97},
                                                 {40, subset::SCRIPT_CLOSE, 0}};
    EXPECT_EQ(events, expected);
    ASSERT_EQ(errors.size(), 8u);
    const char* lines[] = {"line 7:",  "line 8:",  "line 9:",  "line 10:",
                           "line 11:", "line 12:", "line 13:", "line 14:"};
    for (size_t i = 0; i < errors.size(); i++) {
        EXPECT_EQ(errors[i].rfind(lines[i], 0), 0u) << errors[i];
    }
    for (const subset::ScriptEvent& event : expected) {
        std::vector<std::string> none;
        EXPECT_EQ(subset::ParseScript(subset::FormatScriptEvent(event), &none),
                  std::vector<subset::ScriptEvent>{event});
        EXPECT_TRUE(none.empty());
    }
}

TEST_F(InputFeed, ScriptEventsArriveBeforeTheirFrame) {
    headless::Start();
    Start();
    std::string path = TempPath("script.txt");
    WriteFile(path, "3 down 65\n3 up 65\n1 char 50\nbad line\n5 close\n");
    ASSERT_TRUE(subset::PlayScript(path));
    EXPECT_EQ(Run(100), 4);
    std::vector<Delivered> expected = {{1, WM_CHAR, 50},
                                       {3, WM_KEYDOWN, 65},
                                       {3, WM_CHAR, 'a'},
                                       {3, WM_KEYUP, 65},
                                       {5, WM_CLOSE, 0}};
    EXPECT_EQ(delivered, expected);
    EXPECT_FALSE(subset::PlayScript(TempPath("no-such-script.txt")));
    std::remove(path.c_str());
}

TEST_F(InputFeed, FrameLimitClosesTheWindowBeforeTheNextFrame) {
    headless::Start();
    Start();
    subset::StopAfterFrames(25);
    EXPECT_EQ(Run(1000), 25);
    EXPECT_EQ(subset::FramesRun(), 25);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0], (Delivered{26, WM_CLOSE, 0}));
}

TEST_F(InputFeed, RecordingReplaysToTheSameEvents) {
    std::string path = TempPath("record.txt");
    headless::Start();
    Start();
    ASSERT_TRUE(subset::RecordInput(path));
    subset::QueueKeyDown(2, VK_SHIFT);
    subset::QueueKeyDown(2, 'P');
    subset::QueueKeyUp(4, 'P');
    subset::QueueKeyUp(4, VK_SHIFT);
    subset::QueueKeyDown(4, VK_SPACE);
    subset::QueueChar(7, 'z');
    subset::QueueKeyDown(9, VK_LEFT);
    subset::QueueKeyDown(10, VK_LEFT); // auto-repeat
    subset::QueueClose(12);
    Run(100);
    std::vector<Delivered> first = delivered;
    ASSERT_EQ(first.size(), 11u); // nine events, and the characters of 'P' and Space

    headless::Start(); // also closes the recording
    Start();
    ASSERT_TRUE(subset::PlayScript(path));
    Run(100);
    EXPECT_EQ(delivered, first);
    std::remove(path.c_str());
}

// Reads a PNG back: width, height and the RGB of pixel (x, y).
bool ReadPng(const std::string& path, int x, int y, int* width, int* height, png_byte rgb[3]) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
        return false;
    }
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    for (int i = 0; i < 3; i++) {
        rgb[i] = buffer[(static_cast<size_t>(y) * image.width + x) * 3 + i];
    }
    return true;
}

TEST_F(InputFeed, CaptureWritesTheClientAreaOfEveryKthFrame) {
    headless::Start();
    Start();
    std::string folder = TempPath("capture");
    ASSERT_TRUE(subset::CaptureFrames(folder, 2));
    LPDIRECTDRAW directDraw = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
    directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    DDSURFACEDESC description = {};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    LPDIRECTDRAWSURFACE primary = nullptr, back = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = 94;
    description.dwHeight = 74;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ASSERT_EQ(directDraw->CreateSurface(&description, &back, nullptr), DD_OK);
    ASSERT_EQ(back->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
    static_cast<uint16_t*>(description.lpSurface)[1] = 0xF800; // pure red at (1, 0)
    back->Unlock(nullptr);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(primary->BltFast(origin.x, origin.y, back, nullptr, DDBLTFAST_WAIT), DD_OK);
    }
    back->Release();
    primary->Release();
    directDraw->Release();

    int width = 0, height = 0;
    png_byte rgb[3];
    ASSERT_TRUE(ReadPng(folder + "/frame-000002.png", 1, 0, &width, &height, rgb));
    EXPECT_EQ(width, 94); // the 100 x 100 window's client area
    EXPECT_EQ(height, 74);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[2], 0);
    std::FILE* odd = std::fopen((folder + "/frame-000003.png").c_str(), "rb");
    EXPECT_EQ(odd, nullptr);
    if (odd) {
        std::fclose(odd);
    }
    std::filesystem::remove_all(folder);
}

} // namespace

namespace {

TEST(Environment, DesktopSettingsAreReadAndBadOnesIgnored) {
    struct Case {
        const char* desktop;
        const char* format;
        int width, height, depth;
        bool rgb555;
    };
    const Case cases[] = {
        {"800x600x32", "555", 800, 600, 32, true},    {"", "565", 1024, 768, 16, false},
        {"800x600", "", 1024, 768, 16, false},        {"800x600x16x2", "444", 1024, 768, 16, false},
        {"-5x600x16", nullptr, 1024, 768, 16, false},
    };
    for (const Case& c : cases) {
        setenv("TOLVO_DESKTOP", c.desktop, 1);
        if (c.format) {
            setenv("TOLVO_PIXEL_FORMAT", c.format, 1);
        } else {
            unsetenv("TOLVO_PIXEL_FORMAT");
        }
        subset::DesktopInfo desktop = subset::ReadSettings().desktop;
        EXPECT_EQ(desktop.width, c.width) << c.desktop;
        EXPECT_EQ(desktop.height, c.height) << c.desktop;
        EXPECT_EQ(desktop.bitsPerPixel, c.depth) << c.desktop;
        EXPECT_EQ(desktop.masks == subset::RGB555, c.rgb555) << c.desktop;
    }
    unsetenv("TOLVO_DESKTOP");
    unsetenv("TOLVO_PIXEL_FORMAT");
}

} // namespace

namespace {

TEST(Environment, RatesAreReadAndBadOnesSaid) {
    struct Case {
        const char* fps;
        bool rateAsked, unpaced, said;
    };
    const Case cases[] = {
        {"30", true, false, false},  {"0", false, true, false},     {"0.0", false, true, false},
        {"abc", false, false, true}, {"30fps", false, false, true}, {"-1", false, false, true},
        {"1e9", false, false, true},
    };
    static const char* fps;
    for (const Case& c : cases) {
        fps = c.fps;
        testing::internal::CaptureStderr();
        subset::Settings settings = subset::ReadSettings([](const char* name) -> const char* {
            return std::string(name) == "TOLVO_FPS" ? fps : nullptr;
        });
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(settings.rateAsked, c.rateAsked) << fps;
        EXPECT_EQ(settings.unpaced, c.unpaced) << fps;
        EXPECT_EQ(said.find("TOLVO_FPS: '" + std::string(fps) + "' is not a number") == 0, c.said)
            << said;
    }
}

} // namespace
