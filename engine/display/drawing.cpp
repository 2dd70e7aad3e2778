// Drawing into the locked back buffer: images (opaque, keyed, blended), tiling,
// pixels, rectangles, clearing, and the clip rectangle.
#include "engine/display/windows_dx.h"

#include "engine/display/draw_rows.h"

#include "engine/image/pixel_format.h"

#include <algorithm>
#include <cstring>

namespace {

const uint16_t* SourcePixels(const Image& image) {
    return reinterpret_cast<const uint16_t*>(image.pixels);
}

// The display's colour masks, for the blends (what each does is in draw_rows.cpp).
DrawMasks BlendMasks() {
    return {uint16_t(pixelFormat.redMask), uint16_t(pixelFormat.greenMask),
            uint16_t(pixelFormat.blueMask)};
}

} // namespace

void FloorDivide(int32_t a, int32_t divisor, int32_t& quotient, int32_t& remainder) {
    if (a >= 0) {
        quotient = a / divisor;
        remainder = a % divisor;
    } else {
        quotient = a / divisor - 1;
        remainder = divisor + a % divisor;
    }
}

bool WindowsDX::CanDraw(const Image& image) const {
    return locked && pixels != nullptr && image.pixels != nullptr;
}

bool WindowsDX::ClipImage(int32_t x, int32_t y, const Image& image, Span& span) const {
    // The clip rectangle as set, kept inside the back buffer: a rectangle set wider
    // than the buffer must not lead to writes past it.
    int64_t left = std::max<int64_t>(clipLeft, 0);
    int64_t top = std::max<int64_t>(clipTop, 0);
    int64_t right = std::min<int64_t>(clipRight, int64_t(width) - 1);
    int64_t bottom = std::min<int64_t>(clipBottom, int64_t(height) - 1);
    int64_t imageRight = int64_t(x) + image.width - 1;
    int64_t imageBottom = int64_t(y) + image.height - 1;
    if (imageRight < left || x > right || imageBottom < top || y > bottom)
        return false;
    int64_t firstColumn = std::max<int64_t>(x, left);
    int64_t firstRow = std::max<int64_t>(y, top);
    int64_t visibleWidth = std::min(imageRight, right) - firstColumn + 1;
    int64_t visibleHeight = std::min(imageBottom, bottom) - firstRow + 1;
    if (visibleWidth <= 0 || visibleHeight <= 0)
        return false;
    span.destination = int32_t(firstRow * width + firstColumn);
    span.source = int32_t((firstRow - y) * image.width + (firstColumn - x));
    span.width = int32_t(visibleWidth);
    span.height = int32_t(visibleHeight);
    return true;
}

int32_t WindowsDX::DrawImage(int32_t x, int32_t y, const Image& image) {
    return DrawKeyed(x, y, image);
}

int32_t WindowsDX::DrawBackground(int32_t xOffset, int32_t yOffset, const Image& image) {
    if (image.width <= 0 || image.height <= 0)
        return 1;
    int32_t lastColumn, lastRow, firstColumn, firstRow, xShift, yShift, unused;
    FloorDivide(xOffset + width, image.width, lastColumn, unused);
    FloorDivide(yOffset + height, image.height, lastRow, unused);
    FloorDivide(xOffset, image.width, firstColumn, xShift);
    FloorDivide(yOffset, image.height, firstRow, yShift);
    int32_t columns = lastColumn - firstColumn + 1;
    int32_t rows = lastRow - firstRow + 1;
    for (int32_t k = 0; k < rows; ++k)
        for (int32_t j = 0; j < columns; ++j)
            DrawOpaque(j * image.width - xShift, k * image.height - yShift, image);
    return 1;
}

int32_t WindowsDX::DrawPixel(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue) {
    // Kept to the back buffer, where callers that strayed would otherwise write past it.
    if (!locked || pixels == nullptr || x < 0 || x >= width || y < 0 || y >= height)
        return 1;
    uint16_t value = uint16_t(red * 1024 + green * 32 + blue);
    uint8_t* row = reinterpret_cast<uint8_t*>(pixels) + rowOffsets[y];
    reinterpret_cast<uint16_t*>(row)[x] = value;
    return 1;
}

