// The state table's variables as a state file holds them. The core hands them out for a save
// and takes them back after a load, so that nothing but the core touches the Lua state.
#pragma once

#include <lua.hpp>

#include <string>
#include <vector>

#include "../persist/state_format.h"

// Appends the variables of the state table (the globals table of `L`, the main state) to
// `globals` in traversal order. Stops at the first variable whose value (or name) a state file
// cannot hold, and returns its name; empty when every one can be held. Stack effect: none.
std::string copyStateVariables(lua_State* L, std::vector<StoredGlobal>& globals);
// Sets each variable in the state table, in order. Stack effect: none.
void setStateVariables(lua_State* L, const std::vector<StoredGlobal>& globals);
