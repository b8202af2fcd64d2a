#include "core/c_stack_guard.h"

void guardCStack(lua_State*) {}  // Lua 5.1 counts its nested C calls itself
