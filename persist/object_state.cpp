// An object's key block in a state file, in the engine's own layout (persist/state_format.cpp).
#include "objects/object.h"
#include "persist/state_format.h"

void Object::save(BinaryWriter& writer) const {
    writeKeyBlock(writer, *countdown, keys);
}

void Object::load(BinaryReader& reader) {
    readKeyBlock(reader, *countdown, [this](StoredKey& key) {
        switch (key.tag) {
            case KeyType::NUMBER:
                setNumber(key.name, key.value.number);
                break;
            case KeyType::STRING: {
                auto* value = new KeyTypeString;
                value->value = std::move(key.value.string);
                setKey(key.name, value);
                break;
            }
            case KeyType::BOOL:
                setBool(key.name, key.value.boolean);
                break;
            default:
                break;  // an unknown tag carries no value and sets no key
        }
    });
}
