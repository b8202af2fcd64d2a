// File services shared by the drivers of POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>
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

// Reads exactly `size` bytes of the open regular file into `contents`.
platform::FileRead readWhole(int descriptor, size_t size, std::string& contents) {
    std::string bytes;
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return platform::FileRead::tooLarge;
    }
    size_t done = 0;
    while (done < size) {
        ssize_t count = ::read(descriptor, bytes.data() + done, size - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return platform::FileRead::failed;
        }
        done += static_cast<size_t>(count);
    }
    contents = std::move(bytes);
    return platform::FileRead::done;
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

FileRead readRegularFile(const std::string& path, uint64_t maxBytes, std::string& contents) {
    // Non-blocking, so that opening a FIFO returns at once; the type is then told from the open
    // file itself, which cannot be swapped for another between the check and the read.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return FileRead::cannotOpen;
    }
    struct stat status {};
    FileRead result = FileRead::failed;
    if (::fstat(descriptor, &status) != 0) {
        result = FileRead::failed;
    } else if (!S_ISREG(status.st_mode)) {
        result = FileRead::notRegular;
    } else if (static_cast<uint64_t>(status.st_size) > maxBytes) {
        result = FileRead::tooLarge;
    } else {
        result = readWhole(descriptor, static_cast<size_t>(status.st_size), contents);
    }
    ::close(descriptor);
    return result;
}

bool fileVersion(const std::string& path, FileVersion& version) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    constexpr int64_t kNanoseconds = 1000000000;
    version.size = static_cast<uint64_t>(status.st_size);
    version.modified = status.st_mtim.tv_sec * kNanoseconds + status.st_mtim.tv_nsec;
    version.changed = status.st_ctim.tv_sec * kNanoseconds + status.st_ctim.tv_nsec;
    version.volume = static_cast<uint64_t>(status.st_dev);
    version.file = static_cast<uint64_t>(status.st_ino);
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
