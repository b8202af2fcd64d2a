#include "core/state_variables.h"

#include <cstdio>

namespace {

// The name a state-table key is saved under; false when the key has no string form. A number
// is given the string form Lua gives it, made here: a string made in Lua's memory could run a
// finalizer (__gc) that changes the table under the traversal, and Lua's conversion would
// change the key itself in place, which would derail lua_next.
bool keyName(lua_State* L, int index, std::string& name) {
    switch (lua_type(L, index)) {
        case LUA_TSTRING: {
            size_t length = 0;
            const char* text = lua_tolstring(L, index, &length);
            name.assign(text, length);
            return true;
        }
        case LUA_TNUMBER: {
            char text[64];
            std::snprintf(text, sizeof text, LUA_NUMBER_FMT, lua_tonumber(L, index));
            name = text;
            return true;
        }
        case LUA_TBOOLEAN:
            name = lua_toboolean(L, index) ? "true" : "false";
            return false;
        default:
            name = std::string("(") + luaL_typename(L, index) + " key)";
            return false;
    }
}

// The value on top of `L` as a state file holds it; false for a type it cannot hold.
bool storedValue(lua_State* L, StoredGlobal& global) {
    switch (lua_type(L, -1)) {
        case LUA_TBOOLEAN:
            global.luaType = kLuaBoolean;
            global.value.boolean = lua_toboolean(L, -1) != 0;
            return true;
        case LUA_TNUMBER:
            global.luaType = kLuaNumber;
            global.value.number = static_cast<double>(lua_tonumber(L, -1));
            return true;
        case LUA_TSTRING: {
            size_t length = 0;
            const char* text = lua_tolstring(L, -1, &length);
            global.luaType = kLuaString;
            global.value.string.assign(text, length);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

// Nothing here allocates in Lua's memory, so nothing can change the table under lua_next. Only
// C++ may run out of memory: the stack is then put back before the exception goes on.
std::string copyStateVariables(lua_State* L, std::vector<StoredGlobal>& globals) {
    const int top = lua_gettop(L);
    std::string unsupported;
    try {
        lua_pushnil(L);
        while (lua_next(L, LUA_GLOBALSINDEX) != 0) {  // key, value
            StoredGlobal global;
            if (!keyName(L, -2, global.name) || !storedValue(L, global)) {
                unsupported = global.name;
                break;
            }
            globals.push_back(std::move(global));
            lua_pop(L, 1);  // key
        }
    } catch (...) {
        lua_settop(L, top);
        throw;
    }
    lua_settop(L, top);
    return unsupported;
}

// The main state's globals table is the state table, so each lands there.
void setStateVariables(lua_State* L, const std::vector<StoredGlobal>& globals) {
    for (const StoredGlobal& global : globals) {
        switch (global.luaType) {
            case kLuaBoolean:
                lua_pushboolean(L, global.value.boolean);
                break;
            case kLuaNumber:
                lua_pushnumber(L, global.value.number);
                break;
            case kLuaString:
                lua_pushlstring(L, global.value.string.data(), global.value.string.size());
                break;
            default:
                lua_pushnil(L);
                break;
        }
        lua_pushlstring(L, global.name.data(), global.name.size());
        lua_insert(L, -2);
        lua_settable(L, LUA_GLOBALSINDEX);
    }
}
