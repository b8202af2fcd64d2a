// Each script file compiled once for as long as it stays the same on disk, so that the threads
// of a thousand objects on one file share one copy of its code. Each thread still gets a main
// chunk of its own: a fresh function of the one compiled chunk, with the thread's environment,
// run afresh, so its top-level locals and globals are as private as when every thread compiled
// the file itself. Messages, chunk names, line numbers and tracebacks are those of that compile.
#pragma once

#include <lua.hpp>

#include <string>
#include <unordered_map>

#include "../platform/os.h"

class CompiledScripts {
public:
    // luaL_loadfile(thread, path), whose results it gives: pushes the file's main chunk, its
    // environment the thread's globals, and returns 0; or pushes the error message and returns
    // the error status. The file is compiled again whenever its size, times or identity on disk
    // differ from those it had when last compiled; a path that names no regular file is never
    // kept (luaL_loadfile tells what is wrong with it). `table`, the stack index of a table that
    // the caller keeps for this out of every script's reach, holds the compiled files.
    int load(lua_State* thread, int table, const std::string& path);
    // Forgets every file. For when the Lua state, and the table with it, goes.
    void clear() { versions.clear(); }

private:
    // The version compiled for each path. The compiled chunks themselves are in the table.
    std::unordered_map<std::string, platform::FileVersion> versions;
};
