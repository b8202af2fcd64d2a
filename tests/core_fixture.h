// A Core with a fresh Lua state, scripts written to temporary files, and Lua run in its main
// state, for the script core's tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/core.h"
#include "log/log.h"
#include "core/object.h"
#include "platform/fake/fake_platform.h"
#include "test_support.h"

class CoreTest : public ::testing::Test {
protected:
    // The host's object factory and frame callback; tests set what they need.
    std::function<Object*(int)> makeHostObject = [](int) { return nullptr; };
    std::function<void(float)> onFrame = [](float) {};
    Core core{[this](int type) { return makeHostObject(type); },
              [this](float elapsed) { onFrame(elapsed); }};
    testing_support::TempDir dir;

    void SetUp() override {
        fake::reset();
        Log::close();
        core.resetScripting();
    }

    // Writes a script file and returns its path.
    std::string script(const std::string& source) {
        return dir.write("script" + std::to_string(++scripts) + ".lua", source);
    }
    // A plain object driven by a script of this source.
    Object* scripted(const std::string& source) { return core.createObject(0, script(source)); }
    // The same, with its "main" started.
    Object* started(const std::string& source) {
        Object* object = scripted(source);
        EXPECT_TRUE(object->startThread("main"));
        return object;
    }

    // Runs a chunk in the main state, whose globals are the state table.
    void lua(const std::string& chunk) {
        lua_State* L = core.getLuaState();
        ASSERT_EQ(luaL_dostring(L, chunk.c_str()), 0) << lua_tostring(L, -1);
    }
    // An expression evaluated in the main state, through tostring.
    std::string eval(const std::string& expression) {
        lua_State* L = core.getLuaState();
        if (luaL_dostring(L, ("return tostring(" + expression + ")").c_str()) != 0) {
            ADD_FAILURE() << lua_tostring(L, -1);
        }
        std::string value = lua_tostring(L, -1);
        lua_pop(L, 1);
        return value;
    }

    // The text of the fatal error that `action` ends in, from the box Log::error showed.
    std::string fatalError(const std::function<void()>& action) {
        size_t boxes = fake::shownBoxes().size();
        try {
            action();
        } catch (int) {
            if (fake::shownBoxes().size() == boxes + 1) {
                return fake::shownBoxes().back().text;
            }
        }
        ADD_FAILURE() << "no fatal error";
        return {};
    }

    // Whether the engine embeds LuaJIT rather than Lua 5.1 (its "jit" library is loaded).
    bool onLuaJit() { return eval("type(jit)") == "table"; }

    // Frames of 1/45 s, the longest the frame loop runs.
    void frames(int count, float elapsed = 1.0f / 45.0f) {
        for (int i = 0; i < count; ++i) {
            core.runFrame(elapsed);
        }
    }

private:
    int scripts = 0;
};

// A Core whose data folder is the test's own folder, with the log open there: for tests that
// read what a save or a load logged.
class LoggedCoreTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        fake::setDataRoot(dir.path().string());
        ASSERT_TRUE(Log::open("Game"));
    }
    void TearDown() override { Log::close(); }
};
