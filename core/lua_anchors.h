// Values the engine keeps in the Lua state where no script can reach them (the registry is
// open to any script through debug.getregistry): the stack of an anchor thread that never runs,
// held at the bottom of the main state's stack, which the collector marks whole. Slot 1 is the
// anchor table, whose references keep script threads alive.
#pragma once

#include <lua.hpp>

#include "anchor_slots.h"

class LuaAnchors {
public:
    // The anchor thread's stack, bottom up, as the Core builds it.
    enum Slot : int {
        kAnchorTable = 1,   // references that keep threads alive
        kDescribeFailure,   // a failed thread's error and traceback
        kErrorHandler,      // a message handler adding the traceback
        kCompiledScripts,   // CompiledScripts' table
        // The functions that make a script thread and find its entry function
        // (script_threads.cpp), made once, so that calling them protected allocates nothing
        // before the call.
        kMakeScriptThread,
        kFindEntryFunction,
        // What finds an entry function without a protected call (ScriptThreads): the shared
        // metatable of environments once their entry function is found, and the name of the
        // entry function found last (nil before the first).
        kRunningEnvironment,
        kLastEntryName,
    };

    // Takes `thread`, whose stack holds a value for every slot, as the anchors of a new state.
    void attach(lua_State* thread) {
        anchors = thread;
        slots.clear();
    }
    // For when the state is closed.
    void detach() { anchors = nullptr; }

    // Pushes the value of `slot` onto `L`. Allocates nothing.
    void push(lua_State* L, Slot slot) const {
        lua_pushvalue(anchors, slot);
        lua_xmove(anchors, L, 1);
    }
    // Pops the value on top of `L` into `slot`, in place of the value there. Allocates nothing.
    void replace(lua_State* L, Slot slot) const {
        lua_xmove(L, anchors, 1);
        lua_replace(anchors, slot);
    }
    // Pops the value on top of `L` and keeps it alive; returns its reference. Raises when
    // memory runs out, nothing kept then.
    int add(lua_State* L);
    // As add, with the anchor table already at the absolute index `table` of `L`.
    int addAt(lua_State* L, int table) { return slots.add(L, table); }
    // Lets go of `reference`. Never allocates, so never raises.
    void remove(int reference) { slots.remove(anchors, kAnchorTable, reference); }

private:
    lua_State* anchors = nullptr;
    AnchorSlots slots;
};
