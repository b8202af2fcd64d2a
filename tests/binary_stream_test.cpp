#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/core.h"
#include "core/object.h"
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

// The state files' exact bytes cover numbers, flags and plain strings; these are the rest. A
// string keeps every byte but the terminator the writer adds, so zero bytes in it come back; a
// stored string without that terminator (not one this writer makes) is kept whole.
TEST_F(BinaryStreamTest, CharsAndRawBytesGoAsTheyStandAndAStringComesBackWhole) {
    std::string bytes = written([](BinaryWriter& w) {
        w.write('c');
        w.write("raw", 3);
        w.write(std::string("a\0b", 3));
        w.write(-2);
    });
    EXPECT_EQ(bytes, std::string("craw\x04\0\0\0a\0b\0\xFE\xFF\xFF\xFF", 16));

    BinaryReader reader(nullptr);
    reader.openBytes(bytes + i32(3) + std::string("a\0\0", 3) + i32(3) + "abc");
    EXPECT_EQ(reader.readChar(), 'c');
    char raw[3];
    reader.read(raw, 3);
    EXPECT_EQ(std::string(raw, 3), "raw");
    EXPECT_EQ(reader.readString(), std::string("a\0b", 3));
    EXPECT_EQ(reader.readInt(), -2);
    EXPECT_EQ(reader.readString(), std::string("a\0", 2));
    EXPECT_EQ(reader.readString(), "abc");
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
    // Each length before "abcd", what is read and whether the reader stays good.
    for (auto [length, expected, good] : {std::tuple{2000000000, "", false},  // a small file
                                          {5, "", false},     // one more than is left
                                          {4, "abcd", true},  // exactly what is left, no NUL
                                          {0, "", true},
                                          {-5, "", true}}) {
        SCOPED_TRACE(length);
        BinaryReader reader(nullptr);
        reader.openBytes(i32(length) + "abcd");
        EXPECT_EQ(reader.readString(), expected);
        EXPECT_EQ(reader.good(), good);
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
