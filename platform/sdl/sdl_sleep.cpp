// The SDL driver's sleep, on its own so that a build for the browser, where sleeping must hand
// the thread back to the page, can put its own in its place.
#include <SDL.h>

#include "platform/os.h"

namespace platform {

void sleep(uint32_t milliseconds) {
    SDL_Delay(milliseconds);
}

}  // namespace platform
