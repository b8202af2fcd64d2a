// Frames, device loss, textures and the matrices that place sprites, on the fake driver.
#include <gmock/gmock.h>

#include <array>
#include <memory>
#include <tuple>

#include "graphics_fixture.h"

using namespace platform;
using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::IsEmpty;
using ::testing::Pointwise;

namespace {

class GraphicsDrawingTest : public GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        describeCommonAdapter();
        fake::addImage("resources/aaa.png", 32, 32);
        fake::addImage("resources/big.png", 64, 64);
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
    EXPECT_THAT(newCalls(), ElementsAre("Clear 0 1 0xFF102030 0 0"));
    EXPECT_EQ(Graphics::endFrame(), D3D_OK);
    EXPECT_THAT(newCalls(), ElementsAre("Sprite::End", "EndScene", "Present"));
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
    struct Case {
        HRESULT level;
        const char* text;
    } cases[] = {
        {D3DERR_DRIVERINTERNALERROR, "Video driver internal error, unable to restore device."},
        {E_FAIL, "Unexpected return code from TestCooperativeLevel, unable to restore device."},
        {1, "Unexpected return code from TestCooperativeLevel, unable to restore device."},
    };
    for (const Case& c : cases) {
        fake::queueCooperativeLevel(c.level);
        EXPECT_THROW(Graphics::beginFrame(), int);
        EXPECT_EQ(fake::shownBoxes().back().text, c.text);
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
}

// Every driver places a sprite by its matrix alone, so the matrix is what is checked here.
TEST_F(GraphicsDrawingTest, SpritesArePlacedByTheirMatrix) {
    std::unique_ptr<Texture> small(Graphics::loadTexture("resources/aaa.png"));
    std::unique_ptr<Texture> big(Graphics::loadTexture("resources/big.png"));
    struct Case {
        Texture* texture;
        int x, y, width, height, sourceX, sourceY, sourceSize, centre, rotation;
        Vector2 topLeft, bottomRight;  // where the source rectangle's corners land
    } cases[] = {
        {small.get(), 25, 35, 64, 32, 0, 0, 32, 0, 0, {25, 35}, {89, 67}},
        // Scaled against the whole image, not against the source rectangle.
        {big.get(), 0, 0, 32, 32, 0, 0, 32, 0, 0, {0, 0}, {16, 16}},
        {big.get(), 10, 10, 64, 64, 32, 16, 16, 0, 0, {10, 10}, {26, 26}},
        // Turns are clockwise on screen, about the centre given in sprite pixels.
        {small.get(), 25, 35, 32, 32, 0, 0, 32, 16, 90, {57, 35}, {25, 67}},
        {small.get(), 100, 100, 32, 32, 0, 0, 32, 0, 180, {100, 100}, {68, 68}},
    };
    ASSERT_TRUE(Graphics::beginFrame());
    EXPECT_EQ(Graphics::drawSprite(nullptr, 0, 0, 32, 32, 0, 0, 32, 32, ~0u, 0, 0, 0),
              D3DERR_INVALIDCALL);
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Graphics::drawSprite(c.texture, c.x, c.y, c.width, c.height, c.sourceX, c.sourceY,
                             c.sourceSize, c.sourceSize, 0x88FFFFFF, c.centre, c.centre,
                             c.rotation);
        const fake::Draw& draw = fake::draws().back();
        EXPECT_EQ(std::tie(draw.texture, draw.colour, draw.hasSource, draw.source.left,
                           draw.source.top, draw.source.right, draw.source.bottom),
                  std::make_tuple(c.texture->getTexture(), 0x88FFFFFFu, true, c.sourceX, c.sourceY,
                                  c.sourceX + c.sourceSize, c.sourceY + c.sourceSize));
        float size = static_cast<float>(c.sourceSize);
        Vector2 topLeft = transformPoint(draw.transform, {0, 0});
        Vector2 bottomRight = transformPoint(draw.transform, {size, size});
        EXPECT_THAT((std::array{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}),
                    Pointwise(FloatNear(1e-4f),
                              {c.topLeft.x, c.topLeft.y, c.bottomRight.x, c.bottomRight.y}));
    }
    Graphics::endFrame();
}

}  // namespace
