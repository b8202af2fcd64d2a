// Script files compiled once: every thread still runs its own main chunk, and a file that
// changes on disk is compiled again for the threads that come after.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core_fixture.h"
#include "whole_second_file_system.h"

namespace {

using CompiledScriptsTest = CoreTest;

// The entry function of every object on the file records what its main chunk saw.
TEST_F(CompiledScriptsTest, ThreadsOnOneFileRunTheirOwnMainChunk) {
    const std::string path = script(R"(
        local runs = 0          -- a fresh local for each thread
        runs = runs + 1
        local chunk = debug.getinfo(1, "Sf")
        function main(id)
            setKey(id, "runs", runs)
            setKey(id, "chunk", tostring(chunk.func))
            setKey(id, "at", chunk.what .. " " .. chunk.source .. ":" .. chunk.linedefined)
            setKey(id, "private", getfenv(chunk.func) == getfenv(1))
            wait(pause(id, 1))  -- keeps the chunk alive, so no other can take its address
        end
    )");
    for (int id = 1; id <= 3; ++id) {
        ASSERT_TRUE(core.createObject(0, path)->startThread("main"));
        Object* object = core.findObject(id);
        EXPECT_EQ(object->getNumber("runs"), 1);
        EXPECT_EQ(object->getString("at"), "main @" + path + ":0");
        EXPECT_TRUE(object->getBool("private"));
        if (id > 1) {
            EXPECT_NE(object->getString("chunk"), core.findObject(1)->getString("chunk"));
        }
    }
}

// A file of some 12 KB of code: a thread that copied it would cost far more than its own record.
TEST_F(CompiledScriptsTest, ThreadsOnOneFileShareItsCode) {
    std::string source = "function main(id)\n";
    for (int line = 0; line < 500; ++line) {
        source += "    state.n = id + " + std::to_string(line) + "\n";
    }
    const std::string path = script(source + "    wait(pause(id, 1))\nend\n");
    auto kilobytes = [&] {
        lua_State* L = core.getLuaState();
        lua_gc(L, LUA_GCCOLLECT, 0);
        return lua_gc(L, LUA_GCCOUNT, 0);
    };
    ASSERT_TRUE(core.createObject(0, path)->startThread("main"));
    const int before = kilobytes();
    for (int thread = 0; thread < 10; ++thread) {
        ASSERT_TRUE(core.createObject(0, path)->startThread("main"));
    }
    EXPECT_EQ(core.threadCount(), 11u);
    EXPECT_LT(kilobytes() - before, 10 * 4);
}

TEST_F(CompiledScriptsTest, AFileChangedOnDiskIsCompiledAgain) {
    namespace fs = std::filesystem;
    const std::string version1 = "function main() state.version = 1 end";
    const std::string version2 = "function main() state.version = 2 end";  // the same size
    struct Case {
        const char* change;
        std::function<void(const std::string& path)> make;
    };
    const Case cases[] = {
        {"rewritten, later",
         [&](const std::string& path) {
             dir.write(fs::path(path).filename().string(), version2);
             fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(1));
         }},
        {"another file moved over it, with its times and size",
         [&](const std::string& path) {
             const std::string other = dir.write("other.lua", version2);
             fs::last_write_time(other, fs::last_write_time(path));
             fs::rename(other, path);
         }},
        {"grown",
         [&](const std::string& path) {
             dir.write(fs::path(path).filename().string(), version2 + "\n");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        core.resetScripting();
        const std::string path = script(version1);
        auto versionRun = [&] {
            EXPECT_TRUE(core.createObject(0, path)->startThread("main"));
            return eval("state.version");
        };
        EXPECT_EQ(versionRun(), "1");
        c.make(path);
        EXPECT_EQ(versionRun(), "1");  // looked at once a frame: this frame's look stands
        frames(1);
        EXPECT_EQ(versionRun(), "2");
        c.make(path);  // again the first version's place
        dir.write(std::filesystem::path(path).filename().string(), version1);
        core.forgetCompiledScripts();  // a host that has just written its scripts
        EXPECT_EQ(versionRun(), "1");
    }
}

// Where times are kept in whole seconds (ext3 with small inodes, FAT, some network file
// systems), a second change within the same second can leave a file's size, times and identity
// as they were. A file changed that recently is never taken as unchanged on their strength.
TEST_F(CompiledScriptsTest, ASameSecondChangeWhereTimesAreWholeSecondsIsSeen) {
    testing_support::WholeSecondFileSystem wholeSeconds(dir.path() / "ext3");
    if (!wholeSeconds.mounted()) {
        GTEST_SKIP() << "mounting a file system needs root and loop devices";
    }
    namespace fs = std::filesystem;
    const fs::path path = wholeSeconds.path() / "changing.lua";
    auto write = [&](const std::string& source) {  // in place: the same file, the same size
        std::ofstream(path, std::ios::trunc) << source;
    };
    for (int attempt = 0; attempt < 20; ++attempt) {  // a second may tick over in between
        SCOPED_TRACE(attempt);
        write("function main() state.version = 1 end");
        const fs::file_time_type written = fs::last_write_time(path);
        const long long changed = testing_support::changeSecond(path);
        ASSERT_TRUE(core.createObject(0, path.string())->startThread("main"));
        EXPECT_EQ(eval("state.version"), "1");
        write("function main() state.version = 2 end");
        fs::last_write_time(path, written);
        frames(1);
        ASSERT_TRUE(core.createObject(0, path.string())->startThread("main"));
        EXPECT_EQ(eval("state.version"), "2");
        if (testing_support::changeSecond(path) == changed) {
            return;  // the two versions looked the same on disk
        }
    }
}

TEST_F(CompiledScriptsTest, AScriptPathThatNamesNoRegularFileIsRefusedAtOnce) {
    const std::string fifo = dir.file("fifo.lua");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, dir.path().string()}) {
        EXPECT_EQ(fatalError([&] { core.createObject(0, path)->startThread("main"); }),
                  "cannot open " + path + ": not a regular file");
    }
}

