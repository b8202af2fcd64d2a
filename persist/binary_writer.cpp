#include "persist/binary_writer.h"

#include <cstdint>
#include <cstring>

#include "objects/object.h"
#include "persist/bit_cast.h"
#include "platform/os.h"

static_assert(sizeof(int) == 4 && sizeof(float) == 4 && sizeof(double) == 8,
              "the file format stores int and float in 4 bytes, double in 8");

namespace {

constexpr size_t kBlockSize = 1 << 16;

template <typename Unsigned>
void littleEndian(Unsigned value, unsigned char* bytes) {
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

}  // namespace

BinaryWriter::BinaryWriter(Core* core) : buffer(kBlockSize), core(core) {}

BinaryWriter::~BinaryWriter() {
    close();
}

bool BinaryWriter::open(const std::string& path) {
    return start(platform::openForWriting(path));
}

bool BinaryWriter::create(const std::string& path) {
    return start(platform::createNewFile(path));
}

bool BinaryWriter::start(platform::FileHandle opened) {
    close();
    file = opened;
    failed = false;
    used = 0;
    return file != nullptr;
}

void BinaryWriter::putLarge(const unsigned char* bytes, size_t count) {
    flushBuffer();
    if (count > buffer.size()) {
        writeToFile(bytes, count);
        return;
    }
    std::memcpy(buffer.data(), bytes, count);
    used = count;
}

void BinaryWriter::flushBuffer() {
    writeToFile(buffer.data(), used);
    used = 0;
}

// Once a write has failed the file is incomplete whatever follows, so nothing more is tried.
void BinaryWriter::writeToFile(const unsigned char* bytes, size_t count) {
    if (good() && count > 0 && !platform::writeFile(file, bytes, count)) {
        failed = true;
    }
}

void BinaryWriter::write(char value) {
    write(static_cast<unsigned char>(value));
}

void BinaryWriter::write(unsigned char value) {
    put(&value, 1);
}

void BinaryWriter::write(bool value) {
    write(static_cast<unsigned char>(value ? 1 : 0));
}

void BinaryWriter::write(int value) {
    unsigned char bytes[4];
    littleEndian(static_cast<uint32_t>(value), bytes);
    put(bytes, sizeof bytes);
}

void BinaryWriter::write(float value) {
    unsigned char bytes[4];
    littleEndian(bitCast<uint32_t>(value), bytes);
    put(bytes, sizeof bytes);
}

void BinaryWriter::write(double value) {
    unsigned char bytes[8];
    littleEndian(bitCast<uint64_t>(value), bytes);
    put(bytes, sizeof bytes);
}

void BinaryWriter::write(const std::string& value) {
    write(static_cast<int>(value.size() + 1));
    put(reinterpret_cast<const unsigned char*>(value.c_str()), value.size() + 1);
}

void BinaryWriter::write(const char* data, int count) {
    if (count > 0) {
        put(reinterpret_cast<const unsigned char*>(data), static_cast<size_t>(count));
    }
}

void BinaryWriter::writeObject(const Object* object) {
    write(object->getId());
}

bool BinaryWriter::flushToDisk() {
    flushBuffer();
    if (good() && !platform::flushToDisk(file)) {
        failed = true;
    }
    return good();
}

bool BinaryWriter::close() {
    if (file == nullptr) {
        return false;
    }
    flushBuffer();
    bool written = !failed;
    bool closed = platform::closeFile(file);
    file = nullptr;
    return closed && written;
}
