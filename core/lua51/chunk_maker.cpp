// Lua 5.1's binary chunk: a header, then the main function with its enclosed prototypes inside
// it. The maker is the dump's header, the maker's own fields, the dumped function (the dump
// less its header) as its one enclosed prototype, then the maker's empty debug part.
#include "core/chunk_maker.h"

#include <cstdint>
#include <cstring>

namespace {

// The few parts of the layout the maker needs (lundump.h, lopcodes.h).
constexpr size_t kHeaderSize = 12;
constexpr size_t kIntSizeAt = 7;
constexpr size_t kSizeTSizeAt = 8;
constexpr size_t kInstructionSizeAt = 9;
constexpr char kIsVararg = 2;  // every main chunk is
constexpr uint32_t kOpReturn = 30;
constexpr uint32_t kOpClosure = 36;
constexpr int kPositionB = 23;

// The maker's code: R0 := a function of enclosed prototype 0; return R0.
constexpr uint32_t kMakeClosure = kOpClosure;
constexpr uint32_t kReturnOne = kOpReturn | (2u << kPositionB);

template <typename T>
char* put(char* at, T value) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

struct MakerChunk {
    const char* parts[4];
    size_t sizes[4];
    size_t next = 0;
};

const char* readMakerChunk(lua_State*, void* data, size_t* size) {
    auto& chunk = *static_cast<MakerChunk*>(data);
    while (chunk.next < 4 && chunk.sizes[chunk.next] == 0) {
        ++chunk.next;
    }
    if (chunk.next == 4) {
        *size = 0;
        return nullptr;
    }
    *size = chunk.sizes[chunk.next];
    return chunk.parts[chunk.next++];
}

}  // namespace

void pushChunkMaker(lua_State* L, const char* dump, size_t dumpSize) {
    if (dumpSize <= kHeaderSize || dump[kIntSizeAt] != sizeof(int) ||
        dump[kSizeTSizeAt] != sizeof(size_t) || dump[kInstructionSizeAt] != 4) {
        luaL_error(L, "the chunk's dump has an unexpected layout");
    }
    char head[sizeof(size_t) + 5 * sizeof(int) + 4 + 2 * sizeof(uint32_t)];
    char* at = put(head, size_t{0});  // no source name: the enclosed chunk has its own
    at = put(at, 0);                  // defined on line 0, to line 0: a main chunk
    at = put(at, 0);
    at = put(at, '\0');  // upvalues
    at = put(at, '\0');  // parameters
    at = put(at, kIsVararg);
    at = put(at, '\2');  // stack size
    at = put(at, 2);     // instructions
    at = put(at, kMakeClosure);
    at = put(at, kReturnOne);
    at = put(at, 0);  // constants
    at = put(at, 1);  // enclosed prototypes
    char tail[3 * sizeof(int)];
    put(put(put(tail, 0), 0), 0);  // no line numbers, local names or upvalue names
    MakerChunk chunk{{dump, head, dump + kHeaderSize, tail},
                     {kHeaderSize, sizeof head, dumpSize - kHeaderSize, sizeof tail}};
    if (lua_load(L, readMakerChunk, &chunk, "=maker") != 0) {
        lua_error(L);
    }
}

void interpretOnly(lua_State*, int) {}  // Lua 5.1 only interprets
