// The web driver's stack services. WebAssembly has no signals, and the web build embeds Lua 5.1,
// which stops a script's recursion through C with an error of its own: no report to arm.
#include <emscripten/stack.h>

#include "platform/os.h"

namespace platform {

StackRoom stackRoom() {
    const uintptr_t base = emscripten_stack_get_base();
    const uintptr_t end = emscripten_stack_get_end();
    const uintptr_t here = emscripten_stack_get_current();
    return {static_cast<size_t>(here - end), static_cast<size_t>(base - end)};
}

bool armStackOverflowReport(const std::string&, const std::string&, const std::string&,
                            const std::string&) {
    return false;
}

}  // namespace platform
