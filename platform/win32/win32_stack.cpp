// The Win32 driver's stack services.
#include <windows.h>

#include <cstdint>

#include "platform/os.h"

namespace platform {

StackRoom stackRoom() {
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    volatile char here = 0;
    const auto frame = reinterpret_cast<uintptr_t>(&here);
    if (frame < low || frame >= high) {
        return {};  // on a fiber's stack
    }
    return {static_cast<size_t>(frame - low), static_cast<size_t>(high - low)};
}

// The Windows build embeds Lua 5.1, which stops a script's recursion through C with an error
// of its own, so nothing there arms this report. (Its place would be a vectored exception
// handler for EXCEPTION_STACK_OVERFLOW, after SetThreadStackGuarantee.)
bool armStackOverflowReport(const std::string&, const std::string&, const std::string&,
                            const std::string&) {
    return false;
}

}  // namespace platform
