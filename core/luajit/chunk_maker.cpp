// LuaJIT's bytecode dump: a header, then each prototype as its length and its bytes, the
// enclosed ones before the function that encloses them, which takes the latest read as its
// child; then a zero. So the maker is the main chunk's dump, less its final zero, followed by a
// prototype that takes the main chunk as its child, makes a function of it and returns that.
// LuaJIT itself writes that prototype: it is the last of the dump of "return function() end".
#include "core/chunk_maker.h"

#include <luajit.h>

#include <cstdint>

namespace {

constexpr unsigned char kStripped = 0x02;  // a header flag: no chunk name, no debug parts

// Reads a ULEB128 number at `at`, which moves past it; false when it runs past `end` or is
// longer than 32 bits.
bool readNumber(const char*& at, const char* end, uint32_t& value) {
    value = 0;
    for (int shift = 0; at != end && shift < 35; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        value |= static_cast<uint32_t>(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

// Where the last prototype of `dump` starts (at its length); nullptr unless the dump is
// exactly a header, one prototype or more and the final zero.
const char* lastPrototype(const char* dump, size_t dumpSize) {
    const char* at = dump;
    const char* end = dump + dumpSize;
    uint32_t flags = 0;
    uint32_t size = 0;
    if (dumpSize < 5 || dump[0] != '\x1b' || dump[1] != 'L' || dump[2] != 'J') {
        return nullptr;
    }
    at += 4;  // and the version, which is the running LuaJIT's own
    if (!readNumber(at, end, flags) ||
        ((flags & kStripped) == 0 && (!readNumber(at, end, size) || size > static_cast<size_t>(end - at)))) {
        return nullptr;
    }
    at += size;
    const char* last = nullptr;
    while (at != end) {
        const char* start = at;
        if (!readNumber(at, end, size) || size > static_cast<size_t>(end - at)) {
            return nullptr;
        }
        if (size == 0) {
            return at == end ? last : nullptr;
        }
        last = start;
        at += size;
    }
    return nullptr;
}

// Pushes LuaJIT's dump of a chunk that returns a new function of its one child.
void pushTemplateDump(lua_State* L) {
    if (luaL_loadstring(L, "return function() end") != 0) {
        lua_error(L);
    }
    pushDump(L);
    lua_remove(L, -2);
}

}  // namespace

void pushChunkMaker(lua_State* L, const char* dump, size_t dumpSize) {
    pushTemplateDump(L);
    size_t templateSize = 0;
    const char* templateDump = lua_tolstring(L, -1, &templateSize);
    const char* maker = lastPrototype(templateDump, templateSize);
    if (maker == nullptr || lastPrototype(dump, dumpSize) == nullptr) {
        luaL_error(L, "the chunk's dump has an unexpected layout");
    }
    lua_pushlstring(L, dump, dumpSize - 1);  // less its zero
    lua_pushlstring(L, maker, static_cast<size_t>(templateDump + templateSize - maker));
    lua_concat(L, 2);
    size_t makerSize = 0;
    const char* makerDump = lua_tolstring(L, -1, &makerSize);
    if (luaL_loadbuffer(L, makerDump, makerSize, "=maker") != 0) {
        lua_error(L);
    }
    lua_replace(L, -3);  // the template's dump
    lua_pop(L, 1);
}

// What the compiler makes of a chunk that one thread compiled for itself serves that thread
// alone. Worse, the copies of one loop in a thousand threads each grow hot and each start a
// trace of their own: a frame of 10,000 threads on such copies ran six times slower with the
// compiler than without it.
void interpretOnly(lua_State* L, int index) {
    luaJIT_setmode(L, index, LUAJIT_MODE_ALLFUNC | LUAJIT_MODE_OFF);
}
