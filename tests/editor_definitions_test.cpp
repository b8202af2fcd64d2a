// The editor definitions (editor/tumblix.lua) describe every global the engine adds to Lua's
// own, each as what it is: a script function the engine gained without them would show as an
// unknown global in the editor of every script that calls it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <string>

#include "core_fixture.h"

namespace {

using Globals = std::map<std::string, std::string>;  // name, Lua type name

// The globals of the table on top of the stack, less those of a state with only Lua's own
// libraries. Pops the table.
Globals addedGlobals(lua_State* L) {
    lua_State* plain = luaL_newstate();
    luaL_openlibs(plain);
    Globals added;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        if (lua_type(L, -2) == LUA_TSTRING) {
            lua_getfield(plain, LUA_GLOBALSINDEX, lua_tostring(L, -2));
            if (lua_isnil(plain, -1)) {
                added[lua_tostring(L, -2)] = luaL_typename(L, -1);
            }
            lua_pop(plain, 1);
        }
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    lua_close(plain);
    return added;
}

using EditorDefinitionsTest = CoreTest;

TEST_F(EditorDefinitionsTest, NameEveryGlobalTheEngineAddsAsWhatItIs) {
    // The engine's own globals lie under the state table, which the main thread sees first.
    lua_State* L = core.getLuaState();
    ASSERT_TRUE(lua_getmetatable(L, LUA_GLOBALSINDEX));
    lua_getfield(L, -1, "__index");
    lua_remove(L, -2);
    const Globals engine = addedGlobals(L);

    const std::string path = std::string(std::getenv("TUMBLIX_SOURCE_DIR")) + "/editor/tumblix.lua";
    ASSERT_EQ(luaL_loadfile(L, path.c_str()), 0) << lua_tostring(L, -1);  // it is Lua
    lua_pop(L, 1);
    const std::string text = testing_support::readFile(path);
    ASSERT_EQ(text.rfind("---@meta", 0), 0u);
    Globals declared;
    static const std::regex function(R"(\nfunction (\w+)\()");
    static const std::regex variable(R"(\n---@type (\w+)[^\n]*\n(\w+) = )");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), function);
         it != std::sregex_iterator(); ++it) {
        declared[(*it)[1]] = "function";
    }
    for (auto it = std::sregex_iterator(text.begin(), text.end(), variable);
         it != std::sregex_iterator(); ++it) {
        declared[(*it)[2]] = (*it)[1] == "lightuserdata" ? "userdata" : std::string((*it)[1]);
    }
    EXPECT_EQ(declared, engine);
}

}  // namespace
