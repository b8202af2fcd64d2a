// The maker of a main chunk (see compiled_scripts.cpp): a binary chunk, built from the main
// chunk's dump, whose only work is to return a new function of the main chunk's prototype. Each
// Lua backend dumps its chunks in its own format, so each has its own maker, in core/<backend>/,
// and its own way to run a chunk that cannot be shared.
#pragma once

#include <lua.hpp>

#include <cstddef>

// Pushes the dump of the Lua function on top of `L`, as a string, with its debug information.
inline void pushDump(lua_State* L) {
    luaL_Buffer dump;
    luaL_buffinit(L, &dump);
    lua_dump(
        L,
        [](lua_State*, const void* bytes, size_t size, void* buffer) {
            luaL_addlstring(static_cast<luaL_Buffer*>(buffer), static_cast<const char*>(bytes),
                            size);
            return 0;
        },
        &dump);
    luaL_pushresult(&dump);
}

// Pushes the maker of the main chunk that `dump` holds. Raises when the dump is not laid out as
// the backend's maker needs, or memory runs out.
void pushChunkMaker(lua_State* L, const char* dump, size_t dumpSize);

// For the main chunk at `index`, which one thread compiled for itself and shares with no other:
// runs it and its functions in the interpreter alone, where the backend has a compiler too.
void interpretOnly(lua_State* L, int index);
