#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "core/lock.h"
#include "core_fixture.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"
#include "state_bytes.h"

using namespace state_bytes;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_support::readFile;

namespace {

// A host type that keeps a counter of its own beside the keys.
class Counter : public Object {
public:
    int count = 0;
    void save(BinaryWriter& writer) const override {
        Object::save(writer);
        writer.write(count);
    }
    void load(BinaryReader& reader) override {
        Object::load(reader);
        count = reader.readInt();
    }
};

// A host type that keeps a reference to another object, and can be told to fail its load.
class Linked : public Object {
public:
    Object* partner = nullptr;
    static inline bool failLoads = false;
    void save(BinaryWriter& writer) const override {
        Object::save(writer);
        writer.writeObject(partner);
    }
    void load(BinaryReader& reader) override {
        if (failLoads) {
            throw std::runtime_error("a bad block");
        }
        Object::load(reader);
        partner = reader.readObject();
    }
};

class StateFileTest : public LoggedCoreTest {
protected:
    std::string logged() const { return readFile(Log::path()); }

    std::string saved() {
        std::string path = dir.file("state.bin");
        EXPECT_TRUE(core.saveState(path));
        return readFile(path);
    }
    bool load(const std::string& bytes) { return core.loadState(dir.write("load.bin", bytes)); }
};

TEST_F(StateFileTest, SavesTheExactBytesOfTheFormat) {
    EXPECT_EQ(saved(), std::string("\0\0\0\0\0\x01\0\0\0", 9));  // nothing at all

    lua("score = 10");
    core.createObject(0, "a.lua")->setNumber("hp", 3.0);
    EXPECT_EQ(saved(), workedExample());

    core.resetScripting();
    lua("flag = true");
    EXPECT_EQ(saved(), u8(1) + str("flag") + i32(1) + u8(1) + u8(0) + i32(0) + i32(1));
}

TEST_F(StateFileTest, ARoundTripRestoresVariablesObjectsIdsKeysAndTheCounter) {
    const std::string globals = u8(1) + str("name") + i32(4) + str("Ada") +  //
                                u8(1) + str("lives") + i32(3) + f64(3.5) +   //
                                u8(1) + str("won") + i32(1) + u8(0) + u8(0);
    const std::string objects = i32(2) +                                       //
                                i32(0) + str("missing/script.lua") + i32(4) +  //
                                i32(0) + str("") + i32(9) +                    //
                                f32(1.5f);                      // the first key block's pause timer
    const std::string keys = str("a") + i32(3) + u8(1) +        //
                             str("c") + i32(2) + str("text") +  //
                             str("d") + i32(1) + f64(-2.0) +    //
                             f32(0.0f) + i32(0);
    ASSERT_TRUE(load(globals + objects + i32(4) + str("b") + i32(9) + keys + i32(12)));
    EXPECT_EQ(eval("name .. lives .. tostring(won)"), "Ada3.5false");
    EXPECT_EQ(core.findObject(4)->getScript(), "missing/script.lua");
    EXPECT_EQ(core.findObject(9), core.getObjects()[1]);
    EXPECT_EQ(core.findObject(1), nullptr);  // the ids the objects had before theirs are free

    // Saved, loaded and saved again: the same sections, less the key "b" of an unknown tag.
    for (int round = 0; round < 2; ++round) {
        const std::string again = saved();
        EXPECT_EQ(again.size(), globals.size() + objects.size() + 4 + keys.size() + 4);
        EXPECT_THAT(again, EndsWith(objects + i32(3) + keys + i32(12)));
        ASSERT_TRUE(load(again));
    }
    EXPECT_EQ(core.createObject(0, "")->getId(), 12);
}

TEST_F(StateFileTest, ObjectsOfOneIdAreFoundInFileOrder) {
    const std::string header = i32(0) + str("") + i32(7);
    const std::string keyBlock = f32(0.0f) + i32(0);
    ASSERT_TRUE(
        load(u8(0) + i32(3) + header + header + header + keyBlock + keyBlock + keyBlock + i32(8)));
    for (Object* object : core.getObjects()) {
        EXPECT_EQ(core.findObject(7), object);
        EXPECT_TRUE(core.deleteObject(7));
    }
    EXPECT_EQ(core.findObject(7), nullptr);
}

TEST_F(StateFileTest, NumberKeysAreSavedUnderTheirStringFormWithoutDerailingTheWalk) {
    lua("for i = 1, 50 do state[i] = i * 2 end state[2.5] = 'x' named = 1 "
        "for _, k in ipairs({1e15, 2^53, -7.25, 1/0, -1/0, 1e-300, 0.1, 1/3}) do "
        "state[k] = k end");
    ASSERT_TRUE(load(saved()));
    lua("for i = 1, 50 do assert(state[tostring(i)] == i * 2) end "
        "assert(state['2.5'] == 'x' and named == 1) "
        "for _, k in ipairs({1e15, 2^53, -7.25, 1/0, -1/0, 1e-300, 0.1, 1/3}) do "
        "assert(state[tostring(k)] == k, tostring(k)) end");
}

TEST_F(StateFileTest, StringsWithZeroBytesComeBackWhole) {
    lua("state['a\\0b'] = 'c\\0d\\0'");
    core.createObject(0, "")->setString(std::string("k\0ey", 4), std::string("\0v", 2));
    ASSERT_TRUE(load(saved()));
    lua("assert(state['a\\0b'] == 'c\\0d\\0')");
    EXPECT_EQ(core.getObjects()[0]->getString(std::string("k\0ey", 4)), std::string("\0v", 2));
}

TEST_F(StateFileTest, AValueOrKeyThatCannotBeStoredEndsInAnErrorAndKeepsTheOldFile) {
    std::string path = dir.write("state.bin", "the previous save");
    for (auto [chunk, name] :
         {std::pair{"f = function() end", "f"}, {"t = {}", "t"}, {"state[true] = 1", "true"}}) {
        SCOPED_TRACE(chunk);
        core.resetScripting();
        lua(chunk);
        EXPECT_EQ(fatalError([&] { core.saveState(path); }),
                  "Global variable '" + std::string(name) + "' type not supported.");
        EXPECT_EQ(readFile(path), "the previous save");
        EXPECT_FALSE(std::filesystem::exists(path + ".saving"));
    }
}

TEST_F(StateFileTest, ASaveWritesThroughSymbolicLinksAndOtherwiseKeepsWhatWasThere) {
    namespace fs = std::filesystem;
    lua("score = 10");
    const std::string state = saved();
    dir.write("real.bin", "the previous save");
    fs::create_symlink("real.bin", dir.file("link.bin"));
    fs::create_symlink(dir.file("link.bin"), dir.file("chain.bin"));
    fs::create_symlink("new.bin", dir.file("dangling.bin"));
    for (auto [link, named] : {std::pair{"link.bin", "real.bin"},
                               {"chain.bin", "real.bin"},
                               {"dangling.bin", "new.bin"}}) {
        SCOPED_TRACE(link);
        ASSERT_TRUE(core.saveState(dir.file(link)));
        EXPECT_TRUE(fs::is_symlink(dir.file(link)));
        EXPECT_EQ(readFile(dir.file(named)), state);
    }

    fs::create_directory(dir.file("folder"));
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", dir.file("to_fifo"));
    fs::create_symlink("/dev/null", dir.file("to_null"));
    fs::create_symlink("loop_b", dir.file("loop_a"));
    fs::create_symlink("loop_a", dir.file("loop_b"));
    for (const char* name :
         {"no/such/folder/state.bin", "folder", "fifo", "to_fifo", "to_null", "loop_a"}) {
        SCOPED_TRACE(name);
        const fs::file_type before = fs::symlink_status(dir.file(name)).type();
        EXPECT_FALSE(core.saveState(dir.file(name)));
        EXPECT_EQ(fs::symlink_status(dir.file(name)).type(), before);
        EXPECT_THAT(logged(), HasSubstr("The state was not saved to '" + dir.file(name)));
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
        EXPECT_NE(entry.path().extension(), ".saving");
    }
}

// A host type's own block sits among the keys: it round-trips, and a file cut short inside it,
// or holding a type this program no longer makes, is refused like any other damage.
TEST_F(StateFileTest, EveryDamagedFileIsRefusedAndTheRunningStateGoesOn) {
    makeHostObject = [](int type) { return type == 7 ? new Counter : nullptr; };
    lua("score = 7 title = 'level one' done = false");
    static_cast<Counter*>(core.createObject(7, "counter.lua"))->count = 41;
    lua("for n = 0, 2 do local o = newObject(0) setKey(o, 'n', n) setKey(o, 's', 'text')"
        " setKey(o, 'b', true) end");
    const std::string file = saved();
    ASSERT_TRUE(load(file));
    EXPECT_EQ(static_cast<Counter*>(core.findObject(1))->count, 41);
    EXPECT_EQ(core.findObject(4)->getString("s"), "text");
    std::vector<std::string> damaged = {
        u8(1) + i32(2000000000) + std::string(45, 'x'),  // lengths and counts beyond the file
        u8(0) + i32(2000000000) + std::string(45, 'x'),
        u8(0) + i32(1) + i32(0) + str("") + i32(1) + f32(0) + i32(1000000000) + i32(1),
    };
    for (size_t length = 0; length < file.size(); ++length) {
        damaged.push_back(file.substr(0, length));
    }

    Object* waiter = started("function main(id) wait(pause(id, 0.1)) done = true end");
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(bytes.size());
        ASSERT_FALSE(load(bytes));
        ASSERT_EQ(core.getObjects().size(), 5u);
        ASSERT_EQ(core.threadCount(), 1u);
        ASSERT_NE(core.findLock(waiter, 0), nullptr);
        ASSERT_EQ(eval("score .. title"), "7level one");
    }
    makeHostObject = [](int) { return nullptr; };
    EXPECT_FALSE(load(file));
    EXPECT_EQ(core.getObjects().size(), 5u);
    EXPECT_THAT(logged(), HasSubstr("it holds objects of type 7, which this program cannot make"));
    frames(10);
    EXPECT_EQ(eval("done"), "true");
}

