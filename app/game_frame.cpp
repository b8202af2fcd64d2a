#include "app/game_frame.h"

#include <cstdint>

#include "app/board_rules.h"
#include "app/game_state.h"
#include "graphics/graphics.h"

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// Modulation colours (alpha, red, green, blue): the backdrop as it is, the cell sprite at a
// quarter of its brightness and opacity, the pieces untinted and a little over half opaque.
constexpr uint32_t kUnchanged = 0xFFFFFFFF;
constexpr uint32_t kDimmed = 0x44444444;
constexpr uint32_t kTranslucent = 0x88FFFFFF;

Texture* pieceTexture(int value) {
    switch (value) {
        case 1:
            return game.piece1Texture;
        case 2:
            return game.piece2Texture;
        case 3:
            return game.piece3Texture;
        case 4:
            return game.piece4Texture;
        default:
            return nullptr;
    }
}

void drawCell(Texture* texture, int column, int row, uint32_t colour) {
    Graphics::drawSprite(texture, game.boardOriginX + kCellSize * column,
                         game.boardOriginY + kCellSize * row, kCellSize, kCellSize, 0, 0, kCellSize,
                         kCellSize, colour, 0, 0, 0);
}

}  // namespace

void renderBoard() {
    for (int row = 0; row < kBoardRows; ++row) {
        for (int column = 0; column < kBoardColumns; ++column) {
            drawCell(game.cellTexture, column, row, kDimmed);
            if (Texture* piece = pieceTexture(game.board[row][column])) {
                drawCell(piece, column, row, kTranslucent);
            }
        }
    }
}

void gameFrame(float dt) {
    applyArrowKeys();
    advanceFall(dt);
    if (Graphics::beginFrame()) {
        Graphics::drawSprite(game.backdropTexture, 0, 0, kScreenWidth, kScreenHeight, 0, 0,
                             kScreenWidth, kScreenHeight, kUnchanged, 0, 0, 0);
        renderBoard();
        Graphics::endFrame();
    }
    spawnPair();
}
