// The metatables of script threads' environments, shared while no script looks.
//
// Every environment's metatable holds the same fields: "__index" the state table while the file
// runs, "__newindex" the state table too once the entry function is found. So threads share two
// metatables, one for each stage, kept where no script can reach them, instead of each making
// its own: less memory, and one metatable that stays in the cache however many threads wake.
//
// A script could tell only by holding an environment's metatable: comparing it with another
// thread's, or changing it. The two functions that hand out metatables, getmetatable and
// debug.getmetatable, first give an environment that still shares one a copy of its own, so
// whatever a script holds is its thread's alone, as when every thread made its own.
#include "core/environment_metatables.h"

#include <initializer_list>

#include "core/lua_stack_index.h"

namespace {

// Marks the shared metatables, with the stage as its value: a key no script can make, in tables
// no script can reach.
const char kSharedMark = 0;

// Pushes a metatable for environments: "__index", and "__newindex" if `writes`, the table on top.
void pushEnvironmentMetatable(lua_State* L, bool writes) {
    lua_createtable(L, 0, 2);
    lua_pushvalue(L, -2);
    lua_setfield(L, -2, "__index");
    if (writes) {
        lua_pushvalue(L, -2);
        lua_setfield(L, -2, "__newindex");
    }
    lua_remove(L, -2);
}

}  // namespace

void EnvironmentMetatables::install(lua_State* L) {
    lua_getfield(L, LUA_GLOBALSINDEX, "state");
    lua_pushvalue(L, -1);
    pushEnvironmentMetatable(L, false);  // state, while the file runs
    lua_insert(L, -2);
    pushEnvironmentMetatable(L, true);  // while the file runs, once the entry function is found
    for (const int stage : {-2, -1}) {
        lua_pushlightuserdata(L, const_cast<char*>(&kSharedMark));
        lua_pushboolean(L, stage == -1);
        lua_rawset(L, stage - 2);
    }

    lua_pushcfunction(L, getmetatable);
    lua_setfield(L, LUA_GLOBALSINDEX, "getmetatable");
    lua_getfield(L, LUA_GLOBALSINDEX, "debug");
    lua_pushcfunction(L, debugGetmetatable);
    lua_setfield(L, -2, "getmetatable");
    lua_pop(L, 1);
}

void EnvironmentMetatables::share(lua_State* L, int index, bool entryFound) {
    index = absoluteIndex(L, index);
    pushShared(L, entryFound);
    lua_setmetatable(L, index);
}

bool EnvironmentMetatables::isShared(lua_State* L, int index, bool entryFound) {
    index = absoluteIndex(L, index);
    lua_pushlightuserdata(L, const_cast<char*>(&kSharedMark));
    lua_rawget(L, index);
    const bool shared = lua_isboolean(L, -1) && (lua_toboolean(L, -1) != 0) == entryFound;
    lua_pop(L, 1);
    return shared;
}

void EnvironmentMetatables::pushShared(lua_State* L, bool entryFound) {
    lua_pushvalue(L, lua_upvalueindex(entryFound ? 2 : 1));
}

// Gives the table at index 1, when its metatable is a shared one, a copy of its own.
void EnvironmentMetatables::unshare(lua_State* L) {
    if (!lua_istable(L, 1) || !lua_getmetatable(L, 1)) {
        return;
    }
    for (const bool entryFound : {false, true}) {
        if (isShared(L, -1, entryFound)) {
            lua_getfield(L, -1, "__index");
            pushEnvironmentMetatable(L, entryFound);
            lua_setmetatable(L, 1);
            break;
        }
    }
    lua_pop(L, 1);
}

// As Lua's own getmetatable: the "__metatable" field of the metatable when it has one.
int EnvironmentMetatables::getmetatable(lua_State* L) {
    luaL_checkany(L, 1);
    unshare(L);
    if (!lua_getmetatable(L, 1)) {
        lua_pushnil(L);
        return 1;
    }
    luaL_getmetafield(L, 1, "__metatable");
    return 1;
}

// As Lua's own debug.getmetatable.
int EnvironmentMetatables::debugGetmetatable(lua_State* L) {
    luaL_checkany(L, 1);
    unshare(L);
    if (!lua_getmetatable(L, 1)) {
        lua_pushnil(L);
    }
    return 1;
}
