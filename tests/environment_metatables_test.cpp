// Thread environments share their metatables only while no script holds one.
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace {

using EnvironmentMetatablesTest = CoreTest;

TEST_F(EnvironmentMetatablesTest, AMetatableAScriptHoldsIsItsThreadsAlone) {
    // Each thread on the file takes its environment's metatable in turn: while the file runs,
    // once the entry function is found, and through either function that hands one out.
    const std::string path = script(R"(
        local shared, n = state, (state.count or 0) + 1
        state.count, state.metas = n, state.metas or {}
        local whileRunning = n == 1 and getmetatable(getfenv()) or nil
        function main(id)
            local meta = whileRunning
            if n == 2 then meta = getmetatable(getfenv()) end
            if n == 3 then meta = debug.getmetatable(getfenv()) end
            if meta then
                setKey(id, "writesShared", meta.__newindex == state and meta.__index == state)
                meta.__index = function(_, name)  -- this thread's reads alone
                    return name == "undefinedName" and name .. n or shared[name]
                end
                for _, other in ipairs(state.metas) do
                    if other == meta then setKey(id, "sameAsAnother", true) end
                end
                table.insert(state.metas, meta)
            end
            wait(pause(id, 1))
            setKey(id, "reads", tostring(undefinedName))
            fromMain = n  -- lands in the state table, as before any script looked
        end
    )");
    for (int id = 1; id <= 4; ++id) {
        ASSERT_TRUE(core.createObject(0, path)->startThread("main"));
    }
    frames(46);
    for (int id = 1; id <= 4; ++id) {
        SCOPED_TRACE(id);
        Object* object = core.findObject(id);
        EXPECT_EQ(object->getBool("writesShared"), id != 4);
        EXPECT_FALSE(object->getBool("sameAsAnother"));
        EXPECT_EQ(object->getString("reads"),
                  id == 4 ? "nil" : "undefinedName" + std::to_string(id));
    }
    EXPECT_EQ(eval("fromMain"), "4");
}

TEST_F(EnvironmentMetatablesTest, GetmetatableAnswersAsLuasOwnForEverythingElse) {
    lua("locked = setmetatable({}, {__metatable = 'locked'})");
    EXPECT_EQ(eval("getmetatable('').__index == string"), "true");
    EXPECT_EQ(eval("getmetatable(locked)"), "locked");
    EXPECT_EQ(eval("debug.getmetatable(locked).__metatable"), "locked");
    EXPECT_EQ(eval("getmetatable({})"), "nil");
    EXPECT_EQ(eval("select(2, pcall(getmetatable))"), "bad argument #1 to '?' (value expected)");
    EXPECT_EQ(eval("getmetatable(_G) == nil and getmetatable(state).__index == _G"), "true");
}

}  // namespace
