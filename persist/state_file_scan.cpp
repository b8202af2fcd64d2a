#include "persist/state_file_scan.h"

#include "objects/key_type.h"
#include "persist/binary_reader.h"

namespace {

// The fewest bytes each record can take: a string is at least its 4-byte length.
constexpr size_t kMinimumHeader = 4 + 4 + 4;  // type, script, id
constexpr size_t kMinimumKeyRecord = 4 + 4;   // name, tag
constexpr size_t kMinimumKeyBlock = 4 + 4;    // pause timer, key count

std::string ordinal(size_t index) {
    return "object " + std::to_string(index + 1);
}

class Scanner {
public:
    Scanner(BinaryReader& reader, const StateFileScanOptions& options, StateFileContents& contents,
            std::string& unsupportedGlobal)
        : reader(reader),
          options(options),
          contents(contents),
          unsupportedGlobal(unsupportedGlobal) {}

    std::string scan() {
        if (std::string problem = globals(); !problem.empty()) {
            return problem;
        }
        if (std::string problem = headers(); !problem.empty()) {
            return problem;
        }
        contents.keyBlocksOffset = reader.position();
        for (size_t index = 0; index < contents.objects.size(); ++index) {
            StoredObject& object = contents.objects[index];
            if (object.type != 0 && !(options.plainLayout && options.plainLayout(object.type))) {
                return std::string();  // the rest belongs to a class that reads it itself
            }
            if (std::string problem = keyBlock(object, ordinal(index)); !problem.empty()) {
                return problem;
            }
        }
        contents.nextObjectId = reader.readInt();
        if (!reader.good()) {
            return "truncated in the next object id";
        }
        contents.trailerScanned = true;
        return std::string();
    }

private:
    // A string whose stored length runs past the end fails the reader, which reports it.
    bool value(int type, StoredValue& stored, int boolean, int number, int string, bool keep) {
        if (type == boolean) {
            stored.boolean = reader.readBool();
        } else if (type == number) {
            stored.number = reader.readDouble();
        } else if (type == string) {
            if (keep) {
                stored.string = reader.readString();
            } else {
                reader.skipString();
            }
        }
        return reader.good();
    }

    std::string globals() {
        for (size_t index = 1;; ++index) {
            unsigned char marker = reader.readUChar();
            if (!reader.good()) {
                return "truncated in the global variables";
            }
            if (marker == 0) {
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
                unsupportedGlobal = global.name;
                return "global variable '" + global.name + "' has the unsupported Lua type " +
                       std::to_string(global.luaType);
            }
            if (!value(global.luaType, global.value, kLuaBoolean, kLuaNumber, kLuaString, true)) {
                return "truncated in global variable '" + global.name + "'";
            }
            contents.globals.push_back(std::move(global));
        }
    }

    std::string headers() {
        int count = reader.readInt();
        if (!reader.good()) {
            return "truncated in the object count";
        }
        // Every header and key block takes bytes, so a count the file cannot hold is refused
        // before anything is reserved for it.
        size_t objects = count > 0 ? static_cast<size_t>(count) : 0;
        if (objects > reader.remaining() / (kMinimumHeader + kMinimumKeyBlock)) {
            return "the object count " + std::to_string(count) + " is more than the file holds";
        }
        contents.objects.reserve(objects);
        for (size_t index = 0; index < objects; ++index) {
            StoredObject object;
            object.type = reader.readInt();
            object.script = reader.readString();
            object.id = reader.readInt();
            if (!reader.good()) {
                return "truncated in " + ordinal(index) + "'s header";
            }
            contents.objects.push_back(std::move(object));
        }
        return std::string();
    }

    std::string keyBlock(StoredObject& object, const std::string& name) {
        object.waitTimer = reader.readFloat();
        int count = reader.readInt();
        if (!reader.good()) {
            return "truncated in " + name + "'s key block";
        }
        size_t keys = count > 0 ? static_cast<size_t>(count) : 0;
        if (keys > reader.remaining() / kMinimumKeyRecord) {
            return name + "'s key count " + std::to_string(count) + " is more than the file holds";
        }
        for (size_t index = 0; index < keys; ++index) {
            StoredKey key;
            if (options.keepKeys) {
                key.name = reader.readString();
            } else {
                reader.skipString();
            }
            key.tag = reader.readInt();
            if (!reader.good() || !value(key.tag, key.value, KeyType::BOOL, KeyType::NUMBER,
                                         KeyType::STRING, options.keepKeys)) {
                return "truncated in " + name + "'s key block";
            }
            if (options.keepKeys) {
                object.keys.push_back(std::move(key));
            }
        }
        object.blockScanned = true;
        return std::string();
    }

    BinaryReader& reader;
    const StateFileScanOptions& options;
    StateFileContents& contents;
    std::string& unsupportedGlobal;
};

}  // namespace

std::string scanStateFile(BinaryReader& reader, const StateFileScanOptions& options,
                          StateFileContents& contents, std::string& unsupportedGlobal) {
    return Scanner(reader, options, contents, unsupportedGlobal).scan();
}
