// The six native functions scripts reach the engine through: "pause", "wait", "newObject",
// "deleteObject", "getKey" and "setKey".
#pragma once

#include <lua.hpp>

// Sets each of them as a global of `L`, in that order. Raises only when memory runs out.
void installScriptFunctions(lua_State* L);