TEST_F(StateFileTest, OnlyARegularFileThatFitsInMemoryIsReadAndNothingAfterItsStateIs) {
    lua("kept = 1");
    const std::string folder = dir.file("folder");
    std::filesystem::create_directory(folder);
    const std::string fifo = dir.file("fifo");  // opened plainly, it would wait for a writer
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.write("huge.bin", "");
    std::filesystem::resize_file(huge, uint64_t{1} << 43);  // sparse: 8 TiB that take no disk
    for (auto [path, reason] : {std::pair{folder, "it is not a regular file"},
                                {fifo, "it is not a regular file"},
                                {std::string("/dev/zero"), "it is not a regular file"},
                                {huge, "it is larger than this machine's memory"},
                                {dir.file("missing.bin"), "it cannot be opened"}}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(core.loadState(path));
        EXPECT_THAT(logged(),
                    HasSubstr("The state file '" + path + "' was not loaded: " + reason + ".<br>"));
    }
    EXPECT_EQ(eval("kept"), "1");

    ASSERT_TRUE(load(workedExample() + "extra"));
    EXPECT_EQ(eval("score"), "10");
    EXPECT_THAT(logged(), HasSubstr("ends with 5 bytes after its state, which were ignored."));
}

TEST_F(StateFileTest, AnUnknownVariableTypeInAFileEndsInAnErrorBeforeAnythingIsLost) {
    lua("kept = 1");
    std::string file =
        u8(1) + str("a") + i32(3) + f64(1) + u8(1) + str("odd") + i32(5) + u8(0) + i32(0) + i32(1);
    EXPECT_EQ(fatalError([&] { load(file); }), "Global variable 'odd' type not supported.");
    EXPECT_EQ(eval("kept"), "1");
    EXPECT_EQ(eval("a"), "nil");
}

