// The engine's built-in pixel font, which Graphics::drawText draws with: printable ASCII (' ' to
// '~'), each character a glyph of 5 x 8 pixels, capitals and digits 7 pixels high above the
// baseline and one row below it for descenders. Its measures, for laying out text: a line of n
// characters drawn at scale s is (n * kAdvance - 1) * s pixels wide and kGlyphHeight * s high.
#pragma once

namespace pixel_font {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 8;
// From one character's left edge to the next one's: the glyph and a column of space.
constexpr int kAdvance = kGlyphWidth + 1;
// From one line's top to the next one's.
constexpr int kLineHeight = kGlyphHeight + 2;
constexpr char kFirst = ' ';
constexpr char kLast = '~';

// Whether pixel (column, row) of the glyph of `character` is lit; false outside the glyph and
// for a character the font lacks.
bool lit(char character, int column, int row);

}  // namespace pixel_font
