// Frames, device loss and textures on the fake driver; where sprites land is checked pixel by
// pixel on the SDL driver.
#include <gmock/gmock.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <tuple>

#include "graphics_fixture.h"

using namespace platform;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

class GraphicsDrawingTest : public GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        describeCommonAdapter();
        fake::addImage("resources/aaa.png", 32, 32);
        startWindowed();
        seen = fake::calls().size();
    }

    // Calls since the last look.
    std::vector<std::string> newCalls() {
        std::vector<std::string> all = fake::calls();
        std::vector<std::string> fresh(all.begin() + static_cast<long>(seen), all.end());
        seen = all.size();
        return fresh;
    }

    size_t seen = 0;
};

TEST_F(GraphicsDrawingTest, AFrameClearsBeginsDrawsAndPresentsInOrder) {
    ASSERT_TRUE(Graphics::beginFrame());
    EXPECT_THAT(newCalls(), ElementsAre("TestCooperativeLevel", "Clear 0 3 0x00000000 1 0",
                                        "BeginScene", "Sprite::Begin 0x00000010"));
    Graphics::clear(0xFF102030);
    EXPECT_EQ(Graphics::drawSprite(nullptr, 0, 0, 32, 32, 0, 0, 32, 32, ~0u, 0, 0, 0),
              D3DERR_INVALIDCALL);
    EXPECT_THAT(newCalls(), ElementsAre("Clear 0 1 0xFF102030 0 0"));
    EXPECT_EQ(Graphics::endFrame(), D3D_OK);
    EXPECT_THAT(newCalls(), ElementsAre("Sprite::End", "EndScene", "Present"));
}

