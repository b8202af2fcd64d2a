// The Lua work that scripts waiting on pauses cost whatever engine runs them, for reference
// beside the engine's own benchmarks: the three layers of globals (each thread's environment
// and its metatable, the state table, the real globals), a "pause" that only returns the fresh
// event table and a "wait" that only reads the table's two fields and yields. No objects,
// locks, timers or bookkeeping. The state lives in the engine's own Lua memory, so what the
// engine costs beyond this is its bookkeeping alone.
#pragma once

#include <lua.hpp>

#include <stdexcept>
#include <string>

#include "core/lua_memory.h"

namespace bench {

class LuaAlone {
public:
    // The upvalues of every function registered here: the host given to the constructor, and
    // the event table's field names, held so that no call interns them again (as the engine's
    // functions hold them).
    static constexpr int kHost = lua_upvalueindex(1);
    static constexpr int kOidName = lua_upvalueindex(2);
    static constexpr int kEidName = lua_upvalueindex(3);

    // `script` is compiled once, and run once in the state table too, so that its functions
    // are there for bare threads; a script that does not compile or run throws. `functions`
    // (ending in {nullptr, nullptr}) join "pause" and "wait" among the real globals, or take
    // their place, so that a host can keep what they ask of it in `host`.
    explicit LuaAlone(const char* script, const luaL_Reg* functions = nullptr, void* host = nullptr)
        : L(lua_newstate(LuaMemory::reallocate, &memory)) {
        luaL_openlibs(L);
        const luaL_Reg own[] = {{"pause", pause}, {"wait", wait}, {nullptr, nullptr}};
        registerFunctions(own, host);
        if (functions != nullptr) {
            registerFunctions(functions, host);
        }
        lua_createtable(L, 0, 0);  // the state table, reading through to the real globals
        lua_createtable(L, 0, 1);
        lua_pushvalue(L, LUA_GLOBALSINDEX);
        lua_setfield(L, -2, "__index");
        lua_setmetatable(L, -2);
        lua_replace(L, LUA_GLOBALSINDEX);
        int status = luaL_loadstring(L, script);
        if (status == 0) {
            lua_pushvalue(L, -1);
            status = lua_pcall(L, 0, 0, 0);
        }
        if (status != 0) {
            const char* message = lua_tostring(L, -1);
            const std::string text = message != nullptr ? message : "the script failed";
            lua_close(L);
            throw std::runtime_error(text);
        }
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

    // What "pause" returns: a fresh table {oid = `id`, eid = 0}, made to size and filled raw.
    // For functions registered here alone.
    static void pushEvent(lua_State* L, lua_Number id) {
        lua_createtable(L, 0, 2);
        lua_pushvalue(L, kOidName);
        lua_pushnumber(L, id);
        lua_rawset(L, -3);
        lua_pushvalue(L, kEidName);
        lua_pushnumber(L, 0);
        lua_rawset(L, -3);
    }

private:
    void registerFunctions(const luaL_Reg* functions, void* host) {
        for (; functions->name != nullptr; ++functions) {
            lua_pushlightuserdata(L, host);
            lua_pushliteral(L, "oid");
            lua_pushliteral(L, "eid");
            lua_pushcclosure(L, functions->func, 3);
            lua_setglobal(L, functions->name);
        }
    }
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
        pushEvent(L, lua_tonumber(L, 1));
        return 1;
    }
    static int wait(lua_State* L) {
        lua_pushvalue(L, kOidName);
        lua_gettable(L, -2);
        lua_pushvalue(L, kEidName);
        lua_gettable(L, -3);
        lua_pop(L, 2);
        return lua_yield(L, 0);
    }

    LuaMemory memory;
    lua_State* L;
    const char* script = nullptr;
    int compiled = LUA_NOREF;  // registry reference of the script's compiled chunk
};

}  // namespace bench
