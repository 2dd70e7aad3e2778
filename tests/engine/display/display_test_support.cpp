#include "display_test_support.h"

#include "engine/file/debug_log.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

std::function<void()> testInitialize;
std::string pictureFailureFolder = ".";
std::function<int()> testRun;

// The game's hooks, bound by name as in a real game.
void initialize() {
    if (testInitialize)
        testInitialize();
}

int run() {
    return testRun ? testRun() : 0;
}

namespace {

std::string CurrentFolder() {
    char buffer[4096];
    return getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string(".");
}

// Writes a picture as an 8-bit RGB PAM.
void WritePam(const std::string& path, const Picture& picture, bool rgb555) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return;
    std::fprintf(file, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n",
                 picture.width, picture.height);
    for (uint16_t p : picture.pixels) {
        unsigned red = rgb555 ? (p >> 10) & 31 : (p >> 11) & 31;
        unsigned green = rgb555 ? ((p >> 5) & 31) << 1 : (p >> 5) & 63;
        unsigned blue = p & 31;
        unsigned char rgb[3] = {(unsigned char)(red * 255 / 31), (unsigned char)(green * 255 / 63),
                                (unsigned char)(blue * 255 / 31)};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
}

} // namespace

void EngineTest::SetUp() {
    previousFolder = CurrentFolder();
    pictureFailureFolder = previousFolder;
    char pattern[] = "/tmp/tolvo-display-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    ASSERT_EQ(chdir(folder.c_str()), 0);
    debugLog.Open("debug.txt");
    testInitialize = nullptr;
    testRun = nullptr;
    ResetDesktop(subset::DesktopInfo());
}

void EngineTest::ResetDesktop(const subset::DesktopInfo& desktop) {
    // Whatever the last start-up made is released before the desktop goes.
    Tolvo.CleanUp();
    headless::Start(desktop);
    // A new engine object, as at process start.
    Tolvo.~WindowsDX();
    new (&Tolvo) WindowsDX();
}

void EngineTest::TearDown() {
    Tolvo.CleanUp();
    debugLog.Close();
    std::remove((folder + "/debug.txt").c_str());
    rmdir(folder.c_str());
    if (chdir(previousFolder.c_str()) != 0)
        ADD_FAILURE() << "cannot return to " << previousFolder;
    testInitialize = nullptr;
    testRun = nullptr;
}

bool EngineTest::Start(int32_t fullScreen, int32_t width, int32_t height) {
    // As the entry does: a window shown normally.
    Tolvo.SetInstance(nullptr, SW_SHOWNORMAL);
    return Tolvo.Initialize(fullScreen, width, height);
}

std::string EngineTest::ReadLog() const {
    std::ifstream stream(folder + "/debug.txt", std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

std::string LogText(const std::vector<std::string>& messages) {
    std::string text;
    for (const std::string& message : messages)
        text += message + "  ";
    return text;
}

::testing::AssertionResult SamePicture(const std::string& name, const Picture& expected,
                                       const Picture& actual, bool rgb555) {
    if (expected.width == actual.width && expected.height == actual.height &&
        expected.pixels == actual.pixels)
        return ::testing::AssertionSuccess();
    std::ostringstream why;
    if (expected.width != actual.width || expected.height != actual.height) {
        why << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
            << "x" << expected.height;
    } else {
        for (int y = 0; y < expected.height; ++y) {
            for (int x = 0; x < expected.width; ++x) {
                if (expected.At(x, y) != actual.At(x, y)) {
                    why << "first difference at (" << x << ", " << y << "): 0x" << std::hex
                        << actual.At(x, y) << ", expected 0x" << expected.At(x, y) << std::dec;
                    y = expected.height;
                    break;
                }
            }
        }
    }
    std::string outFolder = pictureFailureFolder + "/display-failures";
    mkdir(outFolder.c_str(), 0755);
    WritePam(outFolder + "/" + name + "-expected.pam", expected, rgb555);
    WritePam(outFolder + "/" + name + "-actual.pam", actual, rgb555);
    why << "; pictures written to " << outFolder << "/" << name << "-{expected,actual}.pam";
    return ::testing::AssertionFailure() << why.str();
}
