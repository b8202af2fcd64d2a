// Prints a state file as JSON: the variables with their Lua types, every object with its type,
// script, id, pause timer and keys, and the next object id. A malformed file gets a one-line
// reason on standard error and exit status 1; bytes after the state are noted there and left
// unread. Key blocks are read in the engine's own layout; an object type that saves a layout of
// its own cannot be shown past its first object.
//
//   state_dump <state file>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "persist/binary_reader.h"
#include "persist/state_format.h"

namespace {

std::string quoted(const std::string& text) {
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

// JSON has no NaN or infinity: those are written as strings.
std::string number(double value) {
    if (std::isnan(value)) {
        return "\"NaN\"";
    }
    if (std::isinf(value)) {
        return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string luaTypeName(int type) {
    switch (type) {
        case kLuaBoolean:
            return "boolean";
        case kLuaNumber:
            return "number";
        case kLuaString:
            return "string";
        default:
            return "nil";
    }
}

std::string valueOf(const std::string& type, const StoredValue& value) {
    if (type == "boolean") {
        return value.boolean ? "true" : "false";
    }
    if (type == "number") {
        return number(value.number);
    }
    return type == "string" ? quoted(value.string) : "null";
}

std::string keyTypeName(int tag) {
    switch (tag) {
        case KeyType::NUMBER:
            return "number";
        case KeyType::STRING:
            return "string";
        case KeyType::BOOL:
            return "boolean";
        default:
            return "none";
    }
}

void print(const StateFileContents& contents) {
    std::printf("{\n  \"globals\": [");
    for (size_t i = 0; i < contents.globals.size(); ++i) {
        const StoredGlobal& global = contents.globals[i];
        std::string type = luaTypeName(global.luaType);
        std::printf("%s\n    {\"name\": %s, \"luaType\": %d, \"type\": \"%s\", \"value\": %s}",
                    i == 0 ? "" : ",", quoted(global.name).c_str(), global.luaType, type.c_str(),
                    valueOf(type, global.value).c_str());
    }
    std::printf("%s],\n  \"objects\": [", contents.globals.empty() ? "" : "\n  ");
    for (size_t i = 0; i < contents.objects.size(); ++i) {
        const StoredObject& object = contents.objects[i];
        std::printf(
            "%s\n    {\"type\": %d, \"script\": %s, \"id\": %d, \"waitTimer\": %s, "
            "\"keys\": [",
            i == 0 ? "" : ",", object.type, quoted(object.script).c_str(), object.id,
            number(object.block.waitTimer).c_str());
        for (size_t k = 0; k < object.block.keys.size(); ++k) {
            const StoredKey& key = object.block.keys[k];
            std::string type = keyTypeName(key.tag);
            std::printf("%s\n      {\"name\": %s, \"tag\": %d, \"type\": \"%s\", \"value\": %s}",
                        k == 0 ? "" : ",", quoted(key.name).c_str(), key.tag, type.c_str(),
                        valueOf(type, key.value).c_str());
        }
        std::printf("%s]}", object.block.keys.empty() ? "" : "\n    ");
    }
    std::printf("%s],\n  \"nextObjectId\": %d\n}\n", contents.objects.empty() ? "" : "\n  ",
                contents.nextObjectId);
}

int dump(const char* path) {
    BinaryReader reader(nullptr);
    std::string problem;
    if (!reader.open(path, problem)) {
        std::fprintf(stderr, "state_dump: %s: %s\n", path, problem.c_str());
        return 1;
    }
    StateFileContents contents;
    std::string unsupported;
    problem = readStateFile(reader, contents, unsupported);
    if (!problem.empty()) {
        std::fprintf(stderr, "state_dump: %s: %s\n", path, problem.c_str());
        return 1;
    }
    print(contents);
    if (reader.remaining() != 0) {
        std::fprintf(stderr, "state_dump: %s: %zu bytes after the next object id, not read\n", path,
                     reader.remaining());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: state_dump <state file>\n");
        return 2;
    }
    try {
        return dump(argv[1]);
    } catch (const std::exception& error) {  // the file's keys are more than memory can hold
        std::fprintf(stderr, "state_dump: %s: %s\n", argv[1], error.what());
        return 1;
    }
}
