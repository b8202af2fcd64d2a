// Values the engine keeps in a Lua state's registry. Each sits under the address of one of the
// key objects below: light userdata that no script can form, so no script can reach or replace
// them.
#pragma once

#include <lua.hpp>

namespace registry {

inline const char tracebackKey = 0;  // debug.traceback as the reset found it

// Pushes the value under `key`. Never raises.
inline void push(lua_State* L, const char& key) {
    lua_pushlightuserdata(L, const_cast<char*>(&key));
    lua_rawget(L, LUA_REGISTRYINDEX);
}

// Stores the value on top under `key` and pops it.
inline void set(lua_State* L, const char& key) {
    lua_pushlightuserdata(L, const_cast<char*>(&key));
    lua_insert(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

}  // namespace registry
