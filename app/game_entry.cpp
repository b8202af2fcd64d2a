#include "app/game_entry.h"

#include "app/game_frame.h"
#include "app/game_state.h"
#include "app/resource_files.h"
#include "core/core.h"
#include "graphics/graphics.h"

Object* gameObjectFactory(int) {
    return nullptr;
}

int runGame() {
    try {
        Core core(gameObjectFactory, gameFrame);
        Graphics::init("MainGameClass", "Puzzle Tumblix", "");
        Graphics::setScreenFormat(
            ScreenFormat(800, 600, platform::D3DFMT_X8R8G8B8, 100, ScreenFormat::WINDOWED));
        game.backdropTexture = Graphics::loadTexture(findResource("resources/backdrop.png"));
        game.cellTexture = Graphics::loadTexture(findResource("resources/aaa.png"));
        game.piece1Texture = Graphics::loadTexture(findResource("resources/peice1.png"));
        game.piece2Texture = Graphics::loadTexture(findResource("resources/peice2.png"));
        game.piece3Texture = Graphics::loadTexture(findResource("resources/peice3.png"));
        game.piece4Texture = Graphics::loadTexture(findResource("resources/peice4.png"));
        core.resetScripting();
        core.run();
        return 0;
    } catch (int) {
        // Log::error's fatal report: its box has been shown and its entry written.
        return 1;
    }
}
