#include "tools/art/pixel_font.h"

#include <cmath>
#include <limits>

namespace art {

namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = kGlyphWidth + 1;

struct Glyph {
    char character;
    const char* rows[kGlyphHeight];
};

// clang-format off
const Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
};
// clang-format on

const Glyph* glyphOf(char character) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.character == character) {
            return &glyph;
        }
    }
    return nullptr;
}

bool lit(const std::string& line, int column, int row) {
    if (column < 0 || row < 0 || row >= kGlyphHeight) {
        return false;
    }
    size_t index = static_cast<size_t>(column / kAdvance);
    int x = column % kAdvance;
    if (index >= line.size() || x >= kGlyphWidth) {
        return false;
    }
    const Glyph* glyph = glyphOf(line[index]);
    return glyph != nullptr && glyph->rows[row][x] == '#';
}

}  // namespace

Distance text(const std::string& line, float left, float top, float scale) {
    return [=](float x, float y) {
        // Font pixels are squares that touch their neighbours, so only the 3 x 3 font pixels
        // around the point can be nearest.
        float u = (x - left) / scale;
        float v = (y - top) / scale;
        int column = static_cast<int>(std::floor(u));
        int row = static_cast<int>(std::floor(v));
        float nearest = std::numeric_limits<float>::max();
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (!lit(line, column + dx, row + dy)) {
                    continue;
                }
                float qx = std::abs(u - (static_cast<float>(column + dx) + 0.5f)) - 0.5f;
                float qy = std::abs(v - (static_cast<float>(row + dy) + 0.5f)) - 0.5f;
                float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
                nearest = std::min(nearest, outside + std::min(std::max(qx, qy), 0.0f));
            }
        }
        return nearest == std::numeric_limits<float>::max() ? scale : nearest * scale;
    };
}

float textWidth(const std::string& line, float scale) {
    if (line.empty()) {
        return 0;
    }
    return static_cast<float>(static_cast<int>(line.size()) * kAdvance - 1) * scale;
}

}  // namespace art
