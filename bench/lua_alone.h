// The Lua work that scripts waiting on pauses cost whatever engine runs them, for reference
// beside the engine's own benchmarks: the three layers of globals (each thread's environment
// and its metatable, the state table, the real globals), a "pause" that only returns the fresh
// event table and a "wait" that only reads the table's two fields and yields. No objects,
// locks, timers or bookkeeping. The state lives in the engine's own Lua memory, so what the
// engine costs beyond this is its bookkeeping alone.
#pragma once

#include <lua.hpp>

#include "core/lua_memory.h"

namespace bench {

class LuaAlone {
public:
    // `script` is compiled once, and run once in the state table too, so that its functions
    // are there for bare threads.
    explicit LuaAlone(const char* script) : L(lua_newstate(LuaMemory::reallocate, &memory)) {
        luaL_openlibs(L);
        lua_register(L, "pause", pause);
        lua_register(L, "wait", wait);
        lua_createtable(L, 0, 0);  // the state table, reading through to the real globals
        lua_createtable(L, 0, 1);
        lua_pushvalue(L, LUA_GLOBALSINDEX);
        lua_setfield(L, -2, "__index");
        lua_setmetatable(L, -2);
        lua_replace(L, LUA_GLOBALSINDEX);
        luaL_loadstring(L, script);
        lua_pushvalue(L, -1);
        lua_call(L, 0, 0);
        compiled = luaL_ref(L, LUA_REGISTRYINDEX);
        this->script = script;
    }
    ~LuaAlone() { lua_close(L); }
    LuaAlone(const LuaAlone&) = delete;
    LuaAlone& operator=(const LuaAlone&) = delete;

    // A thread with an environment of its own that has run the script and holds its `main`
    // called with `id`, started: it has waited once. The compiled script is shared.
    lua_State* startThread(int id) {
        lua_State* thread = newThreadWithEnvironment();
        lua_rawgeti(thread, LUA_REGISTRYINDEX, compiled);
        lua_pushvalue(thread, LUA_GLOBALSINDEX);
        lua_setfenv(thread, -2);
        lua_call(thread, 0, 0);
        return startMain(thread, id);
    }
    // The same, with the script compiled again for this thread alone.
    lua_State* startThreadCompilingAgain(int id) {
        lua_State* thread = newThreadWithEnvironment();
        luaL_dostring(thread, script);
        return startMain(thread, id);
    }
    // The least a started thread takes: a thread that shares the state's globals, in which the
    // script's `main`, already there, is called with `id` and waits once.
    lua_State* startBareThread(int id) {
        lua_State* thread = lua_newthread(L);
        luaL_ref(L, LUA_REGISTRYINDEX);
        return startMain(thread, id);
    }
    lua_State* state() const { return L; }

private:
    lua_State* newThreadWithEnvironment() {
        lua_State* thread = lua_newthread(L);
        luaL_ref(L, LUA_REGISTRYINDEX);
        lua_createtable(thread, 0, 0);
        lua_createtable(thread, 0, 2);
        lua_pushvalue(thread, LUA_GLOBALSINDEX);
        lua_setfield(thread, -2, "__index");
        lua_setmetatable(thread, -2);
        lua_replace(thread, LUA_GLOBALSINDEX);
        return thread;
    }
    static lua_State* startMain(lua_State* thread, int id) {
        lua_getfield(thread, LUA_GLOBALSINDEX, "main");
        lua_pushnumber(thread, id);
        lua_resume(thread, 1);
        return thread;
    }
    static int pause(lua_State* L) {
        lua_createtable(L, 0, 2);
        lua_pushvalue(L, 1);
        lua_setfield(L, -2, "oid");
        lua_pushnumber(L, 0);
        lua_setfield(L, -2, "eid");
        return 1;
    }
    static int wait(lua_State* L) {
        lua_getfield(L, -1, "oid");
        lua_getfield(L, -2, "eid");
        lua_pop(L, 2);
        return lua_yield(L, 0);
    }

    LuaMemory memory;
    lua_State* L;
    const char* script = nullptr;
    int compiled = LUA_NOREF;  // registry reference of the script's compiled chunk
};

}  // namespace bench
