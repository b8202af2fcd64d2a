// A windowed host: three balls that their scripts bounce around the window, counting their
// bounces, and a ship that the arrow keys (or W, A, S and D) steer, drawn with Graphics each
// frame until the window is closed or Escape is pressed. Given a number, the program closes its
// window by itself after that many frames.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <tumblix/core/core.h>
#include <tumblix/graphics/graphics.h>
#include <tumblix/core/object.h>
#include <tumblix/platform/constants.h>
#include <tumblix/platform/os.h>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSpriteSize = 32;

// keyDown(name), for the scripts: whether "left", "right", "up" or "down" is held, on the arrow
// keys or on A, D, W and S.
int keyDown(lua_State* L) {
    static const struct {
        const char* name;
        int arrow;
        int letter;
    } directions[] = {{"left", platform::VK_LEFT, platform::VK_A},
                      {"right", platform::VK_RIGHT, platform::VK_D},
                      {"up", platform::VK_UP, platform::VK_W},
                      {"down", platform::VK_DOWN, platform::VK_S}};
    const char* name = luaL_checkstring(L, 1);
    for (const auto& direction : directions) {
        if (std::strcmp(name, direction.name) == 0) {
            lua_pushboolean(L, ((platform::getAsyncKeyState(direction.arrow) |
                                 platform::getAsyncKeyState(direction.letter)) &
                                0x8000) != 0);
            return 1;
        }
    }
    return luaL_argerror(L, 1, "not a direction");
}

// The balls' shared variable "bounces", as the host reads it: a global of the main Lua state.
long bounces(Core& core) {
    lua_State* L = core.getLuaState();
    lua_getglobal(L, "bounces");
    long count = static_cast<long>(lua_tonumber(L, -1));  // 0 before the first bounce (nil)
    lua_pop(L, 1);
    return count;
}

// Every object is a sprite: its keys say which image, where, and turned how far. The ship never
// turns, so the short call draws it; the count of bounces goes in the top-left corner.
void drawObjects(Core& core, Texture* ball, Texture* ship) {
    if (!Graphics::beginFrame()) {
        return;  // the device is lost for now: nothing can be drawn
    }
    Graphics::clear(0xFF203040);
    for (Object* object : core.getObjects()) {
        int x = static_cast<int>(object->getNumber("x"));
        int y = static_cast<int>(object->getNumber("y"));
        if (object->getString("image") == "ship") {
            Graphics::drawSprite(ship, x, y);  // the whole image at its size, as it is
        } else {
            Graphics::drawSprite(ball, x, y, kSpriteSize, kSpriteSize, 0, 0, kSpriteSize,
                                 kSpriteSize, 0xFFFFFFFF, kSpriteSize / 2, kSpriteSize / 2,
                                 static_cast<int>(object->getNumber("angle")));
        }
    }
    Graphics::drawText(8, 8, "Bounces: " + std::to_string(bounces(core)), 0xFFFFE27A, 2);
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
                      bool escape = platform::getAsyncKeyState(platform::VK_ESCAPE) & 0x8000;
                      if (++frames == frameLimit || escape) {
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
