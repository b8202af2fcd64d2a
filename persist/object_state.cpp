// An object's key block in a state file: the pause timer, the key count, then each key's name,
// tag and value, in name order.
#include "objects/key_type.h"
#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"

void Object::save(BinaryWriter& writer) const {
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

void Object::load(BinaryReader& reader) {
    waitTimer = reader.readFloat();
    int count = reader.readInt();
    for (int index = 0; index < count && reader.good(); ++index) {
        std::string name = reader.readString();
        int tag = reader.readInt();
        switch (tag) {
            case KeyType::NUMBER: {
                double value = reader.readDouble();
                if (reader.good()) {
                    setNumber(name, value);
                }
                break;
            }
            case KeyType::STRING: {
                std::string value = reader.readString();
                if (reader.good()) {
                    setString(name, value);
                }
                break;
            }
            case KeyType::BOOL: {
                bool value = reader.readBool();
                if (reader.good()) {
                    setBool(name, value);
                }
                break;
            }
            default:
                break;  // an unknown tag carries no value and sets no key
        }
    }
}
