#include "core/lua_anchors.h"

int LuaAnchors::add(lua_State* L) {
    push(L, kAnchorTable);
    lua_insert(L, -2);
    const int reference = slots.add(L, lua_gettop(L) - 1);
    lua_pop(L, 1);
    return reference;
}
