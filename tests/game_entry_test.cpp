// The game's start-up and end, on the fake driver: what a player sees when an image is missing,
// and the exit status when the window closes.
#include <gtest/gtest.h>

#include <string>

#include "app/game_entry.h"
#include "app/game_frame.h"
#include "app/game_state.h"
#include "core/core.h"
#include "game_fixture.h"
#include "graphics/graphics.h"
#include "objects/object.h"
#include "platform/constants.h"
#include "platform/fake/fake_direct3d.h"
#include "platform/fake/fake_platform.h"

namespace {

const char* const kImages[] = {"resources/backdrop.png", "resources/aaa.png",
                               "resources/peice1.png",   "resources/peice2.png",
                               "resources/peice3.png",   "resources/peice4.png"};

using GameEntryTest = GameProcessTest;

TEST_F(GameEntryTest, AMissingImageEndsInItsErrorBoxAndStatusOne) {
    fake::addImage(kImages[0], 800, 600);
    EXPECT_EQ(runGame(), 1);
    ASSERT_FALSE(fake::shownBoxes().empty());
    const fake::ShownBox& box = fake::shownBoxes().back();
    EXPECT_EQ(box.text, "Failed to create texture 'resources/aaa.png'");
    EXPECT_EQ(box.style & platform::MB_ICONMASK, platform::MB_ICONHAND);
}

TEST_F(GameEntryTest, ClosingTheWindowEndsWithStatusZero) {
    for (const char* image : kImages) {
        fake::addImage(image, image == kImages[0] ? 800 : 32, image == kImages[0] ? 600 : 32);
    }
    int frames = 0;
    fake::setSleepHandler([&](uint32_t) {
        if (++frames == 3) {
            fake::queueMessage({Graphics::getWindow(), platform::WM_CLOSE, 0, 0});
        }
    });
    EXPECT_EQ(runGame(), 0);
    EXPECT_EQ(frames, 3);
    // The start-up warning says the 100 Hz request became the adapter's 60 Hz.
    ASSERT_EQ(fake::shownBoxes().size(), 1u);
    EXPECT_NE(fake::shownBoxes()[0].text.find("100Hz x Windowed"), std::string::npos);
    EXPECT_EQ(game.pieceFalling, 1);  // the game's frames ran
}

TEST_F(GameEntryTest, ScriptsGetOnlyPlainObjects) {
    Core core(gameObjectFactory, gameFrame);
    core.resetScripting();
    EXPECT_EQ(core.createObject(1, "piece.lua"), nullptr);
    EXPECT_NE(core.createObject(0, "piece.lua"), nullptr);
}

}  // namespace
