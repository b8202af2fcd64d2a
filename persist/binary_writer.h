// Writes typed values to a binary file: little-endian integers, IEEE 754 floating point, and
// strings as a length (characters + 1) followed by the characters and a NUL. Values follow one
// another with nothing between them; the reader must know the order.
#pragma once

#include <fstream>
#include <string>

class Core;
class Object;

class BinaryWriter {
public:
    // `core` is kept for symmetry with the reader; no write needs it.
    explicit BinaryWriter(Core* core);

    // Opens `path` for binary output, creating it or emptying it. True when the file is open.
    bool open(const std::string& path);

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

    // True while the file is open and every write so far has reached it.
    bool good() const { return file.good() && file.is_open(); }
    // Flushes and closes the file; true when everything written reached the file. The destructor
    // closes too, but cannot report a failure.
    bool close();

private:
    void put(const unsigned char* bytes, size_t count);

    std::ofstream file;
    Core* core;
};
