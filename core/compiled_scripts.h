// Each script file compiled once for as long as it stays the same on disk, so that the threads
// of a thousand objects on one file share one copy of its code. Each thread still gets a main
// chunk of its own: a fresh function of the one compiled chunk, with the thread's environment,
// run afresh, so its top-level locals and globals are as private as when every thread compiled
// the file itself. Messages, chunk names, line numbers and tracebacks are those of that compile.
//
// A file is looked at on disk at most once per frame: the threads made within one frame run
// what the first of them found, and a change on disk reaches the threads made from the next
// frame on (or at once, after forget). A file whose last change was less than two seconds before
// it was looked at is compiled again at its next look, since file systems that keep times in
// whole seconds can hide a second change in the same second.
#pragma once

#include <lua.hpp>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "../platform/os.h"
#include "script_folder.h"

class CompiledScripts {
public:
    // Adds to the table at `table` (on `L`) what load needs besides the compiled files. Raises
    // when memory runs out.
    static void install(lua_State* L, int table);

    // What loading one path comes to, decided before any Lua work: a new function of the
    // chunk kept for it, a compile of the file, or a refusal with its message.
    struct Load {
        // Whether a new function of the kept chunk serves: pushKept makes it, with no load.
        bool fromKeptChunk() const { return step == Step::makeKept; }

        // What plan decided, for CompiledScripts alone.
        enum class Step { refuse, makeKept, compile } step = Step::refuse;
        const std::string* path = nullptr;
        std::string text;     // the refusal's message, or the source to compile
        bool shared = false;  // set by the compile: its maker was kept
    };

    // How `path` loads now. The file is opened once and everything is learnt from the open
    // file: it must be a regular file (a FIFO or a device is refused at once, never waited
    // on), and where `folder` confines scripts the file itself must lie inside it, links
    // resolved. It is compiled again when its size, times or identity on disk changed. A file
    // looked at in this frame is not looked at again. `path` must outlive the Load.
    Load plan(const std::string& path, const ScriptFolder& folder);
    // luaL_loadfile(thread, path) as `work` planned it, whose results it gives: pushes the
    // file's main chunk, its environment the thread's globals, and returns 0; or pushes the
    // error message and returns the error status. `table`, the stack index of the table that
    // install filled and the caller keeps out of every script's reach, holds the compiled
    // files. Lua raises nothing out of it.
    int load(lua_State* thread, int table, Load& work);
    // For a Load fromKeptChunk: pushes onto `L` a new function of the chunk kept for its path,
    // its environment the table at `environment`; `table` as for load. Raises when memory runs
    // out, so only for code already running protected, which saves a protected call of its own.
    static void pushKept(lua_State* L, int table, const Load& work, int environment);
    // Files are looked at again on their next use.
    void newFrame() { ++frame; }
    // Every file is compiled again on its next use. For a new Lua state, and for hosts that
    // write scripts and want them to take effect within the frame.
    void forget() { files.clear(); }

private:
    struct Kept {
        platform::FileVersion version;
        bool settled = false;   // whether the version seen can be trusted to tell a change
        uint64_t lookedAt = 0;  // the frame
    };
    // Run protected with the table and a Load: pushes the chunk, or raises the error message.
    static int runLoad(lua_State* L);
    // Opens the file and decides what load does with it, learning all it needs from the open
    // file before the file is closed.
    void prepare(Load& work, const std::string& path, const ScriptFolder& folder);

    std::unordered_map<std::string, Kept> files;
    uint64_t frame = 1;
};
