// The game's six images and its icon, painted from geometry. Each is drawn by the game in one fixed way, and
// the art is made for exactly that: the backdrop opaque at 800 x 600; the cell sprite under every
// board cell, modulated by 0x44444444 (a quarter of its colour at a quarter of its opacity); the
// pieces over it at 0x88FFFFFF (untinted, a little over half opaque).
#pragma once

#include "tools/art/canvas.h"

namespace art {

constexpr int kBackdropWidth = 800;
constexpr int kBackdropHeight = 600;
constexpr int kCellSize = 32;
constexpr int kPieceKinds = 4;

constexpr int kIconSize = 128;

Canvas makeBackdrop();
Canvas makeCell();
// Piece kinds 1 to 4, each its own colour and outline, at `size` x `size` pixels.
Canvas makePiece(int kind, int size = kCellSize);
// The program's icon for desktop menus: a pair falling into a small well onto a landed one.
Canvas makeIcon();

}  // namespace art
