// The floor of the scripted workload: the Lua work the engine's design asks of every object (a
// thread with an environment of its own, the script file's top level run in it, a fresh event
// table from every pause, C functions for pause, wait, getKey and setKey) in a bare host, with
// nothing of the engine around it: no object list, locks, key map or checks but a bounds check
// and a failed resume. What the engine costs beyond this is its bookkeeping; what this costs
// beyond LÖVE, the design's.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench/lua_alone.h"
#include "bench/peer/scripted_objects.h"

namespace peer {

namespace {

// What a frame reads of an object, dense, so that the walk sweeps memory in order.
struct Sleeper {
    float countdown = 0.0f;  // as the engine's pause timer: counts only while above 0
    lua_State* thread = nullptr;
};

// The one key the sleeper keeps, "n": the name is not looked at.
struct Key {
    double value = 0;
    bool set = false;  // unset, getKey returns nothing, as the engine's does
};

class Floor final : public ScriptedObjects {
public:
    explicit Floor(std::string text)
        : source(std::move(text)), lua(source.c_str(), kFunctions, this) {}

    bool create(int count) override {
        sleepers.resize(count);  // the threads' first pauses write here
        keys.resize(count);
        for (int id = 1; id <= count; ++id) {
            lua_State* thread = lua.startThread(id);
            sleepers[id - 1].thread = thread;
            if (lua_status(thread) != LUA_YIELD) {
                return failed(thread);
            }
        }
        return true;
    }
    bool runFrame(float seconds) override {
        for (Sleeper& sleeper : sleepers) {
            if (!(sleeper.countdown > 0.0f)) {
                continue;
            }
            sleeper.countdown -= seconds;
            if (sleeper.countdown <= 0.0f) {
                sleeper.countdown = 0.0f;
                if (lua_resume(sleeper.thread, 0) != LUA_YIELD) {
                    return failed(sleeper.thread);
                }
            }
        }
        return true;
    }
    void eachWakes(const std::function<void(int id, double wakes)>& visit) const override {
        for (size_t i = 0; i < keys.size(); ++i) {
            visit(static_cast<int>(i) + 1, keys[i].value);
        }
    }

private:
    static Floor& of(lua_State* L) {
        return *static_cast<Floor*>(lua_touserdata(L, bench::LuaAlone::kHost));
    }
    static bool failed(lua_State* thread) {
        const char* message = lua_tostring(thread, -1);
        std::fprintf(stderr, "a script failed: %s\n",
                     message != nullptr ? message : "(no message)");
        return false;
    }

    // The index of the object whose id is argument 1; raises when there is none.
    static size_t indexOf(lua_State* L, const char* function) {
        const Floor& floor = of(L);
        const lua_Number id = lua_tonumber(L, 1);
        if (!(id >= 1 && id <= static_cast<lua_Number>(floor.sleepers.size()))) {
            luaL_error(L, "%s: no object with id %f", function, id);
        }
        return static_cast<size_t>(id) - 1;
    }
    // pause(id, seconds) -> the event table.
    static int pause(lua_State* L) {
        const size_t index = indexOf(L, "pause");
        of(L).sleepers[index].countdown = static_cast<float>(lua_tonumber(L, 2));
        bench::LuaAlone::pushEvent(L, lua_tonumber(L, 1));
        return 1;
    }
    // getKey(id, name) -> the number, or nothing before the first setKey.
    static int getKey(lua_State* L) {
        const Key& key = of(L).keys[indexOf(L, "getKey")];
        if (!key.set) {
            return 0;
        }
        lua_pushnumber(L, key.value);
        return 1;
    }
    // setKey(id, name, value)
    static int setKey(lua_State* L) {
        Key& key = of(L).keys[indexOf(L, "setKey")];
        key.value = lua_tonumber(L, 3);
        key.set = true;
        return 0;
    }
    static constexpr luaL_Reg kFunctions[] = {
        {"pause", pause}, {"getKey", getKey}, {"setKey", setKey}, {nullptr, nullptr}};

    std::string source;  // the script's text, which the state keeps a pointer to
    bench::LuaAlone lua;
    std::vector<Sleeper> sleepers;  // by id - 1
    std::vector<Key> keys;          // by id - 1
};

}  // namespace

int runScriptedFloor(int count, int frames, const std::string& script) {
    std::ifstream file(script);
    std::stringstream source;
    source << file.rdbuf();
    if (!file) {
        std::fprintf(stderr, "could not read %s\n", script.c_str());
        return 1;
    }
    try {
        Floor floor(source.str());
        return measureScriptedObjects(floor, count, frames);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "%s: %s\n", script.c_str(), error.what());
        return 1;
    }
}

}  // namespace peer
