#include "app/board_rules.h"

#include "app/game_state.h"
#include "platform/constants.h"
#include "platform/os.h"

namespace {

// Bounds of a sideways move: piece 1 must stay right of column 0, piece 2 left of column 15.
constexpr int kLeftLimit = 32;
constexpr int kRightLimit = 464;
// A piece at this y or lower lies in the bottom row.
constexpr int kFloorY = 500;
constexpr float kFallInterval = 0.5f;

// The cell that the piece coordinates (x, y) lie in. The rules never reach past the board's
// edge; if one ever did, the checked access stops it instead of corrupting other values.
int& cellAt(int x, int y) {
    return game.board.at(static_cast<size_t>(y / kCellSize)).at(static_cast<size_t>(x / kCellSize));
}

// True on the frame a key goes down; the key's state is remembered either way.
bool pressed(int virtualKey, bool& wasDown) {
    bool down = platform::getAsyncKeyState(virtualKey) != 0;
    if (down == wasDown) {
        return false;
    }
    wasDown = down;
    return down;
}

// Moves a piece's value from the cell of (x, y) to the cell `dx` to the side.
void movePiece(int x, int y, int dx, int value) {
    cellAt(x, y) = kEmptyCell;
    cellAt(x + dx, y) = value;
}

// The leading piece moves first, so each piece clears its cell before the other writes into it.
void shiftLeft() {
    if (game.pieceFalling != 1 || game.piece1X <= kLeftLimit ||
        cellAt(game.piece1X - kCellSize, game.piece1Y) != kEmptyCell) {
        return;
    }
    movePiece(game.piece1X, game.piece1Y, -kCellSize, 1);
    game.piece1X -= kCellSize;
    movePiece(game.piece2X + kCellSize, game.piece2Y, -kCellSize, 2);
    game.piece2X -= kCellSize;
}

void shiftRight() {
    if (game.pieceFalling != 1 || game.piece2X >= kRightLimit ||
        cellAt(game.piece2X + 2 * kCellSize, game.piece2Y) != kEmptyCell) {
        return;
    }
    movePiece(game.piece2X + kCellSize, game.piece2Y, kCellSize, 2);
    game.piece2X += kCellSize;
    movePiece(game.piece1X, game.piece1Y, kCellSize, 1);
    game.piece1X += kCellSize;
}

// One piece's share of a fall step. The floor is tested before the cell below, which for a
// piece in the bottom row would lie outside the board.
void dropPiece(int x, int& y, int value) {
    if (y >= kFloorY || cellAt(x, y + kCellSize) != kEmptyCell) {
        game.pieceFalling = 0;
        return;
    }
    cellAt(x, y) = kEmptyCell;
    y += kCellSize;
    cellAt(x, y) = value;
}

}  // namespace

void applyArrowKeys() {
    if (pressed(platform::VK_LEFT, game.leftKeyWasDown)) {
        shiftLeft();
    }
    if (pressed(platform::VK_RIGHT, game.rightKeyWasDown)) {
        shiftRight();
    }
}

void advanceFall(float dt) {
    game.fallTimer += dt;
    if (game.fallTimer < kFallInterval) {
        return;
    }
    game.fallTimer = 0.0f;
    if (game.pieceFalling == 1) {
        // Each piece is tested on its own: one can land while the other still drops.
        dropPiece(game.piece1X, game.piece1Y, 1);
        dropPiece(game.piece2X + kCellSize, game.piece2Y, 2);
    }
}

void spawnPair() {
    if (game.pieceFalling != 0 || cellAt(game.spawnX, game.spawnY) != kEmptyCell ||
        cellAt(game.spawnX + kCellSize, game.spawnY) != kEmptyCell) {
        return;
    }
    cellAt(game.spawnX, game.spawnY) = 1;
    cellAt(game.spawnX + kCellSize, game.spawnY) = 2;
    game.piece1X = game.piece2X = game.spawnX;
    game.piece1Y = game.piece2Y = game.spawnY;
    game.pieceFalling = 1;
}
