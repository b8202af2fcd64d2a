#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/texture.h"

namespace peer {

// The window of the sprite workloads: 800 x 600, a full backdrop and `count` 32 x 32 sprites of
// one alpha-blended image, each moving on its own straight line (wrapping at the edges), so
// that every frame draws them somewhere else. The LÖVE project places its sprites by the same
// rule (love/main.lua).
class SpriteScene {
public:
    // Opens the window and loads backdrop.png and sprite.png from `imageFolder`.
    SpriteScene(const std::string& imageFolder, int count);
    ~SpriteScene();
    SpriteScene(const SpriteScene&) = delete;
    SpriteScene& operator=(const SpriteScene&) = delete;

    // Handles the window messages waiting; false once the window has been asked to close.
    bool handleMessages();
    // Draws frame number `frame` and presents it.
    void drawFrame(int frame);

private:
    struct Track {
        int x, y;    // the place in frame 0
        int dx, dy;  // pixels per frame
    };

    std::unique_ptr<Texture> backdrop;
    std::unique_ptr<Texture> sprite;
    std::vector<Track> tracks;
};

}  // namespace peer
