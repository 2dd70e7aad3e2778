// The built-in bitmap font of TextOutA: 5 x 7 glyphs in a 6 x 8 cell, drawn doubled, so a
// line of text is 16 pixels high as with the Windows system font.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_GDI32_FONT_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_GDI32_FONT_H

#include <cstdint>

namespace subset {

const int FONT_GLYPH_WIDTH = 5;
const int FONT_GLYPH_HEIGHT = 7;
const int FONT_SCALE = 2;
const int FONT_CELL_WIDTH = 6 * FONT_SCALE;
const int FONT_CELL_HEIGHT = 8 * FONT_SCALE;

// The glyph of a character as 7 rows of 5 bits, bit 4 the leftmost column. Characters
// without a glyph of their own (controls, 127 and above) get a hollow box; space is empty.
const uint8_t* GlyphRows(unsigned char character);

} // namespace subset

#endif
