// Writing files on POSIX systems: plainly, as a new file only, and appending all or nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/os.h"

struct platform::WritableFile {
    int descriptor;
};

namespace {

constexpr mode_t kFileMode = 0666;  // less the umask, as plain opening gives

platform::FileHandle handleFor(int descriptor) {
    return descriptor < 0 ? nullptr : new platform::WritableFile{descriptor};
}

bool writeAll(int descriptor, const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t written = ::write(descriptor, bytes, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

namespace platform {

FileHandle openForWriting(const std::string& path) {
    return handleFor(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode));
}

FileHandle createNewFile(const std::string& path) {
    // With O_EXCL any name that exists fails the call, a link included, which is not followed.
    return handleFor(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode));
}

bool writeFile(FileHandle file, const void* bytes, size_t count) {
    return writeAll(file->descriptor, static_cast<const char*>(bytes), count);
}

bool flushToDisk(FileHandle file) {
    return ::fsync(file->descriptor) == 0;
}

bool closeFile(FileHandle file) {
    bool closed = ::close(file->descriptor) == 0;
    delete file;
    return closed;
}

bool appendToFile(const std::string& path, const std::string& text) {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kFileMode);
    if (descriptor < 0) {
        return false;
    }
    struct stat before {};
    const bool regular = ::fstat(descriptor, &before) == 0 && S_ISREG(before.st_mode);
    const bool written = writeAll(descriptor, text.data(), text.size());
    if (!written && regular) {
        // What did reach the file goes again, so that the next text starts on a clean end
        // instead of running on from half of this one. Nothing more is left to try if it fails.
        [[maybe_unused]] int cut = ::ftruncate(descriptor, before.st_size);
    }
    return ::close(descriptor) == 0 && written;
}

}  // namespace platform
