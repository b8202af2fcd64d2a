// The Win32 driver's file services.
#include <string>

#include "platform/os.h"

#include <windows.h>

namespace platform {

bool replaceFile(const std::string& temporary, const std::string& target) {
    // Within one volume the move is a single rename; write-through returns only once the new
    // name is on the disk too.
    return MoveFileExA(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

uint64_t physicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

}  // namespace platform
