// How one compiled chunk serves every thread: Lua 5.1 makes a function of a compiled chunk only
// by loading it, and each load compiles a copy. But a function that encloses another makes a
// fresh function of the enclosed prototype each time it runs. So the file is compiled once as
// is, by luaL_loadfile, and then loaded once more enclosed in a maker: a binary chunk, built from
// the first compile's dump, whose only work is to return a new function of the file's chunk.
// The file's chunk keeps everything it had (its source name, its line numbers, its place as a
// main chunk in tracebacks), so no script can tell its function from one luaL_loadfile made.
//
// The makers sit in the caller's table, by path.
#include "core/compiled_scripts.h"

#include <cstdint>
#include <cstring>

namespace {

// Lua 5.1's binary chunk layout (lundump.h, lopcodes.h) for the few parts the maker needs.
constexpr size_t kHeaderSize = 12;
constexpr size_t kIntSizeAt = 7;
constexpr size_t kSizeTSizeAt = 8;
constexpr size_t kInstructionSizeAt = 9;
constexpr char kIsVararg = 2;  // every main chunk is
constexpr uint32_t kOpReturn = 30;
constexpr uint32_t kOpClosure = 36;
constexpr int kPositionB = 23;

// The maker's code: R0 := a function of enclosed prototype 0; return R0.
constexpr uint32_t kMakeClosure = kOpClosure;
constexpr uint32_t kReturnOne = kOpReturn | (2u << kPositionB);

template <typename T>
char* put(char* at, T value) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

// The maker as a binary chunk: the dump's header, the maker's own fields, the dumped function
// (the dump less its header) as its one enclosed prototype, then the maker's empty debug part.
struct MakerChunk {
    const char* parts[4];
    size_t sizes[4];
    size_t next = 0;
};

const char* readMakerChunk(lua_State*, void* data, size_t* size) {
    auto& chunk = *static_cast<MakerChunk*>(data);
    while (chunk.next < 4 && chunk.sizes[chunk.next] == 0) {
        ++chunk.next;
    }
    if (chunk.next == 4) {
        *size = 0;
        return nullptr;
    }
    *size = chunk.sizes[chunk.next];
    return chunk.parts[chunk.next++];
}

int addToBuffer(lua_State*, const void* bytes, size_t size, void* buffer) {
    luaL_addlstring(static_cast<luaL_Buffer*>(buffer), static_cast<const char*>(bytes), size);
    return 0;
}

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
    luaL_Buffer dump;
    luaL_buffinit(L, &dump);
    lua_dump(L, addToBuffer, &dump);
    luaL_pushresult(&dump);
    size_t dumpSize = 0;
    const char* dumped = lua_tolstring(L, -1, &dumpSize);
    if (dumpSize <= kHeaderSize || dumped[kIntSizeAt] != sizeof(int) ||
        dumped[kSizeTSizeAt] != sizeof(size_t) || dumped[kInstructionSizeAt] != 4) {
        luaL_error(L, "the chunk's dump has an unexpected layout");
    }
    char head[sizeof(size_t) + 5 * sizeof(int) + 4 + 2 * sizeof(uint32_t)];
    char* at = put(head, size_t{0});  // no source name: the enclosed chunk has its own
    at = put(at, 0);                  // defined on line 0, to line 0: a main chunk
    at = put(at, 0);
    at = put(at, '\0');  // upvalues
    at = put(at, '\0');  // parameters
    at = put(at, kIsVararg);
    at = put(at, '\2');  // stack size
    at = put(at, 2);     // instructions
    at = put(at, kMakeClosure);
    at = put(at, kReturnOne);
    at = put(at, 0);  // constants
    at = put(at, 1);  // enclosed prototypes
    char tail[3 * sizeof(int)];
    put(put(put(tail, 0), 0), 0);  // no line numbers, local names or upvalue names
    MakerChunk chunk{{dumped, head, dumped + kHeaderSize, tail},
                     {kHeaderSize, sizeof head, dumpSize - kHeaderSize, sizeof tail}};
    if (lua_load(L, readMakerChunk, &chunk, "=maker") != 0) {
        lua_error(L);
    }
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
        return luaL_loadfile(thread, path.c_str());
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
        return 0;
    }
    lua_remove(thread, -2);
    versions[path] = version;
    return 0;
}
