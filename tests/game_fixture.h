// The game's fixture on the fake driver: the game's process-wide values at their start, a fresh
// graphics layer on an adapter with a 1280 x 1024 desktop and a 60 Hz 800 x 600 mode, and the
// game started in it: the 800 x 600 window and the six images loaded into the game's values.
// All of it is cleaned afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/game_state.h"
#include "graphics/graphics.h"
#include "platform/fake/fake_direct3d.h"
#include "platform/fake/fake_platform.h"

class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        Graphics::shutdown();
        fake::reset();
        game = GameState{};
        fake::setDesktopMode({1280, 1024, 60, platform::D3DFMT_X8R8G8B8});
        fake::setAdapterModes(platform::D3DFMT_X8R8G8B8,
                              {{800, 600, 60, platform::D3DFMT_X8R8G8B8}});
        ASSERT_TRUE(Graphics::init("MainGameClass", "Puzzle Tumblix", ""));
        Graphics::setScreenFormat(
            ScreenFormat(800, 600, platform::D3DFMT_X8R8G8B8, 60, ScreenFormat::WINDOWED));
        game.backdropTexture = load("backdrop", 800, 600);
        game.cellTexture = load("aaa", 32, 32);
        game.piece1Texture = load("peice1", 32, 32);
        game.piece2Texture = load("peice2", 32, 32);
        game.piece3Texture = load("peice3", 32, 32);
        game.piece4Texture = load("peice4", 32, 32);
    }

    void TearDown() override {
        for (Texture* texture : {game.backdropTexture, game.cellTexture, game.piece1Texture,
                                 game.piece2Texture, game.piece3Texture, game.piece4Texture}) {
            delete texture;
        }
        game = GameState{};
        Graphics::shutdown();
    }

private:
    static Texture* load(const std::string& name, uint32_t width, uint32_t height) {
        std::string path = "resources/" + name + ".png";
        fake::addImage(path, width, height);
        return Graphics::loadTexture(path);
    }
};
