#pragma once

#include <lua.hpp>

namespace bench {

// The Lua memory of `L` in kilobytes once every garbage has been collected.
inline double luaKilobytes(lua_State* L) {
    lua_gc(L, LUA_GCCOLLECT, 0);
    return lua_gc(L, LUA_GCCOUNT, 0) + lua_gc(L, LUA_GCCOUNTB, 0) / 1024.0;
}

}  // namespace bench