// Confined, a path is checked when an object is given it and again, as the file it names, when
// a thread opens it: a link re-pointed in between cannot run a file from outside.
TEST_F(CompiledScriptsTest, AConfinedScriptRunsOnlyFromAFileInsideTheFolder) {
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("scripts"));
    dir.write("scripts/inside.lua", "function main() state.ran = 'inside' end");
    dir.write("outside.lua", "function main() state.ran = 'outside' end");
    const std::string link = dir.file("scripts/link.lua");
    fs::create_symlink("inside.lua", link);
    core.confineScripts(dir.file("scripts"));
    ASSERT_TRUE(core.createObject(0, link)->startThread("main"));
    EXPECT_EQ(eval("state.ran"), "inside");

    Object* object = core.createObject(0, link);
    fs::remove(link);
    fs::create_symlink("../outside.lua", link);
    frames(1);
    EXPECT_EQ(fatalError([&] { object->startThread("main"); }),
              "cannot open " + link + ": the file lies outside the script folder '" +
                  dir.file("scripts") + "'");
    EXPECT_EQ(eval("state.ran"), "inside");
}

TEST_F(CompiledScriptsTest, AFileThatStopsLoadingReportsAsAnyOtherThenLoadsAgain) {
    const std::string path = script("function main() state.ran = (state.ran or 0) + 1 end");
    const std::string name = std::filesystem::path(path).filename().string();
    // What the file says when each thread compiles it for itself.
    auto loadError = [&] {
        lua_State* L = core.getLuaState();
        EXPECT_NE(luaL_loadfile(L, path.c_str()), 0);
        std::string message = lua_tostring(L, -1);
        lua_pop(L, 1);
        return message;
    };
    ASSERT_TRUE(core.createObject(0, path)->startThread("main"));

    dir.write(name, "function main(");
    frames(1);
    EXPECT_EQ(fatalError([&] { core.createObject(0, path)->startThread("main"); }), loadError());
    std::filesystem::remove(path);
    EXPECT_EQ(fatalError([&] { core.createObject(0, path)->startThread("main"); }), loadError());

    dir.write(name, "function main() state.ran = (state.ran or 0) + 10 end");
    frames(1);
    ASSERT_TRUE(core.createObject(0, path)->startThread("main"));
    EXPECT_EQ(eval("state.ran"), "11");
    EXPECT_EQ(core.threadCount(), 0u);
}

}  // namespace
