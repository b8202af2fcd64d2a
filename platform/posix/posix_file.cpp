// File services shared by the drivers of POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/os.h"

namespace {

bool syncFolder(const std::string& folder) {
    // O_DIRECTORY: anything but a folder fails at once, a FIFO put in its place included.
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    bool synced = ::fsync(descriptor) == 0;
    return ::close(descriptor) == 0 && synced;
}

std::string folderOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

namespace platform {

bool replaceFile(const std::string& temporary, const std::string& target) {
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        return false;
    }
    // The rename itself lives in the folder; without this a crash could still bring back the
    // old name. The new contents are in place either way, so a failure here is not reported.
    syncFolder(folderOf(target));
    return true;
}

uint64_t physicalMemory() {
    long pages = ::sysconf(_SC_PHYS_PAGES);
    long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0
               ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize)
               : 0;
}

}  // namespace platform
