// The value records of an object's keys. A record's `type` tag says which record it is, so a
// reader picks the value by the tag alone: NUMBER is a KeyTypeNumber, STRING a KeyTypeString,
// BOOL a KeyTypeBool; a bare KeyType (NONE) carries no value. The tags are the engine's own
// numbering, written as they are into state files; they are not Lua's type numbers.
#pragma once

#include <cstdint>
#include <string>

struct KeyType {
    static constexpr uint8_t NONE = 0;
    static constexpr uint8_t NUMBER = 1;
    static constexpr uint8_t STRING = 2;
    static constexpr uint8_t BOOL = 3;

    KeyType() = default;
    virtual ~KeyType() = default;

    uint8_t type = NONE;
};

struct KeyTypeNumber : KeyType {
    KeyTypeNumber() { type = NUMBER; }
    double value = 0.0;
};

struct KeyTypeString : KeyType {
    KeyTypeString() { type = STRING; }
    std::string value;
};

struct KeyTypeBool : KeyType {
    KeyTypeBool() { type = BOOL; }
    bool value = false;
};
