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

bool programPath(std::string& path) {
    // The system cuts a longer path to the buffer and says so only by filling it: try larger.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::string buffer(size, '\0');
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return false;
        }
        if (length < size) {
            buffer.resize(length);
            path = buffer;
            return true;
        }
    }
    return false;
}

uint64_t physicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

}  // namespace platform
