// A windowed host: three balls that their scripts bounce around the window and a ship that the
// arrow keys steer, drawn with Graphics each frame until the window is closed. Given a number,
// the program closes its window by itself after that many frames.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <tumblix/core/core.h>
#include <tumblix/graphics/graphics.h>
#include <tumblix/objects/object.h>
#include <tumblix/platform/constants.h>
#include <tumblix/platform/os.h>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSpriteSize = 32;

// keyDown(name), for the scripts: whether the arrow key "left", "right", "up" or "down" is held.
int keyDown(lua_State* L) {
    static const struct {
        const char* name;
        int key;
    } arrows[] = {{"left", platform::VK_LEFT},
                  {"right", platform::VK_RIGHT},
                  {"up", platform::VK_UP},
                  {"down", platform::VK_DOWN}};
    const char* name = luaL_checkstring(L, 1);
    for (const auto& arrow : arrows) {
        if (std::strcmp(name, arrow.name) == 0) {
            lua_pushboolean(L, (platform::getAsyncKeyState(arrow.key) & 0x8000) != 0);
            return 1;
        }
    }
    return luaL_argerror(L, 1, "not an arrow key");
}

// Every object is a sprite: its keys say which image, where, and turned how far.
void drawObjects(Core& core, Texture* ball, Texture* ship) {
    if (!Graphics::beginFrame()) {
        return;  // the device is lost for now: nothing can be drawn
    }
    Graphics::clear(0xFF203040);
    for (Object* object : core.getObjects()) {
        Texture* image = object->getString("image") == "ship" ? ship : ball;
        Graphics::drawSprite(image, static_cast<int>(object->getNumber("x")),
                             static_cast<int>(object->getNumber("y")), kSpriteSize, kSpriteSize,
                             0, 0, kSpriteSize, kSpriteSize, 0xFFFFFFFF, kSpriteSize / 2,
                             kSpriteSize / 2, static_cast<int>(object->getNumber("angle")));
    }
    Graphics::endFrame();
}

Object* addSprite(Core& core, const char* script, const char* image, double x, double y) {
    Object* object = core.createObject(0, script);
    object->setString("image", image);
    object->setNumber("x", x);
    object->setNumber("y", y);
    return object;
}

}  // namespace

int main(int argc, char** argv) {
    const long frameLimit = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;  // 0: no limit
    try {
        std::unique_ptr<Texture> ball, ship;
        long frames = 0;
        Core core([](int) -> Object* { return nullptr; },
                  [&](float) {
                      drawObjects(core, ball.get(), ship.get());
                      if (++frames == frameLimit) {
                          platform::postQuitMessage(0);  // as closing the window does
                      }
                  });
        Graphics::init("TumblixWindowedExample", "Tumblix windowed example", "");
        Graphics::setScreenFormat(ScreenFormat(kWidth, kHeight, platform::D3DFMT_X8R8G8B8,
                                               Graphics::getDesktopFormat().refreshRate,
                                               ScreenFormat::WINDOWED));
        ball.reset(Graphics::loadTexture("ball.png"));
        ship.reset(Graphics::loadTexture("ship.png"));

        core.registerFunction("keyDown", keyDown);
        core.resetScripting();
        const double speeds[][2] = {{3, 2}, {-2, 3}, {4, -1}};
        for (int i = 0; i < 3; ++i) {
            Object* ballObject = addSprite(core, "ball.lua", "ball", 100 + 200 * i, 80 + 60 * i);
            ballObject->setNumber("dx", speeds[i][0]);
            ballObject->setNumber("dy", speeds[i][1]);
        }
        addSprite(core, "ship.lua", "ship", (kWidth - kSpriteSize) / 2, kHeight - 2 * kSpriteSize);
        for (Object* object : core.getObjects()) {
            object->startThread("main");
        }

        core.run();  // until the window closes
        std::printf("Drew %ld frames.\n", frames);
        Graphics::shutdown();
        return 0;
    } catch (int) {
        return 1;  // Log::error has reported the failure
    }
}
