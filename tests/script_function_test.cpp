// The functions scripts call, and the layered globals they are found through.
#include <gmock/gmock.h>

#include "core_fixture.h"

using ::testing::HasSubstr;

namespace {

int replacementWait(lua_State* L) {
    lua_pushstring(L, "replaced");
    return 1;
}

using ScriptFunctionTest = CoreTest;

TEST_F(ScriptFunctionTest, KeysKeepTheirTypeAndNumbersNameObjectsAndKeysAsText) {
    core.createObject(0, "");
    Object* second = core.createObject(0, "");
    for (const char* value : {"true", "false", "3.5", "0", "''", "'abc'"}) {
        SCOPED_TRACE(value);
        lua(std::string("setKey(2, 'k', ") + value + ") state.v = getKey(2, 'k')");
        EXPECT_EQ(eval("state.v == " + std::string(value)), "true");
    }
    lua("setKey(2, 'k', nil) setKey(2, 'k', {}) setKey(2, 'k', print)");
    EXPECT_EQ(eval("getKey(2, 'k')"), "abc");  // unsupported values changed nothing
    EXPECT_EQ(second->getNumber("k"), 0.0);    // another type than it holds: the zero value
    EXPECT_EQ(eval("select('#', getKey(2, 'none'))"), "0");

    lua("setKey(2.9, 5, 'five')");  // object 2, key "5"
    EXPECT_EQ(second->getString("5"), "five");
    EXPECT_EQ(eval("getKey(2, '5')"), "five");
    lua("state.ok, state.err = pcall(getKey, -0.5, '5')");
    EXPECT_THAT(eval("state.err"), HasSubstr("getKey: no object with id 0"));
}

TEST_F(ScriptFunctionTest, MisuseRaisesAClearLuaError) {
    core.createObject(0, "");
    for (auto [call, error] :
         {std::pair{"pause(7, 1)", "pause: no object with id 7"},
          {"setKey(7, 'k', 1)", "setKey: no object with id 7"},
          {"setKey('x', 'k', true)", "setKey: no object with id 0"},
          {"getKey(1)", "bad argument #2 to 'getKey' (string expected, got no value)"},
          {"setKey(1, {}, 1)", "bad argument #2 to 'setKey' (string expected, got table)"},
          {"wait(5)", "attempt to index a number value"},
          {"wait()", "attempt to index a nil value"}}) {  // the last of no arguments is nil
        SCOPED_TRACE(call);
        lua(std::string("state.ok, state.err = pcall(function() ") + call + " end)");
        EXPECT_EQ(eval("state.ok"), "false");
        EXPECT_THAT(eval("state.err"), HasSubstr(std::string(":1: ") + error));
    }
    lua("setKey(7, 'k', nil)");  // nothing to set: no object needed
    lua("wait('x')");            // a string's fields are nil: nil names no event
}

TEST_F(ScriptFunctionTest, AScriptCannotBreakTheEngineThroughTheCoreGlobal) {
    EXPECT_EQ(eval("type(core)"), "userdata");
    started("function main() core = 42 state.made = newObject(0) end");
    EXPECT_EQ(eval("core"), "42");
    EXPECT_EQ(eval("state.made"), "2");
}

TEST_F(ScriptFunctionTest, ARegisteredFunctionReplacesAnEngineOneAtTheNextReset) {
    core.registerFunction("wait", replacementWait);
    EXPECT_EQ(eval("(wait({}))"), "nil");
    core.resetScripting();
    EXPECT_EQ(eval("wait({})"), "replaced");
}

}  // namespace