int32_t WindowsDX::DrawOpaque(int32_t x, int32_t y, const Image& image) {
    Span span;
    if (!CanDraw(image) || !ClipImage(x, y, image, span))
        return 1;
    uint16_t* destination = pixels + span.destination;
    const uint16_t* source = SourcePixels(image) + span.source;
    size_t bytes = size_t(span.width) * sizeof(uint16_t);
    for (int32_t row = 0; row < span.height; ++row) {
        std::memcpy(destination, source, bytes);
        destination += width;
        source += image.width;
    }
    return 1;
}

int32_t WindowsDX::DrawKeyed(int32_t x, int32_t y, const Image& image) {
    Span span;
    if (!CanDraw(image) || !ClipImage(x, y, image, span))
        return 1;
    uint16_t* destination = pixels + span.destination;
    const uint16_t* source = SourcePixels(image) + span.source;
    const KeyedRuns* runs = image.Runs(0);
    if (runs == nullptr) {
        for (int32_t row = 0; row < span.height; ++row) {
            DRAW_ROWS_FAST.keyed(destination, source, span.width);
            destination += width;
            source += image.width;
        }
        return 1;
    }
    DRAW_ROWS_FAST.keyedRuns(destination, width, *runs, span.source / image.width, span.height,
                             span.source % image.width, span.width);
    return 1;
}

int32_t WindowsDX::DrawAlpha(int32_t x, int32_t y, const Image& image) {
    return DrawBlended(x, y, image, DRAW_ROWS_FAST.alpha);
}

int32_t WindowsDX::DrawAdditive(int32_t x, int32_t y, const Image& image) {
    return DrawBlended(x, y, image, DRAW_ROWS_FAST.additive);
}

int32_t WindowsDX::DrawBlended(int32_t x, int32_t y, const Image& image, BlendRow blendRow) {
    Span span;
    if (!CanDraw(image) || image.alpha == nullptr || !ClipImage(x, y, image, span))
        return 1;
    const DrawMasks masks = BlendMasks();
    uint16_t* destination = pixels + span.destination;
    const uint16_t* source = SourcePixels(image) + span.source;
    const uint8_t* alpha = image.alpha + span.source;
    for (int32_t row = 0; row < span.height; ++row) {
        blendRow(destination, source, alpha, span.width, masks);
        destination += width;
        source += image.width;
        alpha += image.width;
    }
    return 1;
}

void WindowsDX::SetColor(int32_t red, int32_t green, int32_t blue) {
    textRed = red;
    textGreen = green;
    textBlue = blue;
    textColor = (red & 0xFF) + (green & 0xFF) * 256 + (blue & 0xFF) * 65536;
}

void WindowsDX::ClearBuffer() {
    if (!locked || pixels == nullptr)
        return;
    std::memset(pixels, 0, size_t(height) * size_t(pitch));
}

void WindowsDX::FillRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t red,
                              int32_t green, int32_t blue) {
    if (!locked || pixels == nullptr)
        return;
    // Kept to the back buffer; inside it every pixel asked for is filled.
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, width - 1);
    y2 = std::min(y2, height - 1);
    if (y1 > y2 || x1 > x2)
        return;
    uint16_t value = uint16_t((red / 8) * 1024 + (green / 8) * 32 + blue / 8);
    for (int32_t y = y1; y <= y2; ++y) {
        uint16_t* row =
            reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) + rowOffsets[y]);
        std::fill(row + x1, row + x2 + 1, value);
    }
}

void WindowsDX::SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    clipLeft = left;
    clipTop = top;
    clipRight = right;
    clipBottom = bottom;
}

void WindowsDX::BuildSaturationTable() {
    if (saturationTable == nullptr)
        saturationTable = new int16_t[1024];
    for (int32_t j = 0; j < 32; ++j)
        for (int32_t i = 0; i < 32; ++i)
            saturationTable[j * 32 + i] = int16_t(std::min(i + j, 31));
}
