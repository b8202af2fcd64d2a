// ReadableFile on Windows.
#include <algorithm>
#include <new>
#include <string>

#include "platform/os.h"

#include <windows.h>

namespace {

constexpr int64_t kSettledAfter = 2 * 10000000;  // FILETIME counts 100 ns

int64_t ticks(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
}

HANDLE handleOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The words C's strerror uses for the failures a script path meets most, so that messages read
// the same on every system; the system's own for the others.
std::string describe(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return "No such file or directory";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return "Permission denied";
        default:
            break;
    }
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    while (length > 0 &&
           (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.')) {
        --length;
    }
    return length > 0 ? std::string(text, length) : "error " + std::to_string(error);
}

}  // namespace

namespace platform {

ReadableFile::~ReadableFile() {
    if (handleOf(handle) != INVALID_HANDLE_VALUE) {
        CloseHandle(handleOf(handle));
    }
}

FileRead ReadableFile::open(const std::string& path, std::string& problem) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileRead::notRegular;  // a folder opens only with backup semantics
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = describe(GetLastError());
        return FileRead::cannotOpen;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    // Pipes, consoles and devices ("NUL", "COM1") are not disk files.
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(file);
        return FileRead::notRegular;
    }
    handle = reinterpret_cast<intptr_t>(file);
    auto join = [](DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; };
    facts.size = join(information.nFileSizeHigh, information.nFileSizeLow);
    facts.modified = ticks(information.ftLastWriteTime);
    // A file moved over the path may bring the old one's write time and size, not its creation.
    facts.changed = ticks(information.ftCreationTime);
    facts.volume = information.dwVolumeSerialNumber;
    facts.file = join(information.nFileIndexHigh, information.nFileIndexLow);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    settledWhenOpened = ticks(now) - std::max(facts.modified, facts.changed) >= kSettledAfter;
    return FileRead::done;
}

std::string ReadableFile::location() const {
    if (handleOf(handle) == INVALID_HANDLE_VALUE) {
        return {};
    }
    char path[MAX_PATH * 4];
    const DWORD length = GetFinalPathNameByHandleA(handleOf(handle), path, sizeof path,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof path) {
        return {};
    }
    std::string location(path, length);
    if (location.rfind("\\\\?\\UNC\\", 0) == 0) {
        return "\\\\" + location.substr(8);
    }
    return location.rfind("\\\\?\\", 0) == 0 ? location.substr(4) : location;
}

FileRead ReadableFile::read(uint64_t maxBytes, std::string& contents) {
    HANDLE file = handleOf(handle);
    LARGE_INTEGER start{};
    if (file == INVALID_HANDLE_VALUE || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
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
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD count = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &count, nullptr) || count == 0) {
            return FileRead::failed;  // a read failed, or the file shrank
        }
        done += count;
    }
    contents = std::move(bytes);
    return FileRead::done;
}

}  // namespace platform
