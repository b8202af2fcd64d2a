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

// `count` presses of one arrow, each followed by a frame with the key up.
std::string taps(char key, int count) {
    std::string script;
    for (int i = 0; i < count; ++i) {
        script += key;
        script += '.';
    }
    return script;
}

// The spawn cells of a fresh pair, and `landed` beside them.
Cells withSpawnedPair(Cells landed) {
    landed[{0, 7}] = 1;
    landed[{0, 8}] = 2;
    return landed;
}

class BoardRulesTest : public GameTest {
protected:
    static void runFrame(float dt = 0.0f) { gameFrame(dt); }

    static void place(const Cells& cells) {
        for (const auto& [at, value] : cells) {
            game.board[at.first][at.second] = value;
        }
    }

    // Plays one frame per character: 'l' or 'r' taps that arrow before the frame, 'L' holds the
    // left arrow down through the frame (released before the next other character), '.' is a
    // frame without keys. A tap reads as down in its frame only; a key counts as pressed again
    // only after a frame that saw it up. No time passes, so nothing falls.
    static void playKeys(const std::string& script) {
        bool holding = false;
        for (char key : script) {
            if (key != 'L' && holding) {
                fake::releaseKey(VK_LEFT);
                holding = false;
            }
            if (key == 'l') {
                fake::tapKey(VK_LEFT);
            } else if (key == 'r') {
                fake::tapKey(VK_RIGHT);
            } else if (key == 'L' && !holding) {
                fake::pressKey(VK_LEFT);
                holding = true;
            }
            runFrame();
        }
        if (holding) {
            fake::releaseKey(VK_LEFT);
        }
    }
};

class FirstFrameTest : public BoardRulesTest, public ::testing::WithParamInterface<float> {};

TEST_P(FirstFrameTest, SpawnsThePairWhateverItsDuration) {
    runFrame(GetParam());
    EXPECT_EQ(occupiedCells(), withSpawnedPair({}));
    EXPECT_EQ(game.piece1X, 250);
    EXPECT_EQ(game.piece2X, 250);
    EXPECT_EQ(game.piece1Y, 30);
    EXPECT_EQ(game.piece2Y, 30);
    EXPECT_EQ(game.pieceFalling, 1);
}

INSTANTIATE_TEST_SUITE_P(Durations, FirstFrameTest,
                         ::testing::Values(0.0f, 1.0f / 60.0f, 0.5f, 2.0f));

struct MoveCase {
    std::string name;
    Cells landed;  // placed after the first pair has spawned
    std::string keys;
    int piece1X;
    Cells cells;

    friend void PrintTo(const MoveCase& move, std::ostream* out) { *out << move.name; }
};

class SidewaysMoveTest : public BoardRulesTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(SidewaysMoveTest, MovesThePairOncePerPress) {
    const MoveCase& move = GetParam();
    runFrame();
    place(move.landed);
    playKeys(move.keys);
    EXPECT_EQ(game.piece1X, move.piece1X);
    EXPECT_EQ(game.piece2X, move.piece1X);
    EXPECT_EQ(occupiedCells(), move.cells);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, SidewaysMoveTest,
    ::testing::Values(
        MoveCase{"SevenLeftsReachColumnZero", {}, taps('l', 7), 26, {{{0, 0}, 1}, {{0, 1}, 2}}},
        MoveCase{"AnEighthLeftDoesNothing", {}, taps('l', 8), 26, {{{0, 0}, 1}, {{0, 1}, 2}}},
        MoveCase{"RightsStopAtColumnFifteen", {}, taps('r', 9), 474, {{{0, 14}, 1}, {{0, 15}, 2}}},
        MoveCase{"AHeldKeyMovesOnce", {}, "LLLLLL", 218, {{{0, 6}, 1}, {{0, 7}, 2}}},
        MoveCase{"EachNewPressMovesAgain", {}, "LL.L", 186, {{{0, 5}, 1}, {{0, 6}, 2}}},
        MoveCase{"LeftThenRight", {}, "l.r", 250, withSpawnedPair({})},
        // A move into an occupied cell would overwrite a landed piece: it is refused.
        MoveCase{"LeftIntoALandedPieceIsRefused",
                 {{{0, 6}, 2}},
                 "l",
                 250,
                 withSpawnedPair({{{0, 6}, 2}})},
        MoveCase{"RightIntoALandedPieceIsRefused",
                 {{{0, 9}, 1}},
                 "r",
                 250,
                 withSpawnedPair({{{0, 9}, 1}})}),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return info.param.name; });

TEST_F(BoardRulesTest, ARightPressBeforeAnyPairExistsMovesNothing) {
    fake::tapKey(VK_RIGHT);
    runFrame();
    EXPECT_EQ(occupiedCells(), withSpawnedPair({}));
    EXPECT_TRUE(game.rightKeyWasDown);
}

