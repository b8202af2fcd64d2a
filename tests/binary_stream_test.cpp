#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"
#include "state_bytes.h"
#include "test_support.h"

using namespace state_bytes;
using testing_support::readFile;
using testing_support::TempDir;

namespace {

class BinaryStreamTest : public ::testing::Test {
protected:
    // The bytes that `write` puts into a fresh file.
    template <typename Write>
    std::string written(Write write) {
        BinaryWriter writer(nullptr);
        EXPECT_TRUE(writer.open(dir.file("out.bin")));
        write(writer);
        EXPECT_TRUE(writer.close());
        return readFile(dir.file("out.bin"));
    }

    TempDir dir;
};

TEST_F(BinaryStreamTest, ValuesAreWrittenLittleEndianAndReadBack) {
    EXPECT_EQ(written([](BinaryWriter& w) { w.write(1); }), i32(1));
    EXPECT_EQ(written([](BinaryWriter& w) { w.write(-2); }), std::string("\xFE\xFF\xFF\xFF"));
    EXPECT_EQ(written([](BinaryWriter& w) { w.write(0.5f); }), std::string("\0\0\0\x3F", 4));
    EXPECT_EQ(written([](BinaryWriter& w) { w.write(1.0); }),
              std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    EXPECT_EQ(written([](BinaryWriter& w) { w.write(true); }), std::string("\x01"));
    EXPECT_EQ(written([](BinaryWriter& w) { w.write(std::string("core")); }),
              std::string("\x05\0\0\0core\0", 9));
    EXPECT_EQ(written([](BinaryWriter& w) { w.write(std::string()); }),
              std::string("\x01\0\0\0\0", 5));

    std::string bytes = written([](BinaryWriter& w) {
        w.write('c');
        w.write(static_cast<unsigned char>(200));
        w.write(false);
        w.write(-123456789);
        w.write(-3.25f);
        w.write(1e300);
        w.write(std::string("core"));
        w.write("raw", 3);
    });
    BinaryReader reader(nullptr);
    reader.openBytes(bytes);
    EXPECT_EQ(reader.readChar(), 'c');
    EXPECT_EQ(reader.readUChar(), 200);
    EXPECT_FALSE(reader.readBool());
    EXPECT_EQ(reader.readInt(), -123456789);
    EXPECT_EQ(reader.readFloat(), -3.25f);
    EXPECT_EQ(reader.readDouble(), 1e300);
    EXPECT_EQ(reader.readString(), "core");
    char raw[3];
    reader.read(raw, 3);
    EXPECT_EQ(std::string(raw, 3), "raw");
    EXPECT_TRUE(reader.good());
    EXPECT_EQ(reader.remaining(), 0u);
}

TEST_F(BinaryStreamTest, AStringIsWrittenWholeButReadUpToItsFirstNul) {
    std::string bytes = written([](BinaryWriter& w) { w.write(std::string("a\0b", 3)); });
    EXPECT_EQ(bytes, std::string("\x04\0\0\0a\0b\0", 8));
    BinaryReader reader(nullptr);
    reader.openBytes(bytes + str("next"));
    EXPECT_EQ(reader.readString(), "a");
    EXPECT_EQ(reader.readString(), "next");
}

TEST_F(BinaryStreamTest, OpeningAWriterEmptiesTheFile) {
    std::string path = dir.write("old.bin", "previous contents");
    BinaryWriter writer(nullptr);
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.close());
    EXPECT_EQ(readFile(path), "");
}

TEST_F(BinaryStreamTest, AWriterThatCannotWriteSaysSo) {
    BinaryWriter writer(nullptr);
    EXPECT_FALSE(writer.open(dir.file("no/such/folder/out.bin")));
    EXPECT_FALSE(writer.close());

    ASSERT_TRUE(writer.open("/dev/full"));  // every write fails: no space left
    writer.write(std::string(100000, 'x'));
    EXPECT_FALSE(writer.close());
}

TEST_F(BinaryStreamTest, ReadsPastTheEndTakeNothingAndStayFailed) {
    BinaryReader reader(nullptr);
    reader.openBytes(std::string("\x07\0\0", 3));
    EXPECT_EQ(reader.readInt(), 0);
    EXPECT_FALSE(reader.good());
    EXPECT_EQ(reader.position(), 0u);
    EXPECT_EQ(reader.readUChar(), 0);  // would fit, but the reader has failed
    char buffer[2] = {'x', 'y'};
    reader.read(buffer, 2);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0);

    reader.seek(0);
    EXPECT_TRUE(reader.good());
    EXPECT_EQ(reader.readUChar(), 7);
}

TEST_F(BinaryStreamTest, AStringLengthIsCheckedAgainstTheBytesLeftBeforeAnythingIsRead) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string expected;
        bool good;
    };
    const Case cases[] = {
        {"two billion in a small file", i32(2000000000) + std::string(46, 'x'), "", false},
        {"one more than is left", i32(5) + "abcd", "", false},
        {"exactly what is left, no NUL", i32(4) + "abcd", "abcd", true},
        {"zero", i32(0) + "abcd", "", true},
        {"negative", i32(-5) + "abcd", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BinaryReader reader(nullptr);
        reader.openBytes(c.bytes);
        EXPECT_EQ(reader.readString(), c.expected);
        EXPECT_EQ(reader.good(), c.good);
    }
}

TEST_F(BinaryStreamTest, ObjectReferencesAreIdsOfLiveObjects) {
    Core core(nullptr, nullptr);
    core.resetScripting();
    Object* first = core.createObject(0, "");
    Object* second = core.createObject(0, "");
    std::string bytes = written([&](BinaryWriter& w) {
        w.writeObject(second);
        w.writeObject(first);
        w.write(99);
    });
    EXPECT_EQ(bytes, i32(2) + i32(1) + i32(99));

    BinaryReader reader(&core);
    reader.openBytes(bytes);
    EXPECT_EQ(reader.readObject(), second);
    EXPECT_EQ(reader.readObject(), first);
    EXPECT_EQ(reader.readObject(), nullptr);
    EXPECT_EQ(reader.readObject(), nullptr);  // past the end
}

TEST_F(BinaryStreamTest, AReaderOpensOnlyFilesThatExist) {
    BinaryReader reader(nullptr);
    EXPECT_FALSE(reader.open(dir.file("missing.bin")));
    ASSERT_TRUE(reader.open(dir.write("present.bin", i32(42))));
    EXPECT_EQ(reader.readInt(), 42);
}

}  // namespace
