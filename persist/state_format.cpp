#include "persist/state_format.h"

#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"

namespace {

// The fewest bytes each record can take: a string is at least its 4-byte length.
constexpr size_t kMinimumHeader = 4 + 4 + 4;  // type, script, id
constexpr size_t kMinimumKeyRecord = 4 + 4;   // name, tag
constexpr size_t kMinimumKeyBlock = 4 + 4;    // pause timer, key count

constexpr unsigned char kGlobalRecord = 1;
constexpr unsigned char kEndOfGlobals = 0;

std::string ordinal(size_t index) {
    return "object " + std::to_string(index + 1);
}

// A count read from the file, as a size; a negative one counts nothing.
size_t countOf(int stored) {
    return stored > 0 ? static_cast<size_t>(stored) : 0;
}

// A record's value after its tag: global records and key records number their types apart.
struct ValueTags {
    int boolean;
    int number;
    int string;
};
constexpr ValueTags kGlobalTags{kLuaBoolean, kLuaNumber, kLuaString};
constexpr ValueTags kKeyTags{KeyType::BOOL, KeyType::NUMBER, KeyType::STRING};

// A tag of no value type is written with nothing after it.
void writeValue(BinaryWriter& writer, int tag, const StoredValue& value, ValueTags tags) {
    if (tag == tags.boolean) {
        writer.write(value.boolean);
    } else if (tag == tags.number) {
        writer.write(value.number);
    } else if (tag == tags.string) {
        writer.write(value.string);
    }
}

// A string whose stored length runs past the end fails the reader, which reports it.
bool readValue(BinaryReader& reader, int tag, StoredValue& value, ValueTags tags) {
    if (tag == tags.boolean) {
        value.boolean = reader.readBool();
    } else if (tag == tags.number) {
        value.number = reader.readDouble();
    } else if (tag == tags.string) {
        value.string = reader.readString();
    }
    return reader.good();
}

// Reads every block in the engine's own layout, into the contents.
class EngineLayout : public ObjectBlockReader {
public:
    std::string headersRead(const std::vector<StoredObject>&) override { return std::string(); }
    std::string readBlock(BinaryReader& reader, size_t index, StoredObject& object) override {
        const size_t start = reader.position();
        return readKeyBlock(reader, object.block) ? std::string()
                                                  : keyBlockProblem(reader, start, index, true);
    }
};

}  // namespace

std::string unsupportedGlobalMessage(const std::string& name) {
    return "Global variable '" + name + "' type not supported.";
}

void writeGlobals(BinaryWriter& writer, const std::vector<StoredGlobal>& globals) {
    for (const StoredGlobal& global : globals) {
        writer.write(kGlobalRecord);
        writer.write(global.name);
        writer.write(global.luaType);
        writeValue(writer, global.luaType, global.value, kGlobalTags);
    }
    writer.write(kEndOfGlobals);
}

std::string readGlobals(BinaryReader& reader, std::vector<StoredGlobal>& globals,
                        std::string& unsupported) {
    for (size_t index = 1;; ++index) {
        const unsigned char marker = reader.readUChar();
        if (!reader.good()) {
            return "truncated in the global variables";
        }
        if (marker == kEndOfGlobals) {
            return std::string();
        }
        StoredGlobal global;
        global.name = reader.readString();
        global.luaType = reader.readInt();
        if (!reader.good()) {
            return "truncated in global variable " + std::to_string(index);
        }
        if (global.luaType != kLuaNil && global.luaType != kLuaBoolean &&
            global.luaType != kLuaNumber && global.luaType != kLuaString) {
            unsupported = global.name;
            return "global variable '" + global.name + "' has the unsupported Lua type " +
                   std::to_string(global.luaType);
        }
        if (!readValue(reader, global.luaType, global.value, kGlobalTags)) {
            return "truncated in global variable '" + global.name + "'";
        }
        globals.push_back(std::move(global));
    }
}

void writeObjectHeaders(BinaryWriter& writer, const std::vector<Object*>& objects) {
    writer.write(static_cast<int>(objects.size()));
    for (const Object* object : objects) {
        writer.write(object->getType());
        writer.write(object->getScript());
        writer.write(object->getId());
    }
}

