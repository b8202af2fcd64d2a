// A script that recurses through C (a string.gsub callback that calls gsub, a coroutine that
// resumes a new one, a __tostring that asks for itself) nests the C stack at each level. Lua 5.1
// counts those calls and stops them with the error "C stack overflow"; each backend's guard
// (core/<backend>/) makes sure such a script ends with an error, or where none can be raised,
// that the process ends with a clear report instead of a bare crash.
#pragma once

#include <lua.hpp>

// Guards the standard libraries of `L`, which luaL_openlibs has just opened. Raises only when
// memory runs out.
void guardCStack(lua_State* L);
