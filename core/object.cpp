#include "core/object.h"

#include <memory>

#include "core/core.h"
#include "core/lua_numbers.h"
#include "core/pause_countdown.h"

Object::~Object() {
    for (auto& [name, key] : keys) {
        delete key;
    }
}

void Object::update(float elapsed) {
    if (runsOut(*countdown, elapsed)) {
        releaseLock(0);  // may resume a script that deletes this object: nothing may follow
    }
}

bool Object::startThread(const std::string& functionName) {
    return core->startThread(this, functionName);
}

lua_State* Object::createThread(const std::string& functionName) {
    return core->createThread(this, functionName);
}

void Object::resumeThread(lua_State* thread, int argCount) {
    core->resumeThread(this, thread, argCount);
}

bool Object::addLock(int eventId) {
    return core->addLock(this, eventId);
}

void Object::releaseLock(int eventId) {
    core->releaseLock(this, eventId);
}

void Object::pause(float seconds) {
    *countdown = seconds;
    addLock(0);
}

KeyType* Object::getKey(const std::string& name) const {
    auto found = keys.find(name);
    return found == keys.end() ? nullptr : found->second;
}

void Object::setKey(const std::string& name, KeyType* value) {
    if (value == nullptr) {
        return;
    }
    std::unique_ptr<KeyType> owned(value);  // not lost when the map cannot grow
    auto entry = keys.try_emplace(name, nullptr).first;
    if (entry->second != value) {
        delete entry->second;
    }
    entry->second = owned.release();
}

namespace {

// Gives the key `name` `value` when it already holds a record of the same kind, which is then
// kept: a script that counts in a key allocates nothing. False when there is no such key.
template <typename Record, typename Value>
bool assignInPlace(std::map<std::string, KeyType*>& keys, const std::string& name, uint8_t tag,
                   const Value& value) {
    auto found = keys.find(name);
    if (found == keys.end() || found->second->type != tag) {
        return false;
    }
    static_cast<Record*>(found->second)->value = value;
    return true;
}

// A new record of `value`, for a key that does not hold one of its kind.
template <typename Record, typename Value>
Record* newRecord(const Value& value) {
    auto* record = new Record;
    record->value = value;
    return record;
}

}  // namespace

void Object::setNumber(const std::string& name, const double& value) {
    if (!assignInPlace<KeyTypeNumber>(keys, name, KeyType::NUMBER, value)) {
        setKey(name, newRecord<KeyTypeNumber>(value));
    }
}

void Object::setString(const std::string& name, const std::string& value) {
    if (!assignInPlace<KeyTypeString>(keys, name, KeyType::STRING, value)) {
        setKey(name, newRecord<KeyTypeString>(value));
    }
}

void Object::setBool(const std::string& name, const bool& value) {
    if (!assignInPlace<KeyTypeBool>(keys, name, KeyType::BOOL, value)) {
        setKey(name, newRecord<KeyTypeBool>(value));
    }
}

double Object::getNumber(const std::string& name) const {
    const KeyType* key = getKey(name);
    return key && key->type == KeyType::NUMBER ? static_cast<const KeyTypeNumber*>(key)->value
                                               : 0.0;
}

std::string Object::getString(const std::string& name) const {
    const KeyType* key = getKey(name);
    return key && key->type == KeyType::STRING ? static_cast<const KeyTypeString*>(key)->value
                                               : std::string();
}

bool Object::getBool(const std::string& name) const {
    const KeyType* key = getKey(name);
    return key && key->type == KeyType::BOOL && static_cast<const KeyTypeBool*>(key)->value;
}

Object* Object::getObject(const std::string& name) const {
    const KeyType* key = getKey(name);
    if (key == nullptr || key->type != KeyType::NUMBER) {
        return nullptr;
    }
    return core->findObject(truncateToInt(static_cast<const KeyTypeNumber*>(key)->value));
}

void Object::setObject(const std::string& name, const Object* other) {
    setNumber(name, other->getId());
}