TEST_F(StateFileTest, AConfinedScriptPathOutsideTheFolderIsRefusedByEveryWayIn) {
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("scripts/sub"));
    fs::create_symlink(dir.path(), dir.file("scripts/out"));  // a link inside that leads out
    const std::string inside = dir.file("scripts/a.lua");
    const std::string outside = dir.file("scripts/../x.lua");
    const auto newObject = [this](const std::string& path) {
        lua_State* L = core.getLuaState();
        const int failed = luaL_dostring(L, ("return newObject(0, [[" + path + "]])").c_str());
        std::string result = lua_tostring(L, -1);
        lua_pop(L, 1);
        return failed ? result : "made";
    };
    EXPECT_EQ(newObject(outside), "made");  // unconfined by default

    core.confineScripts(dir.file("scripts/"));
    lua("kept = 1");
    for (auto [path, allowed] : {std::pair{inside, true},
                                 {dir.file("scripts/sub/../b.lua"), true},
                                 {std::string(), true},
                                 {outside, false},
                                 {dir.file("scripts/out/x.lua"), false},
                                 {dir.file("scripts"), false},
                                 {dir.file("scripts2/a.lua"), false},
                                 {std::string("/etc/passwd"), false},
                                 {std::string("a.lua"), false}}) {  // in the working folder
        SCOPED_TRACE(path);
        const std::string refusal = "the script '" + path + "' lies outside the script folder '" +
                                    dir.file("scripts/") + "'";
        EXPECT_EQ(core.createObject(0, path) != nullptr, allowed);
        // The place before the message is a tail call's: Lua 5.1 gives it an empty name, LuaJIT
        // leaves it out.
        const std::string place = onLuaJit() ? "" : ": ";
        EXPECT_THAT(newObject(path),
                    EndsWith(allowed ? std::string("made") : place + "newObject: " + refusal));
        EXPECT_EQ(load(u8(0) + i32(1) + i32(0) + str(path) + i32(1) + f32(0) + i32(0) + i32(2)),
                  allowed);
        EXPECT_EQ(eval("kept"), allowed ? "nil" : "1");
        if (!allowed) {
            EXPECT_THAT(logged(), HasSubstr("createObject: " + refusal + "; no object was made."));
            EXPECT_THAT(logged(), HasSubstr("not loaded: object 1's " + refusal.substr(4)));
        }
        lua("kept = 1");
    }
}

