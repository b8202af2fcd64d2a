// The Win32 driver's memory services.
#include "platform/os.h"

namespace platform {

// Large pages on Windows need a privilege that games do not hold: the hint is not taken.
void adviseLargePages(void*, size_t) {}

}  // namespace platform
