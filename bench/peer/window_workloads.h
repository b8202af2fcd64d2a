#pragma once

#include <string>

namespace peer {

// Draws `frames` frames of a SpriteScene of `count` sprites after a few unmeasured ones, and
// prints the processor time of this thread per frame ("frame_cpu_ms") and the wall time per
// frame ("frame_wall_ms"). The renderer is SDL's choice, or the one SDL_RENDER_DRIVER names.
int runSprites(int count, int frames, const std::string& imageFolder);

// What a game does before its first frame: opens the window, loads its images, builds the
// scripting state and starts a scripted object on `script`; then runs one frame that draws the
// backdrop and a sprite, and prints the real-time clock once it is presented
// ("first_frame_us", microseconds since 1970), for the script that started the program.
int runStartup(const std::string& imageFolder, const std::string& script);

}  // namespace peer
