// The Win32 driver's file services.
#include <algorithm>
#include <new>
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

platform::FileRead readOpenFile(HANDLE file, uint64_t maxBytes, std::string& contents) {
    BY_HANDLE_FILE_INFORMATION information{};
    LARGE_INTEGER size{};
    // Pipes, consoles and devices ("NUL", "COM1") are not disk files.
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return platform::FileRead::notRegular;
    }
    if (!GetFileSizeEx(file, &size)) {
        return platform::FileRead::failed;
    }
    if (static_cast<uint64_t>(size.QuadPart) > maxBytes) {
        return platform::FileRead::tooLarge;
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return platform::FileRead::tooLarge;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD count = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &count, nullptr) || count == 0) {
            return platform::FileRead::failed;
        }
        done += count;
    }
    contents = std::move(bytes);
    return platform::FileRead::done;
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

FileRead readRegularFile(const std::string& path, uint64_t maxBytes, std::string& contents) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileRead::notRegular;  // a folder opens only with backup semantics
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FileRead::cannotOpen;
    }
    FileRead result = readOpenFile(file, maxBytes, contents);
    CloseHandle(file);
    return result;
}

bool fileVersion(const std::string& path, FileVersion& version) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return false;
    }
    auto join = [](DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; };
    version.size = join(data.nFileSizeHigh, data.nFileSizeLow);
    version.modified = static_cast<int64_t>(
        join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
    // A file moved over the path may bring the old one's write time and size, not its creation.
    version.changed = static_cast<int64_t>(
        join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime));
    version.volume = 0;
    version.file = 0;
    return true;
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
