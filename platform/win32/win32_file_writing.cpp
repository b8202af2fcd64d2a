// The Win32 driver's services for writing files: plainly, as a new file only, and appending
// all or nothing.
#include <algorithm>
#include <string>

#include "platform/os.h"

#include <windows.h>

struct platform::WritableFile {
    HANDLE handle;
};

namespace {

platform::FileHandle handleFor(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : new platform::WritableFile{handle};
}

bool writeAll(HANDLE file, const char* bytes, size_t count) {
    while (count > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        count -= written;
    }
    return true;
}

}  // namespace

namespace platform {

FileHandle openForWriting(const std::string& path) {
    return handleFor(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle createNewFile(const std::string& path) {
    // CREATE_NEW fails on any name that exists. Opening a reparse point as itself keeps a link
    // (one to nothing too) from being followed to create the file it names.
    return handleFor(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr));
}

bool writeFile(FileHandle file, const void* bytes, size_t count) {
    return writeAll(file->handle, static_cast<const char*>(bytes), count);
}

bool flushToDisk(FileHandle file) {
    return FlushFileBuffers(file->handle) != 0;
}

bool closeFile(FileHandle file) {
    bool closed = CloseHandle(file->handle) != 0;
    delete file;
    return closed;
}

bool appendToFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER before{};
    const bool sized = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &before);
    const bool written = SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END) &&
                         writeAll(file, text.data(), text.size());
    if (!written && sized) {
        // What did reach the file goes again, so that the next text starts on a clean end
        // instead of running on from half of this one.
        SetFilePointerEx(file, before, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    }
    return CloseHandle(file) != 0 && written;
}

}  // namespace platform
