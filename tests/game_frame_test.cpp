// What one frame of the game draws, sprite by sprite, as the fake driver records it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/game_frame.h"
#include "app/game_state.h"
#include "game_fixture.h"
#include "platform/fake/fake_direct3d.h"
#include "platform/transform2d.h"

namespace {

struct Sprite {
    Texture* texture;
    int x, y, width, height;
    uint32_t colour;
};

// The draws recorded since `from`, each with the texture it names and the screen rectangle its
// source rectangle lands on. Every one must draw the whole image.
std::vector<Sprite> spritesSince(size_t from) {
    std::vector<Sprite> sprites;
    const auto& draws = fake::draws();
    for (size_t i = from; i < draws.size(); ++i) {
        const fake::Draw& draw = draws[i];
        Texture* texture = nullptr;
        for (Texture* candidate : {game.backdropTexture, game.cellTexture, game.piece1Texture,
                                   game.piece2Texture, game.piece3Texture, game.piece4Texture}) {
            if (candidate->getTexture() == draw.texture) {
                texture = candidate;
            }
        }
        EXPECT_NE(texture, nullptr) << "draw " << i << " uses a texture the game never loaded";
        if (texture == nullptr) {
            continue;
        }
        EXPECT_TRUE(draw.hasSource);
        EXPECT_EQ(draw.source.left, 0);
        EXPECT_EQ(draw.source.top, 0);
        EXPECT_EQ(draw.source.right, texture->getImageWidth());
        EXPECT_EQ(draw.source.bottom, texture->getImageHeight());
        platform::Vector2 topLeft = platform::transformPoint(draw.transform, {0, 0});
        platform::Vector2 bottomRight = platform::transformPoint(
            draw.transform,
            {static_cast<float>(draw.source.right), static_cast<float>(draw.source.bottom)});
        sprites.push_back(Sprite{texture, static_cast<int>(topLeft.x), static_cast<int>(topLeft.y),
                                 static_cast<int>(bottomRight.x - topLeft.x),
                                 static_cast<int>(bottomRight.y - topLeft.y), draw.colour});
    }
    return sprites;
}

class GameFrameTest : public GameTest {};

TEST_F(GameFrameTest, DrawsTheBackdropThenEveryCellWithItsPiece) {
    gameFrame(0.0f);  // spawns the first pair after drawing
    game.board[15][0] = 3;
    game.board[15][15] = 4;
    size_t from = fake::draws().size();
    gameFrame(0.0f);
    std::vector<Sprite> sprites = spritesSince(from);

    std::vector<Sprite> expected = {{game.backdropTexture, 0, 0, 800, 600, 0xFFFFFFFF}};
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column) {
            int x = 25 + 32 * column, y = 35 + 32 * row;
            expected.push_back({game.cellTexture, x, y, 32, 32, 0x44444444});
            Texture* piece = row == 0 && column == 7     ? game.piece1Texture
                             : row == 0 && column == 8   ? game.piece2Texture
                             : row == 15 && column == 0  ? game.piece3Texture
                             : row == 15 && column == 15 ? game.piece4Texture
                                                         : nullptr;
            if (piece != nullptr) {
                expected.push_back({piece, x, y, 32, 32, 0x88FFFFFF});
            }
        }
    }
    ASSERT_EQ(sprites.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("sprite " + std::to_string(i));
        EXPECT_EQ(sprites[i].texture, expected[i].texture);
        EXPECT_EQ(sprites[i].x, expected[i].x);
        EXPECT_EQ(sprites[i].y, expected[i].y);
        EXPECT_EQ(sprites[i].width, expected[i].width);
        EXPECT_EQ(sprites[i].height, expected[i].height);
        EXPECT_EQ(sprites[i].colour, expected[i].colour);
    }
}

TEST_F(GameFrameTest, TheFirstPairShowsFromTheSecondFrame) {
    gameFrame(0.0f);
    EXPECT_EQ(spritesSince(0).size(), 1u + 256u);
    ASSERT_EQ(game.pieceFalling, 1);
}

}  // namespace