TEST_F(BoardRulesTest, TheLandedPairOfABlockedBoardStaysPut) {
    place({{{1, 7}, 1}, {{1, 8}, 2}});
    runFrame();     // spawns at row 0, on top of the pieces
    runFrame(0.5);  // both pieces land at once; the spawn cells are taken: blocked
    ASSERT_EQ(game.pieceFalling, 0);
    Cells blocked = occupiedCells();
    playKeys("l.l.");
    EXPECT_EQ(occupiedCells(), blocked);
}

TEST_F(BoardRulesTest, TwoFramesOfThreeTenthsMakeOneStepAndRestartTheTimer) {
    runFrame();
    runFrame(0.3f);
    EXPECT_EQ(game.piece1Y, 30);
    EXPECT_FLOAT_EQ(game.fallTimer, 0.3f);
    runFrame(0.3f);
    EXPECT_EQ(game.piece1Y, 62);
    EXPECT_EQ(game.piece2Y, 62);
    EXPECT_EQ(game.fallTimer, 0.0f);
    EXPECT_EQ(occupiedCells(), (Cells{{{1, 7}, 1}, {{1, 8}, 2}}));
    runFrame(0.45f);  // an excess carried over would make this a step
    EXPECT_EQ(game.piece1Y, 62);
}

TEST_F(BoardRulesTest, APairFallsFifteenRowsAndLandsOnTheFloor) {
    runFrame();
    for (int step = 1; step <= 15; ++step) {
        runFrame(0.5f);
        ASSERT_EQ(game.piece1Y, 30 + 32 * step);
        ASSERT_EQ(game.pieceFalling, 1);
    }
    // The bottom row's fall test lands the pair without looking below the board.
    runFrame(0.5f);
    EXPECT_EQ(occupiedCells(), withSpawnedPair({{{15, 7}, 1}, {{15, 8}, 2}}));
    EXPECT_EQ(game.piece1Y, 30);
    EXPECT_EQ(game.pieceFalling, 1);
}

TEST_F(BoardRulesTest, APairLandsPieceByPieceAndCanSplit) {
    place({{{5, 7}, 2}});
    runFrame();
    for (int step = 0; step < 5; ++step) {
        runFrame(0.5f);
    }
    // Piece 1 stopped on the landed piece in row 5; piece 2 dropped once more in that step.
    EXPECT_EQ(occupiedCells(), withSpawnedPair({{{4, 7}, 1}, {{5, 7}, 2}, {{5, 8}, 2}}));
}

struct SpawnCase {
    std::string name;
    Cells landed;
    bool spawns;

    friend void PrintTo(const SpawnCase& spawn, std::ostream* out) { *out << spawn.name; }
};

class SpawnTest : public BoardRulesTest, public ::testing::WithParamInterface<SpawnCase> {};

TEST_P(SpawnTest, APairAppearsOnlyOnTwoFreeCells) {
    const SpawnCase& spawn = GetParam();
    place(spawn.landed);
    runFrame();
    runFrame();
    EXPECT_EQ(game.pieceFalling, spawn.spawns ? 1 : 0);
    EXPECT_EQ(occupiedCells(), spawn.spawns ? withSpawnedPair(spawn.landed) : spawn.landed);
}

TEST_F(BoardRulesTest, FramesWithoutDrawingStillRunTheRules) {
    runFrame();
    place({{{1, 6}, 2}});
    // The device is lost: these frames draw nothing, yet keys, falls and spawns go on.
    fake::queueCooperativeLevel(platform::D3DERR_DEVICELOST);
    fake::queueCooperativeLevel(platform::D3DERR_DEVICELOST);
    size_t drawn = fake::draws().size();
    fake::tapKey(VK_LEFT);
    runFrame();
    runFrame(0.5f);  // piece 1 lands on the piece below it, piece 2 drops; a new pair spawns
    EXPECT_EQ(fake::draws().size(), drawn);
    EXPECT_EQ(occupiedCells(), withSpawnedPair({{{0, 6}, 1}, {{1, 6}, 2}, {{1, 7}, 2}}));
    EXPECT_EQ(game.pieceFalling, 1);
}

INSTANTIATE_TEST_SUITE_P(
    SpawnCells, SpawnTest,
    ::testing::Values(SpawnCase{"BothFree", {{{1, 7}, 1}}, true},
                      SpawnCase{"LeftTaken", {{{0, 7}, 2}}, false},
                      // Spawning here would overwrite the landed piece with piece 2.
                      SpawnCase{"RightTaken", {{{0, 8}, 1}}, false}),
    [](const ::testing::TestParamInfo<SpawnCase>& info) { return info.param.name; });

}  // namespace
