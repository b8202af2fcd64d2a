#include "bench/peer/sprite_scene.h"

#include "graphics/graphics.h"
#include "platform/constants.h"
#include "platform/os.h"

namespace peer {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSpriteSize = 32;

}  // namespace

SpriteScene::SpriteScene(const std::string& imageFolder, int count) {
    Graphics::init("TumblixPeerBench", "Tumblix peer benchmark", "");
    Graphics::setScreenFormat(ScreenFormat(kWidth, kHeight, platform::D3DFMT_X8R8G8B8,
                                           Graphics::getDesktopFormat().refreshRate,
                                           ScreenFormat::WINDOWED));
    backdrop.reset(Graphics::loadTexture(imageFolder + "/backdrop.png"));
    sprite.reset(Graphics::loadTexture(imageFolder + "/sprite.png"));
    for (int i = 0; i < count; ++i) {
        tracks.push_back(Track{i * 7919 % (kWidth - kSpriteSize),
                               i * 6007 % (kHeight - kSpriteSize), 1 + i % 5, 1 + i % 3});
    }
}

SpriteScene::~SpriteScene() {
    backdrop.reset();
    sprite.reset();
    Graphics::shutdown();
}

bool SpriteScene::handleMessages() {
    platform::Message message;
    while (platform::peekMessage(message)) {
        platform::translateMessage(message);
        platform::dispatchMessage(message);
        if (message.message == platform::WM_QUIT) {
            return false;
        }
    }
    return true;
}

void SpriteScene::drawFrame(int frame) {
    if (!Graphics::beginFrame()) {
        return;
    }
    Graphics::clear(0xFF000000);
    Graphics::drawSprite(backdrop.get(), 0, 0);
    for (const Track& track : tracks) {
        Graphics::drawSprite(sprite.get(), (track.x + frame * track.dx) % (kWidth - kSpriteSize),
                             (track.y + frame * track.dy) % (kHeight - kSpriteSize));
    }
    Graphics::endFrame();
}

}  // namespace peer
