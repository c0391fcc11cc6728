#pragma once
// A tiny 5x7 bitmap font for the text the simulated scene draws into its frames (frame
// counter, time stamp, chart label). Upper-case letters, digits and a few signs.
#include <cstdint>

namespace vexo::imaging {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;   // glyph plus one blank column

// Row bits of the glyph for ch (bit 4 = leftmost column); an unknown character is blank.
// Lower-case letters map to upper case.
const uint8_t* glyphRows(char ch);

}  // namespace vexo::imaging
