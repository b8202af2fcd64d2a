// ReadableFile on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <new>
#include <string>

#include "platform/os.h"

namespace {

constexpr int64_t kNanoseconds = 1000000000;
constexpr int64_t kSettledAfter = 2 * kNanoseconds;

int64_t nanoseconds(const timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * kNanoseconds + time.tv_nsec;
}

}  // namespace

namespace platform {

ReadableFile::~ReadableFile() {
    if (handle >= 0) {
        ::close(static_cast<int>(handle));
    }
}

FileRead ReadableFile::open(const std::string& path, std::string& problem) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        problem = std::strerror(errno);
        return FileRead::cannotOpen;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool regular = S_ISREG(status.st_mode);
        ::close(descriptor);
        return regular ? FileRead::failed : FileRead::notRegular;
    }
    handle = descriptor;
    facts.size = static_cast<uint64_t>(status.st_size);
    facts.modified = nanoseconds(status.st_mtim);
    facts.changed = nanoseconds(status.st_ctim);
    facts.volume = static_cast<uint64_t>(status.st_dev);
    facts.file = static_cast<uint64_t>(status.st_ino);
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int64_t lastChange = facts.modified > facts.changed ? facts.modified : facts.changed;
    settledWhenOpened = nanoseconds(now) - lastChange >= kSettledAfter;
    return FileRead::done;
}

std::string ReadableFile::location() const {
    if (handle < 0) {
        return {};
    }
    char path[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(handle);
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof path || path[0] != '/') {
        return {};  // no /proc, or the file was deleted meanwhile
    }
    return std::string(path, static_cast<size_t>(length));
}

FileRead ReadableFile::read(uint64_t maxBytes, std::string& contents) {
    if (handle < 0) {
        return FileRead::failed;
    }
    if (facts.size > maxBytes) {
        return FileRead::tooLarge;
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(facts.size));
    } catch (const std::bad_alloc&) {
        return FileRead::tooLarge;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::pread(static_cast<int>(handle), bytes.data() + done,
                                      bytes.size() - done, static_cast<off_t>(done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return FileRead::failed;  // a read failed, or the file shrank
        }
        done += static_cast<size_t>(count);
    }
    contents = std::move(bytes);
    return FileRead::done;
}

}  // namespace platform
