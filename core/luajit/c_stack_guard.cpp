// LuaJIT counts no nested C calls: a script that recurses through a library function that
// calls back into Lua nests the C stack until the process dies of it, with no error. So each
// such function is replaced by a Lua function that first checks how much C stack is left, then
// tail-calls the original, which so keeps its name in error messages and its place in traces.
// What recurses through C past these (string.format's __tostring, an engine or host function
// whose argument's metamethod calls it again) meets the report that Log arms here instead.
#include "core/c_stack_guard.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "log/log.h"
#include "platform/os.h"

namespace {

// The library functions that call back into Lua from C, each as table (nullptr: a global) and
// field.
const struct {
    const char* table;
    const char* name;
} kCallers[] = {
    {"coroutine", "resume"}, {"string", "gsub"}, {nullptr, "print"},
    {"table", "sort"},       {nullptr, "load"},  {nullptr, "dofile"},
};

// Each chunk takes the checker and the original and returns what replaces the original.
const char kChecked[] =
    "local check, original = ... return function(...) check() return original(...) end";
// coroutine.wrap's functions resume: each call of one is checked.
const char kCheckedWrap[] =
    "local check, wrap = ... return function(f) local resume = wrap(f)"
    " return function(...) check() return resume(...) end end";
// LuaJIT's tostring tail-calls __tostring, so one that returns tostring(self) loops for ever
// in constant space instead of overflowing; called from a frame of its own, it fills the Lua
// stack, which LuaJIT stops with the error "stack overflow".
const char kOwnFrame[] =
    "local _, tostring = ... return function(...)"
    " local text = tostring(...) return text end";

// Raises while less than this is left: room for the error's unwinding and for the message
// handler's traceback, which run on top of the deepest frame.
size_t reserve(const platform::StackRoom& room) {
    return std::min<size_t>(256 * 1024, room.size / 4);
}

// check() -> nothing; raises "C stack overflow", at the line that called the guarded function,
// while the C stack is nearly full.
int check(lua_State* L) {
    const platform::StackRoom room = platform::stackRoom();
    if (room.left < reserve(room)) {
        luaL_where(L, 2);
        lua_pushliteral(L, "C stack overflow");
        lua_concat(L, 2);
        return lua_error(L);
    }
    return 0;
}

// Replaces the function at `name` of the table on top of `L` by what `chunk` makes of it.
void replace(lua_State* L, const char* name, const char* chunk) {
    if (luaL_loadbuffer(L, chunk, std::strlen(chunk), "=(C stack guard)") != 0) {
        lua_error(L);
    }
    lua_pushcfunction(L, check);
    lua_getfield(L, -3, name);
    lua_call(L, 2, 1);
    lua_setfield(L, -2, name);
}

void armReport() noexcept {
    try {
        Log::armStackOverflowReport(
            "C stack overflow: a script nested its calls through C functions (callbacks,"
            " metamethods, coroutines) too deeply, where LuaJIT cannot raise an error; the"
            " program ends.");
    } catch (const std::bad_alloc&) {
        // Without the report an overflow ends the process as it would have.
    }
}

}  // namespace

void guardCStack(lua_State* L) {
    armReport();
    for (const auto& caller : kCallers) {
        if (caller.table == nullptr) {
            lua_pushvalue(L, LUA_GLOBALSINDEX);
        } else {
            lua_getfield(L, LUA_GLOBALSINDEX, caller.table);
        }
        replace(L, caller.name, kChecked);
        lua_pop(L, 1);
    }
    lua_getfield(L, LUA_GLOBALSINDEX, "coroutine");
    replace(L, "wrap", kCheckedWrap);
    lua_pop(L, 1);
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    replace(L, "tostring", kOwnFrame);
    lua_pop(L, 1);
}