TEST_F(GraphicsDrawingTest, TheShortSpriteCallDrawsTheWholeImageAtItsSizeAsItIs) {
    fake::addImage("wide.png", 48, 20);
    std::unique_ptr<Texture> wide(Graphics::loadTexture("wide.png"));
    ASSERT_TRUE(Graphics::beginFrame());
    EXPECT_EQ(Graphics::drawSprite(nullptr, 0, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(Graphics::drawSprite(wide.get(), 7, 9), D3D_OK);
    Graphics::drawSprite(wide.get(), 7, 9, 48, 20, 0, 0, 48, 20, 0xFFFFFFFF, 0, 0, 0);
    ASSERT_EQ(fake::draws().size(), 2u);
    const fake::Draw &shortCall = fake::draws()[0], &longCall = fake::draws()[1];
    EXPECT_EQ(std::tie(shortCall.source.left, shortCall.source.top, shortCall.source.right,
                       shortCall.source.bottom, shortCall.colour),
              std::tie(longCall.source.left, longCall.source.top, longCall.source.right,
                       longCall.source.bottom, longCall.colour));
    EXPECT_EQ(std::memcmp(&shortCall.transform, &longCall.transform, sizeof(Matrix)), 0);
}

// Where each glyph lands is checked pixel by pixel on the SDL driver.
TEST_F(GraphicsDrawingTest, TextIsASpritePerGlyphFromOneFontTextureMadeOnce) {
    ASSERT_TRUE(Graphics::beginFrame());
    const int live = fake::liveReferences();
    for (int scale : {0, Graphics::kMaxTextScale + 1}) {
        EXPECT_EQ(Graphics::drawText(0, 0, "A", ~0u, scale), D3DERR_INVALIDCALL);
    }
    // Spaces take room but no sprite; the character 0x7F is none of the font's and shows as '?'.
    EXPECT_EQ(Graphics::drawText(10, 20, "Hi y\x7f\n!", 0xFF00FF00, 2), D3D_OK);
    const struct {
        float x, y;
        int sourceLeft, sourceTop;  // the glyph's cell in the font texture
    } glyphs[] = {{10, 20, 8 * 8, 2 * 8},
                  {22, 20, 9 * 8, 4 * 8},
                  {46, 20, 9 * 8, 5 * 8},
                  {58, 20, 15 * 8, 1 * 8},
                  {10, 40, 1 * 8, 0}};
    ASSERT_EQ(fake::draws().size(), std::size(glyphs));
    for (size_t i = 0; i < std::size(glyphs); ++i) {
        const fake::Draw& draw = fake::draws()[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(draw.texture, fake::draws()[0].texture);
        EXPECT_EQ(draw.colour, 0xFF00FF00u);
        EXPECT_EQ(std::tie(draw.transform.m[3][0], draw.transform.m[3][1]),
                  std::tie(glyphs[i].x, glyphs[i].y));
        EXPECT_EQ(draw.transform.m[0][0], 2.0f);
        EXPECT_EQ(std::tie(draw.source.left, draw.source.top, draw.source.right,
                           draw.source.bottom),
                  std::make_tuple(glyphs[i].sourceLeft, glyphs[i].sourceTop,
                                  glyphs[i].sourceLeft + 5, glyphs[i].sourceTop + 8));
    }
    EXPECT_THAT(fake::calls(), Contains(StartsWith("CreateTexture 128 64 1 0 21 1")).Times(1));
    EXPECT_EQ(fake::liveReferences(), live + 1);
    Graphics::shutdown();
    EXPECT_EQ(fake::liveReferences(), 0);
}

TEST_F(GraphicsDrawingTest, ALostDeviceSkipsFramesAndIsResetWhenItCanBe) {
    fake::queueCooperativeLevel(D3DERR_DEVICELOST);
    fake::queueCooperativeLevel(D3DERR_DEVICENOTRESET);

    EXPECT_FALSE(Graphics::beginFrame());
    EXPECT_THAT(newCalls(), ElementsAre("TestCooperativeLevel"));

    ScreenFormat before = Graphics::getScreenFormat();
    EXPECT_FALSE(Graphics::beginFrame());
    EXPECT_THAT(newCalls(), ElementsAre("TestCooperativeLevel", "Sprite::OnLostDevice", "Reset",
                                        "Sprite::OnResetDevice", "SetRenderState 22 1"));
    EXPECT_THAT(logged(), ElementsAre("Validating requested screen format...", "Success!"));
    EXPECT_EQ(Graphics::getScreenFormat(), before);
    ASSERT_EQ(fake::resets().size(), 1u);
    EXPECT_EQ(std::tie(fake::resets()[0].backBufferWidth, fake::resets()[0].windowed),
              std::make_tuple(800u, true));
    EXPECT_EQ(fake::createdDevices().size(), 1u);
    EXPECT_THAT(fake::shownBoxes(), IsEmpty());

    EXPECT_TRUE(Graphics::beginFrame());
}

TEST_F(GraphicsDrawingTest, DriverErrorsWhileTestingTheDeviceAreFatal) {
    for (auto [level, text] :
         {std::pair{D3DERR_DRIVERINTERNALERROR,
                    "Video driver internal error, unable to restore device."},
          {1, "Unexpected return code from TestCooperativeLevel, unable to restore device."}}) {
        fake::queueCooperativeLevel(level);
        EXPECT_THROW(Graphics::beginFrame(), int);
        EXPECT_EQ(fake::shownBoxes().back().text, text);
    }
}

TEST_F(GraphicsDrawingTest, TexturesThatCannotBeLoadedOrDescribedAreFatal) {
    EXPECT_THROW(Graphics::loadTexture("resources/missing.png"), int);
    EXPECT_EQ(fake::shownBoxes().back().text, "Failed to create texture 'resources/missing.png'");

    int live = fake::liveReferences();
    fake::failNextLevelDesc();
    EXPECT_THROW(Graphics::loadTexture("resources/aaa.png"), int);
    EXPECT_EQ(fake::shownBoxes().back().text,
              "Failed to get level description for texture 'resources/aaa.png'");
    EXPECT_EQ(fake::liveReferences(), live);  // the texture was given back

    // Larger than the device's textures (8192 texels here once rounded up to powers of two):
    // told from the header, before anything is decoded.
    for (auto [name, width, height] : {std::tuple{"wide.png", 8193u, 1u},
                                       {"tall.png", 1u, 30000u},
                                       {"beyond.png", 0x80000001u, 1u}}) {
        fake::addImage(name, width, height);
        EXPECT_THROW(Graphics::loadTexture(name), int);
        EXPECT_EQ(fake::shownBoxes().back().text,
                  "Failed to create texture '" + std::string(name) + "'");
        EXPECT_EQ(fake::liveReferences(), live);
    }
    fake::addImage("largest.png", 8192, 4097);
    std::unique_ptr<Texture> largest(Graphics::loadTexture("largest.png"));
    EXPECT_EQ(largest->getTextureHeight(), 8192);
}

}  // namespace
