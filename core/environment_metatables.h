// The two metatables that script threads' environments share (environment_metatables.cpp).
#pragma once

#include <lua.hpp>

struct EnvironmentMetatables {
    // Run on a state being built, whose real globals hold "state": makes the two metatables,
    // leaves them on top of `L` (the loading one below the running one), and puts in
    // getmetatable and debug.getmetatable, which hand no script a shared one.
    static void install(lua_State* L);
    // Gives the environment table at `index` the shared metatable of its stage: while its file
    // runs (reads fall through to the state table) or, once `entryFound`, afterwards (new
    // globals go there too). Only for the native functions that carry the two metatables as
    // upvalues 1 (loading) and 2 (running), which no script can reach.
    static void share(lua_State* L, int index, bool entryFound);
    // Whether the table at `index` is the shared metatable of that stage; any table will do.
    static bool isShared(lua_State* L, int index, bool entryFound);

private:
    static void pushShared(lua_State* L, bool entryFound);
    static void unshare(lua_State* L);
    static int getmetatable(lua_State* L);
    static int debugGetmetatable(lua_State* L);
};
