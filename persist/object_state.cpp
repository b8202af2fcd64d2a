// An object's key block in a state file, in the engine's own layout (persist/state_format.cpp).
#include "objects/object.h"
#include "persist/state_format.h"

void Object::save(BinaryWriter& writer) const {
    writeKeyBlock(writer, waitTimer, keys);
}

void Object::load(BinaryReader& reader) {
    StoredKeyBlock block;
    readKeyBlock(reader, block);
    waitTimer = block.waitTimer;
    for (const StoredKey& key : block.keys) {
        switch (key.tag) {
            case KeyType::NUMBER:
                setNumber(key.name, key.value.number);
                break;
            case KeyType::STRING:
                setString(key.name, key.value.string);
                break;
            case KeyType::BOOL:
                setBool(key.name, key.value.boolean);
                break;
            default:
                break;  // an unknown tag carries no value and sets no key
        }
    }
}
