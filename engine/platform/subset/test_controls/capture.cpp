#include "engine/platform/subset/test_controls/capture.h"

#include "engine/platform/requested_files.h"
#include "engine/platform/subset/test_controls/test_controls.h"
#include "engine/platform/subset/ddraw/desktop.h"
#include "engine/platform/subset/ddraw/screen.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace subset {
namespace {

struct Capture {
    std::string folder;
    int every = 1;
};

Capture& State() {
    static Capture capture;
    return capture;
}

void CaptureFrame(const Frame& frame) {
    Capture& capture = State();
    if (capture.folder.empty() || frame.number % capture.every != 0 || !frame.pixels) {
        return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame.number);
    std::string error;
    if (!WritePng(capture.folder + "/" + name, frame.pixels, frame.stride,
                  frame.shown.right - frame.shown.left, frame.shown.bottom - frame.shown.top,
                  frame.masks, &error)) {
        // One complaint, then capture stops: a full disk should not flood the terminal.
        // The frames written before stay.
        ReportNotWritten("TOLVO_CAPTURE", error, "capture stopped");
        capture.folder.clear();
        ListenToFrames(nullptr);
    }
}

// Every 16-bit value of a format as 8-bit red, green and blue, made once per format.
const std::vector<png_byte>& WideColours(const PixelMasks& masks) {
    static PixelMasks madeFor = {0, 0, 0};
    static std::vector<png_byte> wide(65536 * 3);
    if (madeFor != masks) {
        for (unsigned p = 0; p < 65536; p++) {
            wide[p * 3 + 0] = UnpackChannel(masks.red, static_cast<uint16_t>(p));
            wide[p * 3 + 1] = UnpackChannel(masks.green, static_cast<uint16_t>(p));
            wide[p * 3 + 2] = UnpackChannel(masks.blue, static_cast<uint16_t>(p));
        }
        madeFor = masks;
    }
    return wide;
}

} // namespace

bool CaptureFrames(const std::string& folder, int every) {
    Capture& capture = State();
    capture.folder.clear();
    capture.every = every < 1 ? 1 : every;
    ListenToFrames(nullptr);
    if (folder.empty()) {
        return true;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        ReportNotWritten("TOLVO_CAPTURE", CannotText("create folder", folder, error.value()),
                         "no frames are captured");
        return false;
    }
    capture.folder = folder;
    ListenToFrames(CaptureFrame);
    return true;
}

bool SaveScreen(const std::string& path) {
    std::string error;
    const DesktopInfo& desktop = CurrentDesktop();
    bool saved = WritePng(path, ScreenPixels().data(), desktop.width, desktop.width, desktop.height,
                          desktop.masks, &error);
    if (!saved) {
        std::fprintf(stderr, "SaveScreen: %s\n", error.c_str());
    }
    return saved;
}

bool WritePng(const std::string& path, const uint16_t* pixels, int stride, int width, int height,
              const PixelMasks& masks, std::string* error) {
    if (!pixels || width <= 0 || height <= 0) {
        *error = "empty picture";
        return false;
    }
    // Allocated before setjmp, so a longjmp back leaves it to its destructor.
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    const std::vector<png_byte>& wide = WideColours(masks);
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = CannotText("create", path, errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        *error = "out of memory";
        return false;
    }
    // libpng reports errors by longjmp; nothing below owns anything that needs unwinding.
    // A picture cut short is of no use to anyone: it is removed.
    if (setjmp(png_jmpbuf(png))) {
        const int reason = errno;
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::remove(path.c_str());
        *error = CannotText("write", path, reason);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) {
        const uint16_t* source = pixels + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; x++) {
            const png_byte* rgb = &wide[static_cast<size_t>(source[x]) * 3];
            row[x * 3 + 0] = rgb[0];
            row[x * 3 + 1] = rgb[1];
            row[x * 3 + 2] = rgb[2];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    errno = 0;
    const bool written = std::fflush(file) == 0 && !std::ferror(file);
    const int reason = errno;
    if (std::fclose(file) != 0 || !written) {
        std::remove(path.c_str());
        *error = CannotText("write", path, written ? errno : reason);
        return false;
    }
    return true;
}

} // namespace subset
