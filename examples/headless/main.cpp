// A headless host: scripted objects run for a fixed number of frames, with no window and no
// display, and say what they do through a function the host gives them. Around the scripts the
// host starts the script of every object they create, saves the scripting state, and later
// loads it again, after which it starts every script afresh: a load keeps the objects, their
// keys and the shared variables, but no running script.
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include <tumblix/core/core.h>
#include <tumblix/core/object.h>
#include <tumblix/core/script_guard.h>

namespace {

constexpr float kFrameSeconds = 0.125f;  // a fixed step: the same run every time
constexpr int kFrames = 48;
constexpr int kSaveFrame = 12;
constexpr int kLoadFrame = 20;
const char* const kStateFile = "colony.state";

// The objects whose script the host has started, by id.
std::set<int> started;

// say(text), for the scripts: prints the text after the game time. A Lua error for anything
// but a string or a number (luaL_checkstring raises it; no C++ object lives in this frame).
int say(lua_State* L) {
    const char* text = luaL_checkstring(L, 1);
    std::printf("%6.3f  %s\n", Core::fromLua(L)->getTime(), text);
    return 0;
}

// Crates each worker has stacked, by worker id, as the host counts them: across the load too.
std::map<int, int> tallies;

// tally(id), for the scripts: counts a crate for the worker with this id and returns the
// worker's count. Growing the map may throw, so that runs in the guard; the Lua calls that may
// raise stay outside it.
int tally(lua_State* L) {
    const int worker = static_cast<int>(luaL_checknumber(L, 1));  // Lua may raise here
    int count = 0;
    guardScriptCall(L, "tally", [&] { count = ++tallies[worker]; });  // C++ may throw here
    lua_pushnumber(L, count);
    return 1;
}

// Starts main(id) of every object not started yet. Scripts may create and delete objects
// meanwhile, so the objects are looked up by id, one at a time.
void startNewScripts(Core& core) {
    std::vector<int> ids;
    for (Object* object : core.getObjects()) {
        ids.push_back(object->getId());
    }
    for (int id : ids) {
        Object* object = core.findObject(id);
        if (object != nullptr && started.insert(id).second) {
            object->startThread("main");
        }
    }
}

// The shared variable `name` (a global of the main state, whose globals are the state table).
double sharedNumber(Core& core, const char* name) {
    lua_State* L = core.getLuaState();
    lua_getglobal(L, name);
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
}

}  // namespace

int main() {
    try {
        Core core([](int) -> Object* { return nullptr; },  // scripts make plain objects only
                  [&core](float) { startNewScripts(core); });
        core.registerFunction("say", say);  // scripts see it from the next reset on
        core.registerFunction("tally", tally);
        core.resetScripting();
        core.createObject(0, "foreman.lua");

        for (int frame = 1; frame <= kFrames; ++frame) {
            core.runFrame(kFrameSeconds);
            if (frame == kSaveFrame) {
                std::printf("%6.3f  -- saved: %s\n", core.getTime(),
                            core.saveState(kStateFile) ? "yes" : "no");
            }
            if (frame == kLoadFrame) {
                bool loaded = core.loadState(kStateFile);
                std::printf("%6.3f  -- loaded the save: %s; every script starts again\n",
                            core.getTime(), loaded ? "yes" : "no");
                started.clear();
                startNewScripts(core);
            }
        }
        std::printf("Crates stacked: %g. Objects left: %zu.\n", sharedNumber(core, "crates"),
                    core.getObjects().size());
        int counted = 0;
        for (const auto& [worker, count] : tallies) {
            counted += count;
        }
        std::printf("Crates the host counted, replayed ones too: %d.\n", counted);
        return 0;
    } catch (int) {
        return 1;  // Log::error has reported a script error on standard error
    }
}
