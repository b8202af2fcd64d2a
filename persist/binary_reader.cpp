#include "persist/binary_reader.h"

#include <cstdint>
#include <cstring>

#include "core/core.h"
#include "persist/bit_cast.h"
#include "platform/os.h"

namespace {

template <typename Unsigned>
Unsigned fromLittleEndian(const unsigned char* bytes) {
    Unsigned value = 0;
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
        value |= static_cast<Unsigned>(bytes[i]) << (8 * i);
    }
    return value;
}

}  // namespace

BinaryReader::BinaryReader(Core* core) : core(core) {}

bool BinaryReader::open(const std::string& path, std::string& problem) {
    // The whole file is held in memory while it is read: one larger than the machine's memory
    // could never be, and trying would only push everything else out.
    uint64_t memory = platform::physicalMemory();
    std::string contents;
    switch (platform::readRegularFile(path, memory != 0 ? memory : UINT64_MAX, contents)) {
        case platform::FileRead::done:
            openBytes(std::move(contents));
            return true;
        case platform::FileRead::cannotOpen:
            problem = "it cannot be opened";
            return false;
        case platform::FileRead::notRegular:
            problem = "it is not a regular file";
            return false;
        case platform::FileRead::tooLarge:
            problem = "it is larger than this machine's memory";
            return false;
        case platform::FileRead::failed:
            break;
    }
    problem = "it could not be read";
    return false;
}

void BinaryReader::openBytes(std::string contents) {
    bytes = std::move(contents);
    offset = 0;
    failed = false;
}

void BinaryReader::seek(size_t position) {
    offset = position < bytes.size() ? position : bytes.size();
    failed = false;
}

const unsigned char* BinaryReader::take(size_t count) {
    if (failed || count > remaining()) {
        failed = true;
        return nullptr;
    }
    const unsigned char* start = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    offset += count;
    return start;
}

char BinaryReader::readChar() {
    return static_cast<char>(readUChar());
}

unsigned char BinaryReader::readUChar() {
    const unsigned char* byte = take(1);
    return byte != nullptr ? *byte : 0;
}

bool BinaryReader::readBool() {
    return readUChar() != 0;
}

int BinaryReader::readInt() {
    const unsigned char* data = take(4);
    return data != nullptr ? static_cast<int>(fromLittleEndian<uint32_t>(data)) : 0;
}

float BinaryReader::readFloat() {
    const unsigned char* data = take(4);
    return data != nullptr ? bitCast<float>(fromLittleEndian<uint32_t>(data)) : 0.0f;
}

double BinaryReader::readDouble() {
    const unsigned char* data = take(8);
    return data != nullptr ? bitCast<double>(fromLittleEndian<uint64_t>(data)) : 0.0;
}

std::string BinaryReader::readString() {
    int length = readInt();
    if (length <= 0) {
        return std::string();
    }
    const unsigned char* data = take(static_cast<size_t>(length));
    if (data == nullptr) {
        return std::string();
    }
    size_t characters = static_cast<size_t>(length);
    if (data[characters - 1] == 0) {
        --characters;  // the terminator the writer adds; any zero byte before it is the string's
    }
    return std::string(reinterpret_cast<const char*>(data), characters);
}

void BinaryReader::skipString() {
    int length = readInt();
    if (length > 0) {
        take(static_cast<size_t>(length));
    }
}

void BinaryReader::read(char* buffer, int count) {
    if (count <= 0) {
        return;
    }
    const unsigned char* data = take(static_cast<size_t>(count));
    if (data == nullptr) {
        std::memset(buffer, 0, static_cast<size_t>(count));
        return;
    }
    std::memcpy(buffer, data, static_cast<size_t>(count));
}

Object* BinaryReader::readObject() {
    int id = readInt();
    if (!good()) {
        return nullptr;
    }
    return findObject ? findObject(id) : core->findObject(id);
}

void BinaryReader::findObjectsWith(std::function<Object*(int id)> find) {
    findObject = std::move(find);
}
