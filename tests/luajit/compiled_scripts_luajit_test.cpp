// What only LuaJIT has: its trace compiler, which the engine keeps off code no two threads share.
// Built into the unit tests only on the LuaJIT backend.
#include <gtest/gtest.h>

#include "../core_fixture.h"

namespace {

using CompiledScriptsTest = CoreTest;

// A binary file whose chunk expects upvalues cannot be shared: each thread compiles it for
// itself, and the compiler leaves such a copy alone, while it takes on shared code.
TEST_F(CompiledScriptsTest, OnLuaJitOnlySharedCodeIsCompiled) {
    const std::string hotLoop =
        "function main(id) local n = 0 for i = 1, 1000 do n = n + i end state.n = n end";
    lua_State* L = core.getLuaState();
    ASSERT_EQ(luaL_dostring(L, ("local up; return string.dump(function() local _ = up " +
                                hotLoop + " end)").c_str()),
              0);
    size_t size = 0;
    const char* dumped = lua_tolstring(L, -1, &size);
    const std::string unshared = dir.write("unshared.lua", std::string(dumped, size));
    lua_pop(L, 1);
    const std::string traced = "require('jit.util').traceinfo(1) ~= nil";

    ASSERT_TRUE(core.createObject(0, unshared)->startThread("main"));
    EXPECT_EQ(eval("state.n"), "500500");
    EXPECT_EQ(eval(traced), "false");
    ASSERT_TRUE(core.createObject(0, script(hotLoop))->startThread("main"));
    EXPECT_EQ(eval(traced), "true");
}

}  // namespace
