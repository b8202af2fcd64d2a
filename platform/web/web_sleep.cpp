// Sleep in the browser. The program is built with ASYNCIFY: waiting unwinds the frame loop's
// stack, returns the thread to the page, and rewinds the stack when the wait is over, so the
// loop stays the blocking loop it is elsewhere. The wait ends on the browser's animation frame,
// the first one at least `milliseconds` from now: the loop's 1 ms nap between frames thus lasts
// until the next screen refresh, and frames follow the display instead of spinning on a timer
// that starves the page. A hidden page gets no animation frames: the game waits until it shows.
#include <emscripten/emscripten.h>

#include "platform/os.h"

EM_ASYNC_JS(void, waitForAnimationFrame, (double milliseconds), {
    const until = performance.now() + milliseconds;
    do {
        await new Promise((wake) => requestAnimationFrame(wake));
    } while (performance.now() < until);
});

namespace platform {

void sleep(uint32_t milliseconds) {
    waitForAnimationFrame(milliseconds);
}

}  // namespace platform
