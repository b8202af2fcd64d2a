// The Win32 driver's file services.
#include <string>

#include "platform/os.h"

#include <windows.h>

namespace {

// Writes what the system still holds of the file to the disk. Flushing needs write access.
bool flushToDisk(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool flushed = FlushFileBuffers(file) != 0;
    return CloseHandle(file) != 0 && flushed;
}

}  // namespace

namespace platform {

bool replaceFile(const std::string& temporary, const std::string& target) {
    // Within one volume the move is a single rename; write-through returns only once the new
    // name is on the disk too.
    return flushToDisk(temporary) &&
           MoveFileExA(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

uint64_t physicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

}  // namespace platform
