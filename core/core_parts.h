// What a Core is made of, kept out of core.h so that a host's include path holds none of it:
// the memory of its Lua state, the anchors, the compiled scripts, the script folder, the object
// list and the script threads. Lua's allocator carries these parts, so a Lua state leads back to
// its Core (Core::fromLua) and its memory in one step.
#pragma once

#include "compiled_scripts.h"
#include "lua_anchors.h"
#include "lua_memory.h"
#include "object_list.h"
#include "script_folder.h"
#include "script_threads.h"

#include "core.h"

struct Core::Parts {
    explicit Parts(Core& core) : core(core) {}

    Core& core;
    LuaMemory memory;  // outlives every Lua state the Core makes
    LuaAnchors anchors;  // of the current Lua state
    CompiledScripts compiledScripts;  // of the current Lua state
    ScriptFolder scriptFolder;
    ObjectList objects;
    ScriptThreads threads{anchors, memory, compiledScripts, scriptFolder};
};
