// Frames, device loss and textures on the fake driver; where sprites land is checked pixel by
// pixel on the SDL driver.
#include <gmock/gmock.h>

#include <memory>
#include <tuple>

#include "graphics_fixture.h"

using namespace platform;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
