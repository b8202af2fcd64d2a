// Memory services shared by the drivers of POSIX systems.
#include <sys/mman.h>

#include "platform/os.h"

namespace platform {

void adviseLargePages([[maybe_unused]] void* address, [[maybe_unused]] size_t bytes) {
#ifdef MADV_HUGEPAGE  // Linux's transparent huge pages; other systems decide for themselves
    ::madvise(address, bytes, MADV_HUGEPAGE);
#endif
}

}  // namespace platform
