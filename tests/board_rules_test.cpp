// The board's rules, frame by frame through the game's frame callback, with keys and drawing on
// the fake driver.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>

#include "app/game_frame.h"
#include "app/game_state.h"
#include "game_fixture.h"
#include "platform/constants.h"
#include "platform/fake/fake_direct3d.h"
#include "platform/fake/fake_platform.h"

namespace {

using platform::VK_LEFT;
using platform::VK_RIGHT;

// (row, column) -> value of every non-empty cell.
using Cells = std::map<std::pair<int, int>, int>;

Cells occupiedCells() {
    Cells cells;
    for (int row = 0; row < kBoardRows; ++row) {
        for (int column = 0; column < kBoardColumns; ++column) {
            if (game.board[row][column] != kEmptyCell) {
                cells[{row, column}] = game.board[row][column];
            }
        }
    }
    return cells;
}

void place(const Cells& cells) {
    for (const auto& [at, value] : cells) {
        game.board[at.first][at.second] = value;
    }
}

// The spawn cells of a fresh pair, and `landed` beside them.
Cells withSpawnedPair(Cells landed) {
    landed[{0, 7}] = 1;
    landed[{0, 8}] = 2;
    return landed;
}

// Plays one frame per character: '.' takes no time, '3' 0.3 s, '4' 0.45 s, 'v' 0.5 s; 'l' and
// 'r' press that arrow in their frame and release it for a frame of no time after; 'L' holds
// the left arrow down through its frame, released before the next other character. A key
// counts as pressed again only after a frame that saw it up.
void play(const std::string& script) {
    for (size_t i = 0; i < script.size(); ++i) {
        char key = script[i];
        if (key == 'l' || key == 'r') {
            fake::tapKey(key == 'l' ? VK_LEFT : VK_RIGHT);
        } else if (key == 'L') {
            fake::pressKey(VK_LEFT);
        }
        gameFrame(key == 'v' ? 0.5f : key == '4' ? 0.45f : key == '3' ? 0.3f : 0.0f);
        if (key == 'l' || key == 'r') {
            gameFrame(0.0f);
        } else if (key == 'L' && (i + 1 == script.size() || script[i + 1] != 'L')) {
            fake::releaseKey(VK_LEFT);
        }
    }
}

struct RulesCase {
    std::string name;
    Cells landed;  // placed before the first frame
    std::string script;
    int pairX;  // piece1X and piece2X, the pair's left edge
    Cells cells;

    friend void PrintTo(const RulesCase& rules, std::ostream* out) { *out << rules.name; }
};

class BoardRulesTest : public GameTest, public ::testing::WithParamInterface<RulesCase> {};

TEST_P(BoardRulesTest, PlaysOutTheScript) {
    const RulesCase& rules = GetParam();
    place(rules.landed);
    play(rules.script);
    EXPECT_EQ(game.piece1X, rules.pairX);
    EXPECT_EQ(game.piece2X, rules.pairX);
    EXPECT_EQ(occupiedCells(), rules.cells);
}

// clang-format off
const RulesCase kRules[] = {
    // The first frame spawns the pair at (250, 30) whatever its duration; the next frames start
    // from there.
    {"ALongFirstFrameSpawns", {}, "v", 250, withSpawnedPair({})},
    // Two frames of 0.3 s make one step (one alone would have made the first); the timer restarts
    // at 0, so the excess of the second frame does not turn the next 0.45 s into a step.
    {"TheExcessIsDropped", {}, ".334", 250, {{{1, 7}, 1}, {{1, 8}, 2}}},
    {"LeftsStopAtColumnZero", {}, ".llllllll", 26, {{{0, 0}, 1}, {{0, 1}, 2}}},
    {"RightsStopAtColumnFifteen", {}, ".rrrrrrrrr", 474, {{{0, 14}, 1}, {{0, 15}, 2}}},
    {"AHeldKeyMovesOncePerPress", {}, ".LLLLL.L", 186, {{{0, 5}, 1}, {{0, 6}, 2}}},
    // 15 steps from row 0 to row 15; the next step's fall test lands the pair without looking
    // below the board, and a new pair spawns.
    {"APairFallsToTheFloor", {}, ".vvvvvvvvvvvvvvvv", 250,
     withSpawnedPair({{{15, 7}, 1}, {{15, 8}, 2}})},
    // Piece 1 stops on the landed piece in row 5; piece 2 drops once more in that step.
    {"APairLandsSplit", {{{5, 7}, 2}}, ".vvvvv", 250,
     withSpawnedPair({{{4, 7}, 1}, {{5, 7}, 2}, {{5, 8}, 2}})},
    // A pair appears only where both spawn cells are free; spawning over the right one would
    // overwrite the landed piece with piece 2.
    {"SpawnsBesideALandedPiece", {{{1, 7}, 1}}, ".", 250, withSpawnedPair({{{1, 7}, 1}})},
    {"NoSpawnOnATakenLeftCell", {{{0, 7}, 2}}, "..", 0, {{{0, 7}, 2}}},
    {"NoSpawnOnATakenRightCell", {{{0, 8}, 1}}, "..", 0, {{{0, 8}, 1}}},
    // Sideways moves act only on a falling pair and only into a free cell; otherwise a press
    // would move a pair not there yet, a landed pair, or overwrite landed pieces.
    {"ARightPressBeforeAnyPairMovesNothing", {}, "r", 250, withSpawnedPair({})},
    {"LeftIntoALandedPieceIsRefused", {{{0, 6}, 2}}, ".l", 250, withSpawnedPair({{{0, 6}, 2}})},
    {"RightIntoALandedPieceIsRefused", {{{0, 9}, 1}}, ".r", 250, withSpawnedPair({{{0, 9}, 1}})},
    // Both pieces land on the first step, on top of the stack: the spawn cells stay taken, the
    // board is blocked for good and the landed pair no longer moves.
    {"TheLandedPairOfABlockedBoardStaysPut", {{{1, 7}, 1}, {{1, 8}, 2}}, ".vll", 250,
     withSpawnedPair({{{1, 7}, 1}, {{1, 8}, 2}})},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rules, BoardRulesTest, ::testing::ValuesIn(kRules),
                         [](const ::testing::TestParamInfo<RulesCase>& info) {
                             return info.param.name;
                         });

using BoardLostDeviceTest = GameTest;

TEST_F(BoardLostDeviceTest, FramesWithoutDrawingStillRunTheRules) {
    gameFrame(0.0f);
    place({{{1, 6}, 2}});
    // The device is lost: these frames draw nothing, yet keys, falls and spawns go on.
    fake::queueCooperativeLevel(platform::D3DERR_DEVICELOST);
    fake::queueCooperativeLevel(platform::D3DERR_DEVICELOST);
    size_t drawn = fake::draws().size();
    fake::tapKey(VK_LEFT);
    gameFrame(0.0f);
    gameFrame(0.5f);  // piece 1 lands on the piece below it, piece 2 drops; a new pair spawns
    EXPECT_EQ(fake::draws().size(), drawn);
    EXPECT_EQ(occupiedCells(), withSpawnedPair({{{0, 6}, 1}, {{1, 6}, 2}, {{1, 7}, 2}}));
    EXPECT_EQ(game.pieceFalling, 1);
}

}  // namespace
