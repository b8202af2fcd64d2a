#include "core/script_guard.h"

#include "core/core.h"

namespace {

// Upvalue 1 the host's function, upvalue 2 its name.
int callGuarded(lua_State* L) {
    const lua_CFunction function = lua_tocfunction(L, lua_upvalueindex(1));
    const char* name = lua_tostring(L, lua_upvalueindex(2));
    int results = 0;
    guardScriptCall(L, name, [&] { results = function(L); });
    return results;
}

}  // namespace

void holdScriptCallException(lua_State* L, std::exception_ptr exception) {
    if (Core* core = Core::fromLua(L)) {  // a state of the host's own has no Core to tell
        core->holdException(std::move(exception));
    }
}

void raiseScriptCallError(lua_State* L, const char* function, bool outOfMemory) {
    if (outOfMemory) {
        luaL_error(L, "%s: not enough memory", function);
    }
    luaL_error(L, "%s: the host raised a C++ exception", function);
    std::terminate();  // luaL_error never returns
}

void pushGuardedFunction(lua_State* L, lua_CFunction function, const char* name) {
    lua_pushcfunction(L, function);
    lua_pushstring(L, name);
    lua_pushcclosure(L, callGuarded, 2);
}
