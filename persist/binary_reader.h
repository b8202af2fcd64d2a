// Reads the values that BinaryWriter writes. The whole file is read into memory when it is
// opened, and every read is checked against what is left: a read that wants more bytes than
// remain takes none, yields zero (or the empty string), and marks the reader failed. No length
// read from the file is trusted before it has been checked against the bytes that are left, so
// a damaged file can neither make a read leave the buffer nor make it allocate without bound.
#pragma once

#include <functional>
#include <string>

class Core;
class Object;

class BinaryReader {
public:
    // `core` turns object ids back into objects (readObject).
    explicit BinaryReader(Core* core);

    // Reads the file at `path` for the reads that follow. True when it is a regular file that
    // could be read whole; else false, the reader as it was, and `problem` says why ("it is not a
    // regular file"). A file larger than the machine's memory is refused before it is read.
    bool open(const std::string& path, std::string& problem);
    // Reads from `bytes` instead of a file.
    void openBytes(std::string bytes);

    char readChar();
    unsigned char readUChar();
    // True for any byte other than 0.
    bool readBool();
    int readInt();
    float readFloat();
    double readDouble();
    // The stored bytes but a last one of 0, which the writer adds after the string's own (zero
    // bytes among them included); empty for a length of 0 or less.
    std::string readString();
    // Passes over a string as readString would read it, without making it.
    void skipString();
    // Copies `count` raw bytes into `buffer`; on failure the buffer is zero-filled.
    void read(char* buffer, int count);
    // The live object whose id is read, or null.
    Object* readObject();
    // Makes readObject find ids with `find` instead of the Core: a load reads its key blocks
    // before the objects it made are listed, and their references name those objects.
    void findObjectsWith(std::function<Object*(int id)> find);

    // False once a read has run past the end; it stays false.
    bool good() const { return !failed; }
    size_t position() const { return offset; }
    size_t size() const { return bytes.size(); }
    size_t remaining() const { return bytes.size() - offset; }
    // Goes back to `position` (at most the size) and forgets an earlier failure.
    void seek(size_t position);

private:
    // The next `count` bytes, or null (and the reader failed) when fewer remain.
    const unsigned char* take(size_t count);

    std::string bytes;
    size_t offset = 0;
    bool failed = false;
    Core* core;
    std::function<Object*(int id)> findObject;  // replaces the Core's findObject when set
};
