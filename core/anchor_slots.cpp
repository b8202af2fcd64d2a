#include "core/anchor_slots.h"

int AnchorSlots::add(lua_State* L, int table) {
    int reference = freeHead;
    if (reference != 0) {
        lua_rawgeti(L, table, blockOf(reference));
        lua_rawgeti(L, -1, slotOf(reference));
        freeHead = static_cast<int>(lua_tointeger(L, -1));
        lua_pop(L, 1);
    } else if (slotOf(used + 1) == 1) {
        lua_createtable(L, kBlockSize, 0);
        lua_pushvalue(L, -1);
        lua_rawseti(L, table, blockOf(used + 1));
        reference = ++used;
    } else {
        lua_rawgeti(L, table, blockOf(used + 1));
        reference = ++used;
    }
    lua_insert(L, -2);  // block, value
    lua_rawseti(L, -2, slotOf(reference));
    lua_pop(L, 1);
    return reference;
}

void AnchorSlots::remove(lua_State* L, int table, int reference) {
    if (reference <= 0) {
        return;
    }
    lua_rawgeti(L, table, blockOf(reference));
    lua_pushinteger(L, freeHead);
    lua_rawseti(L, -2, slotOf(reference));
    lua_pop(L, 1);
    freeHead = reference;
}
