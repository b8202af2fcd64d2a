// The state file, every rule of it in one place: the order of its sections and, for each
// section, the pair of functions that writes it and reads it back, each the mirror of the other.
// Every reader of state files (a load, the layout check before it, the state_dump tool) reads
// through readStateFile, so there is one reader to keep in step with the writer.
//
// The layout, values as BinaryWriter writes them: global records (marker 1, name, type tag,
// value) ended by a 0 byte; the object count and every object's header (type, script, id); every
// object's key block (pause timer, key count, then name, tag and value per key; a host type's
// save may write a block of its own in its place); the next object id. A file ends there: bytes
// after it are left unread.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../objects/key_type.h"

class BinaryReader;
class BinaryWriter;
class Object;

// A global record's type tag: Lua's own type numbers, which the file has always held.
constexpr int kLuaNil = 0;
constexpr int kLuaBoolean = 1;
constexpr int kLuaNumber = 3;
constexpr int kLuaString = 4;

// A value as a global record or a key record holds it; which member counts depends on the tag.
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

struct StoredKeyBlock {
    float waitTimer = 0.0f;
    std::vector<StoredKey> keys;
};

struct StoredObject {
    int type = 0;
    std::string script;
    int id = 0;
    StoredKeyBlock block;  // filled only where the block is read in the engine's own layout
};

struct StateFileContents {
    std::vector<StoredGlobal> globals;
    std::vector<StoredObject> objects;
    int nextObjectId = 0;
};

// What a save of a variable the file cannot hold ends in (through Log::error), as does a load
// of a file that holds one.
std::string unsupportedGlobalMessage(const std::string& name);

// ---- The sections. Each reader returns an empty text when its section holds, else why not,
// naming where ("truncated in object 3's key block"). ----

void writeGlobals(BinaryWriter& writer, const std::vector<StoredGlobal>& globals);
// A global of a type the file cannot hold stops the read with its name in `unsupported`.
std::string readGlobals(BinaryReader& reader, std::vector<StoredGlobal>& globals,
                        std::string& unsupported);

// The object count, then each object's header.
void writeObjectHeaders(BinaryWriter& writer, const std::vector<Object*>& objects);
// Refuses a count the bytes left cannot hold before anything is reserved for it.
std::string readObjectHeaders(BinaryReader& reader, std::vector<StoredObject>& objects);

// The engine's own layout of an object's block (Object::save and Object::load).
void writeKeyBlock(BinaryWriter& writer, float waitTimer,
                   const std::map<std::string, KeyType*>& keys);
// Hands every key record read whole to `take`, in file order, so a block cut short yields the
// keys before the cut; `take` may move from the record. False when the block is not whole; the
// reader has then failed.
bool readKeyBlock(BinaryReader& reader, float& waitTimer,
                  const std::function<void(StoredKey& key)>& take);
// The same, keeping every record in `block`.
bool readKeyBlock(BinaryReader& reader, StoredKeyBlock& block);
// Why the block of object `index` (0 for the first), which starts at `start`, did not read:
// `engineLayout` when it was read in the engine's own layout, whose key count can be named.
// Moves the reader.
std::string keyBlockProblem(BinaryReader& reader, size_t start, size_t index, bool engineLayout);

void writeTrailer(BinaryWriter& writer, int nextObjectId);
std::string readTrailer(BinaryReader& reader, int& nextObjectId);

// ---- The whole file ----

// Writes every section; each object's block is written by the object's own save.
void writeStateFile(BinaryWriter& writer, const std::vector<StoredGlobal>& globals,
                    const std::vector<Object*>& objects, int nextObjectId);

// How a reader takes the objects' key blocks, which only an object's own class can read.
class ObjectBlockReader {
public:
    virtual ~ObjectBlockReader() = default;
    // Called once every header is read, before any block: an empty text, or why the file is
    // refused.
    virtual std::string headersRead(const std::vector<StoredObject>& objects) = 0;
    // Reads the block of object `index`, which starts at the reader's position: an empty text
    // when it read whole, else why not.
    virtual std::string readBlock(BinaryReader& reader, size_t index, StoredObject& object) = 0;
};

// Reads from the reader's position through the next object id, every section in the order
// writeStateFile writes them, handing each object's block to `blocks`. Returns an empty text
// when the file holds; else why not, and `contents` holds what was read before the fault.
std::string readStateFile(BinaryReader& reader, ObjectBlockReader& blocks,
                          StateFileContents& contents, std::string& unsupportedGlobal);
// The same with every block read in the engine's own layout into `contents`, whatever the
// object's type: a view of the file for tools.
std::string readStateFile(BinaryReader& reader, StateFileContents& contents,
                          std::string& unsupportedGlobal);
