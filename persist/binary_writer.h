// Writes typed values to a binary file: little-endian integers, IEEE 754 floating point, and
// strings as a length (characters + 1) followed by the characters and a NUL. Values follow one
// another with nothing between them; the reader must know the order.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "../platform/types.h"

class Core;
class Object;

class BinaryWriter {
public:
    // `core` is kept for symmetry with the reader; no write needs it.
    explicit BinaryWriter(Core* core);
    // Hands what is still gathered to the file and closes it.
    ~BinaryWriter();
    BinaryWriter(const BinaryWriter&) = delete;
    BinaryWriter& operator=(const BinaryWriter&) = delete;

    // Opens `path` for binary output, creating it or emptying it. True when the file is open.
    bool open(const std::string& path);
    // Creates `path` as a new file for binary output. False when anything at all stands at that
    // name already (a file, a link, a FIFO), which is left as it is: a writer made this way can
    // only ever write its own new file.
    bool create(const std::string& path);

    void write(char value);
    void write(unsigned char value);
    void write(bool value);
    void write(int value);
    void write(float value);
    void write(double value);
    void write(const std::string& value);
    // A string literal would otherwise pick write(bool).
    void write(const char* value) = delete;
    // Appends `count` raw bytes; nothing for a count of 0 or less.
    void write(const char* data, int count);
    // Appends the object's id as an int.
    void writeObject(const Object* object);

    // True while the file is open and no write has failed so far. Values are gathered and
    // handed to the file in large blocks, so a failure may show only at close().
    bool good() const { return file != nullptr && !failed; }
    // Hands everything written so far to the file and the file to the disk, where it survives a
    // crash or a power cut; true when all of it got there.
    bool flushToDisk();
    // Flushes and closes the file; true when everything written reached the file. The destructor
    // closes too, but cannot report a failure.
    bool close();

private:
    // Values are gathered in `buffer`: a state file is millions of small values, and handing each
    // to the stream on its own would cost more than the bytes themselves.
    void put(const unsigned char* bytes, size_t count) {
        if (used + count <= buffer.size()) {
            std::memcpy(buffer.data() + used, bytes, count);
            used += count;
        } else {
            putLarge(bytes, count);
        }
    }
    void putLarge(const unsigned char* bytes, size_t count);
    void flushBuffer();
    void writeToFile(const unsigned char* bytes, size_t count);
    // Starts on `opened` (null when the file did not open), closing any file open before.
    bool start(platform::FileHandle opened);

    platform::FileHandle file = nullptr;
    bool failed = false;  // a write to the file failed
    std::vector<unsigned char> buffer;  // written values not yet handed to the file
    size_t used = 0;
    [[maybe_unused]] Core* core;  // kept for symmetry with the reader
};
