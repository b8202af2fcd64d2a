#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"
#include "state_bytes.h"
#include "test_support.h"

using namespace state_bytes;

namespace {

class BinaryStreamTest : public ::testing::Test {
protected:
    // The bytes that `write` puts into a file that held something before.
    template <typename Write>
    std::string written(Write write) {
        BinaryWriter writer(nullptr);
        EXPECT_TRUE(writer.open(dir.write("out.bin", "previous contents")));
        write(writer);
        EXPECT_TRUE(writer.close());
        return testing_support::readFile(dir.file("out.bin"));
    }

    testing_support::TempDir dir;
};

TEST_F(BinaryStreamTest, ValuesAreWrittenLittleEndianAndReadBack) {
    std::string bytes = written([](BinaryWriter& w) {
        w.write('c');
        w.write(static_cast<unsigned char>(200));
        w.write("raw", 3);
        w.write(std::string("a\0b", 3));  // written whole, read up to its first NUL
        w.write(-2);
        w.write(0.5f);
        w.write(1.0);
        w.write(true);
        w.write(std::string("core"));
        w.write(std::string());
    });
    EXPECT_EQ(bytes, std::string("c\xC8raw"
                                 "\x04\0\0\0a\0b\0"
                                 "\xFE\xFF\xFF\xFF"
                                 "\0\0\0\x3F"
                                 "\0\0\0\0\0\0\xF0\x3F"
                                 "\x01"
                                 "\x05\0\0\0core\0"
                                 "\x01\0\0\0\0",
                                 44));

    // The state file's tests read the other types back.
    BinaryReader reader(nullptr);
    reader.openBytes(bytes);
    EXPECT_EQ(reader.readChar(), 'c');
    EXPECT_EQ(reader.readUChar(), 200);
    char raw[3];
    reader.read(raw, 3);
    EXPECT_EQ(std::string(raw, 3), "raw");
    EXPECT_EQ(reader.readString(), "a");
    EXPECT_EQ(reader.readInt(), -2);
    EXPECT_TRUE(reader.good());
}

TEST_F(BinaryStreamTest, ReadsPastTheEndTakeNothingAndStayFailed) {
    BinaryReader reader(nullptr);
    reader.openBytes(std::string("\x07\0\0", 3));
    EXPECT_EQ(reader.readInt(), 0);
    EXPECT_EQ(reader.readUChar(), 0);  // would fit, but the reader has failed
    char buffer[2] = {'x', 'y'};
    reader.read(buffer, 2);
    EXPECT_EQ(std::string(buffer, 2), std::string(2, '\0'));
    EXPECT_FALSE(reader.good());

    reader.seek(0);
    EXPECT_EQ(reader.readUChar(), 7);
    EXPECT_TRUE(reader.good());
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
    });
    EXPECT_EQ(bytes, i32(2) + i32(1));

    BinaryReader reader(&core);
    reader.openBytes(bytes + i32(99));
    EXPECT_EQ(reader.readObject(), second);
    EXPECT_EQ(reader.readObject(), first);
    EXPECT_EQ(reader.readObject(), nullptr);  // no such object
    EXPECT_EQ(reader.readObject(), nullptr);  // past the end
}

}  // namespace
