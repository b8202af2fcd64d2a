// Reads a state file's layout without touching any scripting state, so that a load can refuse
// a damaged file before it discards what is running, and so that tools can show what a file
// holds. The scan reads key blocks in the engine's own layout; an object type whose class writes
// a layout of its own stops it there, since only that class can read its block.
//
// The layout: global records (marker 1, name, Lua type, value) ended by a 0 byte; the object
// count and every object's header (type, script, id); every object's key block (pause timer,
// key count, then name, tag and value per key); the next object id.
#pragma once

#include <functional>
#include <string>
#include <vector>

class BinaryReader;

// Lua's type numbers, as global records store them.
constexpr int kLuaNil = 0;
constexpr int kLuaBoolean = 1;
constexpr int kLuaNumber = 3;
constexpr int kLuaString = 4;

// A value as a global record or a key record holds it; which member counts depends on the type.
struct StoredValue {
    bool boolean = false;
    double number = 0.0;
    std::string string;
};

struct StoredGlobal {
    std::string name;
    int luaType = kLuaNil;
    StoredValue value;
};

struct StoredKey {
    std::string name;
    int tag = 0;  // a key's own type tag; tags other than number, string and bool carry no value
    StoredValue value;
};

struct StoredObject {
    int type = 0;
    std::string script;
    int id = 0;
    bool blockScanned = false;  // false when the object's class reads its block itself
    float waitTimer = 0.0f;
    std::vector<StoredKey> keys;
};

struct StateFileContents {
    std::vector<StoredGlobal> globals;
    std::vector<StoredObject> objects;
    size_t keyBlocksOffset = 0;  // where the first key block starts
    bool trailerScanned = false;
    int nextObjectId = 0;
};

struct StateFileScanOptions {
    // Whether objects of `type` keep their keys in the engine's own layout. Plain objects
    // (type 0) always do.
    std::function<bool(int type)> plainLayout;
    // Keep every key record in `contents` (a tool's view) or only check them (a load's check).
    bool keepKeys = true;
};

// Scans from the reader's position through the next object id, where a state file ends; bytes
// after it are left unread. Returns an empty text when the layout holds, else why not, naming
// where ("truncated in object 3's key block"); `contents` then holds what was read before the
// fault. A global of an unsupported Lua type stops the
// scan with its name in `unsupportedGlobal` (the caller reports it in its own words).
std::string scanStateFile(BinaryReader& reader, const StateFileScanOptions& options,
                          StateFileContents& contents, std::string& unsupportedGlobal);
