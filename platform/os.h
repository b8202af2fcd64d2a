// Operating-system services the engine calls: the message pump, time, key state, message boxes
// and the shared data folder. Exactly one driver (platform/sdl, platform/win32 or platform/fake)
// implements them in each program. All of them run on the thread that runs the frame loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "types.h"

namespace platform {

// --- Message pump ---

// Takes the oldest message of any window (or of the thread) off the queue into `message`;
// false, with `message` untouched, when nothing waits. A window close request comes out as
// WM_CLOSE addressed to that window.
bool peekMessage(Message& message);

// Derives character messages from key messages; true when it queued one. Nothing in the
// engine relies on them.
bool translateMessage(const Message& message);

// Runs the procedure of the addressed window's class and returns its result; 0 when the
// message has no window or the window is gone.
intptr_t dispatchMessage(const Message& message);

// Queues WM_QUIT with `exitCode` as its wParam; the pump hands it out after what is queued.
void postQuitMessage(int exitCode);

// The system's default handling of a message the window procedure does not handle itself.
intptr_t defWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// --- Time ---

// Yields the thread for about `milliseconds`.
void sleep(uint32_t milliseconds);

// A millisecond counter from an arbitrary start; 32 bits, wrapping to 0 after 2^32 - 1.
uint32_t timeGetTime();

// --- Keys ---

// State of a virtual key, read asynchronously: bit 15 (0x8000) while the key is down now,
// bit 0 when it went down since the previous call for that key (the latch is then cleared), so
// a tap between two calls still reads non-zero once. 0 for a key never pressed.
int16_t getAsyncKeyState(int virtualKey);

// --- Message boxes ---

// Shows a modal box with `text`, `caption`, and the buttons and icon of `style` (MB_* values),
// and blocks until it is answered. Returns the button's ID* value, or 0 when no box could be
// shown (the Log then reports the text on standard error).
int messageBox(const std::string& text, const std::string& caption, uint32_t style);

// --- Folders ---

// Full path of `subDirectory` under the machine's shared application data folder, creating
// both where missing. False (and `path` untouched) when the folder cannot be found or created.
bool commonDataFolder(const std::string& subDirectory, std::string& path);

// The character that joins the parts of a path on this platform.
char pathSeparator();

// The full path of the running program's file, with links resolved. False (and `path`
// untouched) when the system cannot tell.
bool programPath(std::string& path);

// --- Files ---

// Flushes the closed file `temporary` to the disk and puts it in the place of `target` in one
// step, so `target` is either its old self or the complete new file, even across a crash or a
// power cut. Both must be on the same file system. False, with both files as they were, when
// either step fails.
bool replaceFile(const std::string& temporary, const std::string& target);

enum class FileRead {
    done,
    cannotOpen,  // missing, or not readable by this process
    notRegular,  // a folder, a FIFO, a device: anything but a regular file
    tooLarge,    // more than the caller's limit, or more than can be allocated
    failed,      // a read failed, or the file shrank while it was read
};

// Reads the whole regular file at `path` into `contents`. Anything else is refused before a
// byte is read from it (a FIFO or a device never makes the call wait), and so is a file of more
// than `maxBytes` bytes, before anything is allocated for it. `contents` is untouched unless
// the result is `done`.
FileRead readRegularFile(const std::string& path, uint64_t maxBytes, std::string& contents);

// What tells one version of a file's contents from another without reading them: its size, its
// times, and which file on which volume the path names (a file moved over the path is another).
// A field the platform cannot tell stays 0.
struct FileVersion {
    uint64_t size = 0;
    int64_t modified = 0;  // last write, in the platform's own units
    int64_t changed = 0;   // last change of the contents or the file's record
    uint64_t volume = 0;
    uint64_t file = 0;
    bool operator==(const FileVersion&) const = default;
};

// The version of the regular file at `path`; false, with `version` untouched, for a path that
// names no regular file this process can see.
bool fileVersion(const std::string& path, FileVersion& version);

// --- Memory ---

// Asks the system to back the block at `address` (`bytes` long, both multiples of
// kLargePageBytes) with large pages where it can, so that reads all over it need fewer address
// translations. A hint: the block is usable as before whatever the answer.
constexpr size_t kLargePageBytes = 2 * 1024 * 1024;
void adviseLargePages(void* address, size_t bytes);

// The machine's physical memory in bytes; 0 when it cannot be told.
uint64_t physicalMemory();

}  // namespace platform
