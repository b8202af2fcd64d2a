/* Exits 0 when lua_newstate accepts an allocator of the program's own. */
#include <lauxlib.h>
#include <lua.h>
#include <stdlib.h>

static void* allocate(void* data, void* block, size_t oldSize, size_t newSize) {
    (void)data;
    (void)oldSize;
    if (newSize == 0) {
        free(block);
        return NULL;
    }
    return realloc(block, newSize);
}

int main(void) {
    lua_State* L = lua_newstate(allocate, NULL);
    if (L == NULL) {
        return 1;
    }
    lua_close(L);
    return 0;
}
