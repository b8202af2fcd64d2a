// The references in the anchor table that keep script threads alive, where no script can reach
// them. luaL_ref keeps them in one table, whose array doubles as it grows and so may stand
// nearly half empty: at ten thousand threads that is ten more bytes per thread. Here the table
// holds blocks of a fixed size instead, so no more than one block stands part empty, and a
// freed reference is handed out again before a new one.
#pragma once

#include <lua.hpp>

class AnchorSlots {
public:
    static constexpr int kBlockSize = 256;

    // Pops the value on top of `L` and returns a reference (1 or more) that keeps it alive in
    // the anchor table at the absolute stack index `table`. Raises when memory runs out for a
    // new block; nothing is kept then.
    int add(lua_State* L, int table);
    // Lets go of `reference` (LUA_NOREF does nothing). Never allocates, so never raises.
    void remove(lua_State* L, int table, int reference);
    // For a new, empty anchor table.
    void clear() { used = freeHead = 0; }

private:
    static int blockOf(int reference) { return (reference - 1) / kBlockSize + 1; }
    static int slotOf(int reference) { return (reference - 1) % kBlockSize + 1; }

    int used = 0;      // the highest reference handed out
    int freeHead = 0;  // the reference freed last; each free slot holds the one freed before
};
