// Text in the built-in pixel font: every glyph white on transparent black in one texture, each
// character a sprite of its glyph, tinted by the text's colour.
#include <climits>
#include <cstdint>

#include "graphics/graphics.h"
#include "graphics/pixel_font.h"
#include "log/log.h"

using namespace platform;
using namespace pixel_font;

namespace {

// Glyphs sit in cells of kCell x kCell texels, kColumns to a row; the 95 of them fill six rows
// of a 128 x 64 texture.
constexpr int kCell = 8;
constexpr int kColumns = 16;
constexpr int kFontWidth = kColumns * kCell;
constexpr int kFontHeight = 64;
static_assert(kGlyphWidth <= kCell && kGlyphHeight <= kCell);
static_assert((kLast - kFirst) / kColumns < kFontHeight / kCell);

constexpr uint32_t kLit = 0xFFFFFFFF;

// Every texel of the font texture: lit glyph pixels white, all else transparent black (the
// texture starts undefined).
void writeGlyphs(const LockedRect& locked) {
    for (int y = 0; y < kFontHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) +
                                                static_cast<ptrdiff_t>(y) * locked.pitch);
        for (int x = 0; x < kFontWidth; ++x) {
            int index = y / kCell * kColumns + x / kCell;
            bool glyphPixel = index <= kLast - kFirst &&
                              lit(static_cast<char>(kFirst + index), x % kCell, y % kCell);
            row[x] = glyphPixel ? kLit : 0;
        }
    }
}

bool fitsInt(int64_t value) {
    return value >= INT_MIN && value <= INT_MAX;
}

}  // namespace

Texture* Graphics::font() {
    if (fontTexture != nullptr) {
        return fontTexture;
    }
    DeviceTexture* texture = nullptr;
    if (createTexture(device, kFontWidth, kFontHeight, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                      texture) < 0) {
        Log::error("Failed to create the font texture");
    }
    LockedRect locked;
    if (lockRect(texture, 0, locked, nullptr, 0) < 0) {
        releaseTexture(texture);
        Log::error("Failed to create the font texture");
    }
    writeGlyphs(locked);
    unlockRect(texture, 0);
    fontTexture = new Texture(texture, kFontWidth, kFontHeight, kFontWidth, kFontHeight);
    return fontTexture;
}

HRESULT Graphics::drawText(int x, int y, const std::string& text, uint32_t colour, int scale) {
    if (sprite == nullptr || scale < 1 || scale > kMaxTextScale) {
        return D3DERR_INVALIDCALL;
    }
    Texture* glyphs = font();
    HRESULT result = D3D_OK;
    // The pen moves in 64 bits: a long text at a large scale runs past what an int holds, and
    // what lies there is off any screen.
    int64_t penX = x, penY = y;
    for (char character : text) {
        if (character == '\n') {
            penX = x;
            penY += int64_t{kLineHeight} * scale;
            continue;
        }
        if (character < kFirst || character > kLast) {
            character = '?';
        }
        if (character != ' ' && fitsInt(penX) && fitsInt(penY)) {
            int index = character - kFirst;
            HRESULT drawn =
                drawSprite(glyphs, static_cast<int>(penX), static_cast<int>(penY),
                           kFontWidth * scale, kFontHeight * scale, index % kColumns * kCell,
                           index / kColumns * kCell, kGlyphWidth, kGlyphHeight, colour, 0, 0, 0);
            if (result == D3D_OK) {
                result = drawn;
            }
        }
        penX += int64_t{kAdvance} * scale;
    }
    return result;
}