std::string readObjectHeaders(BinaryReader& reader, std::vector<StoredObject>& objects) {
    const int count = reader.readInt();
    if (!reader.good()) {
        return "truncated in the object count";
    }
    // Every header and key block takes bytes, so a count the file cannot hold is refused
    // before anything is reserved for it.
    const size_t stored = countOf(count);
    if (stored > reader.remaining() / (kMinimumHeader + kMinimumKeyBlock)) {
        return "the object count " + std::to_string(count) + " is more than the file holds";
    }
    objects.reserve(stored);
    for (size_t index = 0; index < stored; ++index) {
        StoredObject object;
        object.type = reader.readInt();
        object.script = reader.readString();
        object.id = reader.readInt();
        if (!reader.good()) {
            return "truncated in " + ordinal(index) + "'s header";
        }
        objects.push_back(std::move(object));
    }
    return std::string();
}

void writeKeyBlock(BinaryWriter& writer, float waitTimer,
                   const std::map<std::string, KeyType*>& keys) {
    writer.write(waitTimer);
    writer.write(static_cast<int>(keys.size()));
    for (const auto& [name, key] : keys) {
        writer.write(name);
        writer.write(static_cast<int>(key->type));
        switch (key->type) {
            case KeyType::NUMBER:
                writer.write(static_cast<const KeyTypeNumber*>(key)->value);
                break;
            case KeyType::STRING:
                writer.write(static_cast<const KeyTypeString*>(key)->value);
                break;
            case KeyType::BOOL:
                writer.write(static_cast<const KeyTypeBool*>(key)->value);
                break;
            default:
                break;  // a record without a value
        }
    }
}

// Reads records until the count or the file runs out; each takes bytes, so a count beyond the
// file costs no more than the file itself.
bool readKeyBlock(BinaryReader& reader, float& waitTimer,
                  const std::function<void(StoredKey& key)>& take) {
    waitTimer = reader.readFloat();
    const size_t count = countOf(reader.readInt());
    for (size_t index = 0; index < count && reader.good(); ++index) {
        StoredKey key;
        key.name = reader.readString();
        key.tag = reader.readInt();
        if (reader.good() && readValue(reader, key.tag, key.value, kKeyTags)) {
            take(key);
        }
    }
    return reader.good();
}

bool readKeyBlock(BinaryReader& reader, StoredKeyBlock& block) {
    return readKeyBlock(reader, block.waitTimer,
                        [&block](StoredKey& key) { block.keys.push_back(std::move(key)); });
}

std::string keyBlockProblem(BinaryReader& reader, size_t start, size_t index, bool engineLayout) {
    if (engineLayout) {
        reader.seek(start);
        reader.readFloat();
        const int count = reader.readInt();
        if (reader.good() && countOf(count) > reader.remaining() / kMinimumKeyRecord) {
            return ordinal(index) + "'s key count " + std::to_string(count) +
                   " is more than the file holds";
        }
    }
    return "truncated in " + ordinal(index) + "'s key block";
}

void writeTrailer(BinaryWriter& writer, int nextObjectId) {
    writer.write(nextObjectId);
}

std::string readTrailer(BinaryReader& reader, int& nextObjectId) {
    nextObjectId = reader.readInt();
    return reader.good() ? std::string() : "truncated in the next object id";
}

void writeStateFile(BinaryWriter& writer, const std::vector<StoredGlobal>& globals,
                    const std::vector<Object*>& objects, int nextObjectId) {
    writeGlobals(writer, globals);
    writeObjectHeaders(writer, objects);
    for (const Object* object : objects) {
        object->save(writer);
    }
    writeTrailer(writer, nextObjectId);
}

std::string readStateFile(BinaryReader& reader, ObjectBlockReader& blocks,
                          StateFileContents& contents, std::string& unsupportedGlobal) {
    if (std::string problem = readGlobals(reader, contents.globals, unsupportedGlobal);
        !problem.empty()) {
        return problem;
    }
    if (std::string problem = readObjectHeaders(reader, contents.objects); !problem.empty()) {
        return problem;
    }
    if (std::string problem = blocks.headersRead(contents.objects); !problem.empty()) {
        return problem;
    }
    for (size_t index = 0; index < contents.objects.size(); ++index) {
        if (std::string problem = blocks.readBlock(reader, index, contents.objects[index]);
            !problem.empty()) {
            return problem;
        }
    }
    return readTrailer(reader, contents.nextObjectId);
}

std::string readStateFile(BinaryReader& reader, StateFileContents& contents,
                          std::string& unsupportedGlobal) {
    EngineLayout blocks;
    return readStateFile(reader, blocks, contents, unsupportedGlobal);
}
