// Stack indexes that stay put while the caller pushes.
#pragma once

#include <lua.hpp>

// `index` as an index from the bottom of the stack; a pseudo-index (the registry, the globals,
// an upvalue) as it is.
inline int absoluteIndex(lua_State* L, int index) {
    return index < 0 && index > LUA_REGISTRYINDEX ? lua_gettop(L) + index + 1 : index;
}
