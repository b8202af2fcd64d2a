// How one compiled chunk serves every thread: Lua makes a function of a compiled chunk only
// by loading it, and each load compiles a copy. But a function that encloses another makes a
// fresh function of the enclosed prototype each time it runs. So the file is compiled once as
// is, by luaL_loadfile, and then loaded once more enclosed in a maker: a binary chunk, built from
// the first compile's dump, whose only work is to return a new function of the file's chunk
// (chunk_maker.h).
// The file's chunk keeps everything it had (its source name, its line numbers, its place as a
// main chunk in tracebacks), so no script can tell its function from one luaL_loadfile made.
//
// The makers sit in the caller's table, by path.
#include "core/compiled_scripts.h"

#include "core/chunk_maker.h"

namespace {

// Pushes the maker of the function on top, which stays. Raises when it cannot be made: the
// function is not a main chunk a maker can enclose (a binary file's may expect upvalues), or
// memory ran out.
void pushMaker(lua_State* L) {
    lua_Debug info;
    lua_pushvalue(L, -1);
    lua_getinfo(L, ">u", &info);
    if (info.nups != 0) {
        luaL_error(L, "a chunk with upvalues cannot be shared");
    }
    pushDump(L);
    size_t dumpSize = 0;
    const char* dumped = lua_tolstring(L, -1, &dumpSize);
    pushChunkMaker(L, dumped, dumpSize);
    lua_remove(L, -2);  // the dump
}

// Pushes a new function of the chunk that the maker on top makes, in place of the maker, with
// the running thread's globals as its environment.
void makeChunk(lua_State* L) {
    lua_call(L, 0, 1);
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    lua_setfenv(L, -2);
}

// Run protected with the makers and a path: the path's chunk, made by its kept maker.
int makeKeptChunk(lua_State* L) {
    lua_pushvalue(L, 2);
    lua_rawget(L, 1);
    makeChunk(L);
    return 1;
}

// Run protected with the makers, a freshly compiled chunk and its path: keeps the chunk's maker
// for the path and returns the chunk made by it, so this thread shares the code with those to
// come.
int keepMaker(lua_State* L) {
    lua_settop(L, 3);  // makers, chunk, path
    lua_pushvalue(L, 2);
    pushMaker(L);  // makers, chunk, path, chunk, maker
    lua_pushvalue(L, 3);
    lua_pushvalue(L, -2);
    lua_rawset(L, 1);
    makeChunk(L);
    return 1;
}

}  // namespace

int CompiledScripts::load(lua_State* thread, int table, const std::string& path) {
    platform::FileVersion version;
    if (!platform::fileVersion(path, version)) {
        versions.erase(path);
        const int status = luaL_loadfile(thread, path.c_str());
        if (status == 0) {
            interpretOnly(thread, -1);
        }
        return status;
    }
    auto kept = versions.find(path);
    if (kept != versions.end() && kept->second == version) {
        lua_pushcfunction(thread, makeKeptChunk);
        lua_pushvalue(thread, table);
        lua_pushlstring(thread, path.data(), path.size());
        return lua_pcall(thread, 2, 1, 0);
    }
    if (kept != versions.end()) {
        versions.erase(kept);
    }
    const int status = luaL_loadfile(thread, path.c_str());
    if (status != 0) {
        return status;
    }
    lua_pushcfunction(thread, keepMaker);  // chunk, keepMaker
    lua_pushvalue(thread, table);
    lua_pushvalue(thread, -3);
    lua_pushlstring(thread, path.data(), path.size());
    if (lua_pcall(thread, 3, 1, 0) != 0) {
        lua_pop(thread, 1);  // no maker: this thread runs the chunk it compiled, shared with none
        interpretOnly(thread, -1);
        return 0;
    }
    lua_remove(thread, -2);
    versions[path] = version;
    return 0;
}
