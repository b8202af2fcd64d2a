#include "tools/art/game_art.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "tools/art/pixel_font.h"

namespace art {

namespace {

// Where the game draws its 16 x 16 board of 32-pixel cells.
constexpr float kBoardLeft = 25, kBoardTop = 35, kBoardSize = 16 * 32;
constexpr float kBoardMiddleX = kBoardLeft + kBoardSize / 2,
                kBoardMiddleY = kBoardTop + kBoardSize / 2;
constexpr float kPanelLeft = 559, kPanelRight = 789;
const Rgba kSteel = rgb(0x5c6bb4);

float smoothstep(float from, float to, float value) {
    float t = std::clamp((value - from) / (to - from), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Light falls from the top left, as on every piece and frame of the game.
float lightFacing(const Distance& shape, float x, float y) {
    float nx = 0, ny = 0;
    normalAt(shape, x, y, nx, ny);
    return nx * -0.6f + ny * -0.8f;
}

// A bevelled surface: edges lit or shaded by the way they face, a flat top inside.
Paint bevelled(Distance shape, Rgba base, float bevel, float strength) {
    return [=](float x, float y) {
        float depth = std::clamp(-shape(x, y) / bevel, 0.0f, 1.0f);
        float edge = 1.0f + strength * lightFacing(shape, x, y);
        float shade = edge + (1.0f - edge) * smoothstep(0.0f, 1.0f, depth);
        Rgba colour = scaled(base, std::min(shade, 1.0f));
        return mix(colour, Rgba{1, 1, 1, base.a}, std::max(shade - 1.0f, 0.0f) * 0.8f);
    };
}

struct PieceStyle {
    uint32_t colour;
    Distance (*outline)(float centre, float size);
};

const PieceStyle kPieceStyles[kPieceKinds] = {
    {0xFF3A50, [](float c, float s) { return circle(c, c, s * 0.45f); }},
    {0x3D8BFF, [](float c, float s) { return diamond(c, c, s * 0.49f, s * 0.08f); }},
    {0x2EE06A, [](float c, float s) { return roundedBox(c, c, s * 0.42f, s * 0.42f, s * 0.13f); }},
    {0xFFC02E, [](float c, float s) { return hexagon(c, c, s * 0.44f, s * 0.06f); }},
};

void paintTitle(Canvas& canvas, const std::string& line, float top, float scale) {
    float left = std::round((kPanelLeft + kPanelRight - textWidth(line, scale)) / 2);
    float shadow = scale * 0.6f;
    canvas.fill(text(line, left + shadow, top + shadow, scale),
                [](float, float) { return rgb(0x05040F, 0.8f); });
    Rgba topColour = rgb(0xFFE27A), bottomColour = rgb(0xFF7A36);
    float height = 7 * scale;
    canvas.fill(text(line, left, top, scale),
                [=](float, float y) { return mix(topColour, bottomColour, (y - top) / height); });
}

// Copies `piece` onto the canvas with its top-left corner at (left, top).
void stamp(Canvas& canvas, const Canvas& piece, int left, int top) {
    canvas.fill(roundedBox(static_cast<float>(left) + piece.width() / 2.0f,
                           static_cast<float>(top) + piece.height() / 2.0f, piece.width() / 2.0f,
                           piece.height() / 2.0f, 0),
                [&](float x, float y) {
                    return piece.at(static_cast<int>(x) - left, static_cast<int>(y) - top);
                });
}

void paintSky(Canvas& canvas) {
    // A deep vertical gradient with two soft glows.
    canvas.fill([](float x, float y) {
        Rgba sky = mix(rgb(0x232a66), rgb(0x0b0c22), y / kBackdropHeight);
        float glowA = std::exp(-(std::pow(x - 690, 2.0f) + std::pow(y - 120, 2.0f)) / 30000.0f);
        float glowB = std::exp(-(std::pow(x - 300, 2.0f) + std::pow(y - 640, 2.0f)) / 60000.0f);
        sky = mix(sky, rgb(0x7a3d9e), glowA * 0.45f);
        return mix(sky, rgb(0x1f6f8b), glowB * 0.35f);
    });
    // Faint diagonal stripes give it some texture without competing with the pieces.
    canvas.fill([](float x, float y) {
        float stripe = std::fmod(x + y, 24.0f) < 12.0f ? 1.0f : 0.0f;
        return Rgba{1, 1, 1, 0.018f * stripe};
    });
}

// The well the board sits in: a bevelled steel frame around a floor that the dimmed cell
// sprites darken into a grid.
void paintWell(Canvas& canvas) {
    Distance frame =
        roundedBox(kBoardMiddleX, kBoardMiddleY, kBoardSize / 2 + 11, kBoardSize / 2 + 11, 12);
    canvas.fill(grown(frame, 4), [](float, float) { return rgb(0x000000, 0.35f); });
    canvas.fill(frame, bevelled(frame, kSteel, 6, 0.6f));
    Distance floor =
        roundedBox(kBoardMiddleX, kBoardMiddleY, kBoardSize / 2 + 3, kBoardSize / 2 + 3, 5);
    canvas.fill(floor, [](float, float y) {
        return mix(rgb(0x3a4488), rgb(0x222a5c), (y - kBoardTop) / kBoardSize);
    });
}

// An arrow key cap with its top-left corner at (left, top), pointing left or right.
void paintKey(Canvas& canvas, float left, float top, bool pointsRight) {
    const float size = 30, c = size / 2;
    Distance cap = roundedBox(left + c, top + c, c, c, 6);
    canvas.fill(grown(cap, 1.5f), [](float, float) { return rgb(0x000000, 0.5f); });
    canvas.fill(cap, bevelled(cap, rgb(0xD4DAF8), 4, 0.5f));
    float tip = pointsRight ? left + 22 : left + 8, back = pointsRight ? left + 10 : left + 20;
    canvas.fill(triangle(tip, top + c, back, top + c - 7, back, top + c + 7),
                [](float, float) { return rgb(0x262c5a); });
}

void paintPanelText(Canvas& canvas, const std::string& line, float left, float top, float scale,
                    Rgba colour) {
    canvas.fill(text(line, left + 1, top + 1, scale),
                [](float, float) { return rgb(0x000000, 0.7f); });
    canvas.fill(text(line, left, top, scale), [=](float, float) { return colour; });
}

float centredIn(float from, float to, float width) {
    return std::round((from + to - width) / 2);
}

// The side panel: the title, the pair of pieces the game deals (1 on the left, 2 on the right,
// as they fall), and how to play.
void paintPanel(Canvas& canvas) {
    Distance panel = roundedBox((kPanelLeft + kPanelRight) / 2, kBoardMiddleY,
                                (kPanelRight - kPanelLeft) / 2, kBoardSize / 2 + 11, 12);
    canvas.fill(panel, [](float, float) { return rgb(0x0c0e2a, 0.72f); });
    canvas.fill(grown(panel, 0.5f), [&](float x, float y) {
        return Rgba{kSteel.r, kSteel.g, kSteel.b, std::clamp(1.5f + panel(x, y), 0.0f, 1.0f)};
    });
    paintTitle(canvas, "PUZZLE", 84, 4);
    paintTitle(canvas, "TUMBLIX", 130, 5);

    const int pieceSize = 44;
    int pair = static_cast<int>(centredIn(kPanelLeft, kPanelRight, 2 * pieceSize));
    stamp(canvas, makePiece(1, pieceSize), pair, 210);
    stamp(canvas, makePiece(2, pieceSize), pair + pieceSize, 210);

    Rgba heading = rgb(0xB8C4FF), body = rgb(0xE8ECFF);
    const std::string title = "HOW TO PLAY";
    paintPanelText(canvas, title, centredIn(kPanelLeft, kPanelRight, textWidth(title, 3)), 300, 3,
                   heading);
    const float keyLeft = kPanelLeft + 26, textLeft = keyLeft + 44;
    paintKey(canvas, keyLeft, 352, false);
    paintPanelText(canvas, "MOVE LEFT", textLeft, 360, 2, body);
    paintKey(canvas, keyLeft, 396, true);
    paintPanelText(canvas, "MOVE RIGHT", textLeft, 404, 2, body);
    paintPanelText(canvas, "PAIRS FALL", textLeft - 44, 458, 2, body);
    paintPanelText(canvas, "AND STACK UP", textLeft - 44, 482, 2, body);
}

}  // namespace

Canvas makeBackdrop() {
    Canvas canvas(kBackdropWidth, kBackdropHeight);
    paintSky(canvas);
    paintWell(canvas);
    paintPanel(canvas);
    return canvas;
}

Canvas makeCell() {
    Canvas canvas(kCellSize, kCellSize);
    const float c = kCellSize / 2.0f;
    Distance tile = roundedBox(c, c, c - 0.5f, c - 0.5f, 4);
    canvas.fill(tile, bevelled(tile, rgb(0xC8D0F4), 3, 0.55f));
    Distance hollow = roundedBox(c, c, c - 4, c - 4, 3);
    canvas.fill(hollow,
                [&](float, float y) { return mix(rgb(0x464e80), rgb(0x5a64a0), y / kCellSize); });
    return canvas;
}

Canvas makePiece(int kind, int size) {
    if (kind < 1 || kind > kPieceKinds) {
        throw std::out_of_range("piece kind " + std::to_string(kind));
    }
    const PieceStyle& style = kPieceStyles[kind - 1];
    const float s = static_cast<float>(size), c = s / 2;
    Canvas canvas(size, size);
    Distance shape = style.outline(c, s);
    Rgba base = rgb(style.colour);
    canvas.fill(shape, [&](float, float) { return scaled(base, 0.3f); });
    Distance body = grown(shape, -s / 32);
    canvas.fill(body, bevelled(body, base, s * 0.16f, 0.6f));
    // A soft glint toward the light.
    const float hx = c - s * 0.17f, hy = c - s * 0.2f, rx = s * 0.13f, ry = s * 0.08f;
    canvas.fill(
        [=](float x, float y) { return (std::hypot((x - hx) / rx, (y - hy) / ry) - 1.0f) * ry; },
        [=](float x, float y) {
            float fade = 1.0f - std::hypot((x - hx) / rx, (y - hy) / ry);
            return Rgba{1, 1, 1, 0.85f * std::clamp(fade * 1.6f, 0.0f, 1.0f)};
        });
    return canvas;
}

Canvas makeIcon() {
    Canvas canvas(kIconSize, kIconSize);
    const float c = kIconSize / 2.0f;
    Distance frame = roundedBox(c, c, c - 2, c - 2, 22);
    canvas.fill(grown(frame, 1.5f), [](float, float) { return rgb(0x000000, 0.45f); });
    canvas.fill(frame, bevelled(frame, kSteel, 6, 0.6f));
    Distance floor = roundedBox(c, c, c - 12, c - 12, 12);
    canvas.fill(floor, [](float, float y) {
        return mix(rgb(0x3a4488), rgb(0x1c2250), y / kIconSize);
    });
    // The pieces as the game deals them: 1 on the left, 2 on the right.
    const int piece = 40, left = static_cast<int>(c) - piece;
    stamp(canvas, makePiece(1, piece), left, 22);
    stamp(canvas, makePiece(2, piece), left + piece, 22);
    stamp(canvas, makePiece(1, piece), left, 66);
    stamp(canvas, makePiece(2, piece), left + piece, 66);
    return canvas;
}

}  // namespace art
