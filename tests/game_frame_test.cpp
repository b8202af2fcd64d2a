// What the game's frames draw, sprite by sprite, as the fake driver records it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "app/game_frame.h"
#include "app/game_state.h"
#include "game_fixture.h"
#include "platform/fake/fake_direct3d.h"
#include "platform/transform2d.h"

namespace {

using Corners = std::array<long, 4>;  // left, top, right, bottom
// A sprite's texture, its source rectangle in the image, where that lands and its colour.
using Sprite = std::tuple<platform::DeviceTexture*, Corners, Corners, uint32_t>;

// The draws recorded since the `from`th, in order.
std::vector<Sprite> spritesSince(size_t from) {
    std::vector<Sprite> sprites;
    for (size_t i = from; i < fake::draws().size(); ++i) {
        const fake::Draw& draw = fake::draws()[i];
        EXPECT_TRUE(draw.hasSource);
        const platform::Rect& source = draw.source;
        platform::Vector2 topLeft = platform::transformPoint(draw.transform, {0, 0});
        platform::Vector2 bottomRight = platform::transformPoint(
            draw.transform, {static_cast<float>(source.right - source.left),
                             static_cast<float>(source.bottom - source.top)});
        sprites.push_back({draw.texture,
                           {source.left, source.top, source.right, source.bottom},
                           {std::lround(topLeft.x), std::lround(topLeft.y),
                            std::lround(bottomRight.x), std::lround(bottomRight.y)},
                           draw.colour});
    }
    return sprites;
}

// A frame's sprites: the backdrop, then row by row every cell dimmed with its piece over it.
std::vector<Sprite> boardSprites(const std::map<std::pair<int, int>, Texture*>& pieces) {
    std::vector<Sprite> sprites = {
        {game.backdropTexture->getTexture(), {0, 0, 800, 600}, {0, 0, 800, 600}, 0xFFFFFFFF}};
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column) {
            const long x = 25 + 32 * column, y = 35 + 32 * row;
            const Corners image = {0, 0, 32, 32}, cell = {x, y, x + 32, y + 32};
            sprites.push_back({game.cellTexture->getTexture(), image, cell, 0x44444444});
            if (auto piece = pieces.find({row, column}); piece != pieces.end()) {
                sprites.push_back({piece->second->getTexture(), image, cell, 0x88FFFFFF});
            }
        }
    }
    return sprites;
}

using GameFrameTest = GameTest;

TEST_F(GameFrameTest, DrawsTheBackdropThenEveryCellWithItsPiece) {
    gameFrame(0.0f);  // the first pair spawns after this frame is drawn
    EXPECT_EQ(spritesSince(0), boardSprites({}));

    game.board[15][0] = 3;
    game.board[15][15] = 4;
    size_t from = fake::draws().size();
    gameFrame(0.0f);
    EXPECT_EQ(spritesSince(from), boardSprites({{{0, 7}, game.piece1Texture},
                                                {{0, 8}, game.piece2Texture},
                                                {{15, 0}, game.piece3Texture},
                                                {{15, 15}, game.piece4Texture}}));
}

}  // namespace