// A save may be sent by anyone, and a script error quotes Lua's own words ("in function
// <a.lua:1>"): in the log they are text, never markup, while the box shows them as they are.
TEST_F(StateFileTest, TextFromFilesScriptsAndLuaIsEscapedInTheLog) {
    core.confineScripts(dir.file("scripts"));
    load(u8(0) + i32(1) + i32(0) + str("<!--.lua") + i32(1) + f32(0) + i32(0) + i32(2));
    EXPECT_THAT(logged(), HasSubstr("script '&lt;!--.lua' lies outside"));
    core.confineScripts("");

    lua("state['<plaintext>'] = {}");
    EXPECT_EQ(fatalError([&] { core.saveState(dir.file("state.bin")); }),
              "Global variable '<plaintext>' type not supported.");
    EXPECT_THAT(logged(), HasSubstr("Global variable '&lt;plaintext&gt;' type not supported."));
    lua("state['<plaintext>'] = nil");

    Object* object = scripted("function main() error('<script>x()</script>') end");
    EXPECT_THAT(fatalError([&] { object->startThread("main"); }),
                HasSubstr(": <script>x()</script>\nstack traceback:"));
    EXPECT_THAT(logged(), HasSubstr(": &lt;script&gt;x()&lt;/script&gt;\nstack traceback:"));
    EXPECT_THAT(logged(), HasSubstr("in function &lt;" + object->getScript() + ":1&gt;"));
    EXPECT_THAT(logged(), Not(HasSubstr("<script>")));
}

TEST_F(StateFileTest, NewObjectsAfterALoadNeverTakeALoadedIdOrZero) {
    // The loaded ids, the next id the file gives, and the id the next new object takes.
    for (auto [ids, next, expected] :
         {std::tuple{std::vector{1, 5}, 3, 6}, {{4}, 4, 5}, {{4}, 0, 5}, {{}, 0, 1}, {{2}, 9, 9}}) {
        SCOPED_TRACE(next);
        std::string headers, keyBlocks;
        for (int id : ids) {
            headers += i32(0) + str("") + i32(id);
            keyBlocks += f32(0.0f) + i32(0);
        }
        ASSERT_TRUE(
            load(u8(0) + i32(static_cast<int>(ids.size())) + headers + keyBlocks + i32(next)));
        EXPECT_EQ(core.createObject(0, "")->getId(), expected);
        const std::string line =
            "gives " + std::to_string(next) + " as the next object id, " +
            (next == 0 ? "which names no object" : "at or below a loaded object's id") +
            "; new objects are numbered from " + std::to_string(expected) + ".";
        EXPECT_EQ(logged().find(line) != std::string::npos, next != expected);
    }
}

}  // namespace

// Each object is made once, and a reference read in a block names the object loaded with that
// id, even one later in the file, never the running object the load replaces. A block whose
// load throws leaves the running state as it was.
TEST_F(StateFileTest, AHostTypeIsMadeOnceAndItsReferencesNameTheLoadedObjects) {
    int made = 0;
    makeHostObject = [&made](int type) -> Object* {
        ++made;
        return type == 7 ? new Linked : nullptr;
    };
    auto* linked = static_cast<Linked*>(core.createObject(7, ""));
    linked->partner = core.createObject(0, "");
    const std::string file = saved();

    made = 0;
    ASSERT_TRUE(load(file));
    EXPECT_EQ(made, 1);
    linked = static_cast<Linked*>(core.findObject(1));
    EXPECT_EQ(linked->partner, core.findObject(2));

    Linked::failLoads = true;
    EXPECT_FALSE(load(file));
    Linked::failLoads = false;
    EXPECT_THAT(logged(),
                HasSubstr("was not loaded: loading it raised an exception (a bad block)."));
    EXPECT_EQ(core.getObjects(), (std::vector<Object*>{linked, linked->partner}));
}
