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

// Puts the closed file `temporary` in the place of `target` in one step, so `target` is either
// its old self or the complete new file, even across a crash or a power cut: the caller has
// flushed `temporary` to the disk (flushToDisk) before closing it, and the move is on the disk
// when this returns. Names are moved, never followed. Both must be on the same file system.
// False, with both files as they were, when the move fails.
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
// times, and which file on which volume it is (a file moved over a path is another). A field the
// platform cannot tell stays 0.
struct FileVersion {
    uint64_t size = 0;
    int64_t modified = 0;  // last write, in the platform's own units
    int64_t changed = 0;   // last change of the contents or the file's record
    uint64_t volume = 0;
    uint64_t file = 0;
    bool operator==(const FileVersion&) const = default;
};

// A regular file open for reading. What it tells is true of the file it opened, whatever the
// path names a moment later, so checking a file and then reading it leaves no gap between the
// two for another file to take its place.
class ReadableFile {
public:
    ReadableFile() = default;
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // Opens the file at `path` without waiting (a FIFO or a device never makes the call block):
    // `done`; `cannotOpen`, with `problem` in the system's words ("No such file or directory");
    // `notRegular`, the file closed again; or `failed`.
    FileRead open(const std::string& path, std::string& problem);
    const FileVersion& version() const { return facts; }
    // Whether the file's last change lay at least two seconds before it was opened. Until then
    // a further change may leave its version as it is, where times are kept in whole seconds.
    bool settled() const { return settledWhenOpened; }
    // The file's absolute path, every symbolic link resolved, as the system tells it of the open
    // file; empty where it cannot.
    std::string location() const;
    // Reads the file whole from its start, as readRegularFile does.
    FileRead read(uint64_t maxBytes, std::string& contents);

private:
    intptr_t handle = -1;
    FileVersion facts;
    bool settledWhenOpened = false;
};

// --- Writing files ---

// Opens `path` for writing as plain opening does: a link is followed, the file is created or
// emptied, other programs may still open it. Null when it cannot be opened.
FileHandle openForWriting(const std::string& path);

// Creates `path` as a new, empty file for writing. Null when anything at all stands at that
// name (a file, a link even to nothing, a FIFO, a folder): nothing there is followed, opened or
// emptied, so what is written through the handle lands in this new file and nowhere else.
FileHandle createNewFile(const std::string& path);

// Writes `count` bytes at the end of what was written so far; false when not all of them were
// written (a full disk).
bool writeFile(FileHandle file, const void* bytes, size_t count);

// Hands what the system holds of the open file to the disk; false when that fails.
bool flushToDisk(FileHandle file);

// Closes the file and ends the handle; false when the system reports a failure of a write it
// had held back.
bool closeFile(FileHandle file);

// Adds `text` to the end of the file at `path` (a link is followed), creating it where missing.
// All of it or nothing: a write that fails part way (a full disk) is taken back, the file cut to
// its size before. False when the file cannot be opened or the text was not written.
bool appendToFile(const std::string& path, const std::string& text);

// --- Memory ---

// Asks the system to back the block at `address` (`bytes` long, both multiples of
// kLargePageBytes) with large pages where it can, so that reads all over it need fewer address
// translations. A hint: the block is usable as before whatever the answer.
constexpr size_t kLargePageBytes = 2 * 1024 * 1024;
void adviseLargePages(void* address, size_t bytes);

// The machine's physical memory in bytes; 0 when it cannot be told.
uint64_t physicalMemory();

// --- Stack ---

// The calling thread's stack as seen from the caller's frame: the bytes left below it before
// the stack ends (stacks grow down), and the stack's whole size. Both SIZE_MAX where the
// platform cannot tell. Cheap after the first call on a thread.
struct StackRoom {
    size_t left = SIZE_MAX;
    size_t size = SIZE_MAX;
};
StackRoom stackRoom();

// Arms the last report of a thread that runs out of stack where nothing can be raised any more:
// `text` goes to standard error, `entryHead`, the local time ("Sun Dec 06 17:45:41 2026\n") and
// `entryTail` are appended to the file `logPath` (nothing when it is empty), and the process
// exits with status 1. The report runs on a stack of its own, set up for the calling thread
// (one the thread already has is kept), and only writes: it takes no lock and allocates
// nothing. Any other fault goes on to what handled it before. Arming again replaces the texts.
// False where the platform cannot make the report: an overflow then ends the process as before.
bool armStackOverflowReport(const std::string& text, const std::string& logPath,
                            const std::string& entryHead, const std::string& entryTail);

}  // namespace platform
