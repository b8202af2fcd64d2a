// The puzzle's process-wide values: the board, the falling pair, the fall timer, the arrow keys'
// previous states and the game's images. `game` holds them with their start values.
#pragma once

#include <array>

class Texture;

// The board's size in cells, and a cell's size both on screen and in piece coordinates.
constexpr int kBoardColumns = 16;
constexpr int kBoardRows = 16;
constexpr int kCellSize = 32;

// Cell values: 0 empty, 1 and 2 the left and right pieces of a pair; 3 and 4 are piece kinds the
// renderer knows and the rules never write.
constexpr int kEmptyCell = 0;

struct GameState {
    // Row first, then column.
    std::array<std::array<int, kBoardColumns>, kBoardRows> board = {};
    // Screen position of the board's top-left corner.
    int boardOriginX = 25;
    int boardOriginY = 35;
    // Where a new pair appears, in piece coordinates: (x, y) lies in column x / 32, row y / 32.
    int spawnX = 250;
    int spawnY = 30;
    // Piece 1 (value 1) occupies the cell of (piece1X, piece1Y); piece 2 (value 2) the cell of
    // (piece2X + 32, piece2Y): piece2X is the pair's left edge and stays equal to piece1X.
    int piece1X = 0;
    int piece1Y = 0;
    int piece2X = 0;
    int piece2Y = 0;
    // 1 while the current pair falls.
    int pieceFalling = 0;
    // Seconds gathered toward the next fall step.
    float fallTimer = 0.0f;
    // The arrow keys' states in the previous frame: a key acts once per press.
    bool leftKeyWasDown = false;
    bool rightKeyWasDown = false;
    // Loaded once at start-up and kept for the life of the process.
    Texture* backdropTexture = nullptr;
    Texture* cellTexture = nullptr;
    Texture* piece1Texture = nullptr;
    Texture* piece2Texture = nullptr;
    Texture* piece3Texture = nullptr;
    Texture* piece4Texture = nullptr;
};

extern GameState game;
