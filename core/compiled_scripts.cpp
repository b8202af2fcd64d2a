// How one compiled chunk serves every thread: Lua makes a function of a compiled chunk only
// by loading it, and each load compiles a copy. But a function that encloses another makes a
// fresh function of the enclosed prototype each time it runs. So the file is compiled once as
// is, and then loaded once more enclosed in a maker: a binary chunk, built from the first
// compile's dump, whose only work is to return a new function of the file's chunk
// (chunk_maker.h). The file's chunk keeps everything it had (its source name, its line numbers,
// its place as a main chunk in tracebacks), so no script can tell its function from one
// luaL_loadfile made.
//
// The makers sit in the caller's table, by path. All Lua work runs in one protected call, whose
// function the table holds too, so nothing Lua raises (a want of memory, or a finalizer that a
// script gave a userdata, which may run wherever Lua allocates) can skip a C++ destructor.
#include "core/compiled_scripts.h"

#include <cstdint>
#include <new>

#include "core/chunk_maker.h"
#include "core/lua_stack_index.h"

namespace {

// The key of the loading function in the table.
const char kLoaderKey = 0;

// Pushes the maker of the function on top, which stays. Raises when it cannot be made: the
// function is not a main chunk a maker can enclose (a binary file's may expect upvalues), or
// memory ran out.
void pushMaker(lua_State* L) {
    lua_Debug info;
    lua_pushvalue(L, -1);
    lua_getinfo(L, ">u", &info);
    if (info.nups != 0) {
        luaL_error(L, "a chunk with upvalues cannot be shared");
    }
    pushDump(L);
    size_t dumpSize = 0;
    const char* dumped = lua_tolstring(L, -1, &dumpSize);
    pushChunkMaker(L, dumped, dumpSize);
    lua_remove(L, -2);  // the dump
}

// Pushes a new function of the chunk that the maker on top makes, in place of the maker, with
// the table at `environment` (not relative to the top) as its environment.
void makeChunk(lua_State* L, int environment) {
    lua_call(L, 0, 1);
    lua_pushvalue(L, environment);
    lua_setfenv(L, -2);
}

// Run protected with the makers, a freshly compiled chunk and its path: keeps the chunk's maker
// for the path and returns the chunk made by it, so this thread shares the code with those to
// come.
int keepMaker(lua_State* L) {
    lua_settop(L, 3);  // makers, chunk, path
    lua_pushvalue(L, 2);
    pushMaker(L);  // makers, chunk, path, chunk, maker
    lua_pushvalue(L, 3);
    lua_pushvalue(L, -2);
    lua_rawset(L, 1);
    makeChunk(L, LUA_GLOBALSINDEX);
    return 1;
}

// Where luaL_loadfile starts to read a file: past a first line that starts with '#' (a Unix
// interpreter line), whose line break it keeps so that line numbers stay as they were; a binary
// chunk after such a line starts at its signature.
size_t sourceStart(const std::string& source) {
    if (source.empty() || source[0] != '#') {
        return 0;
    }
    const size_t lineEnd = source.find('\n');
    if (lineEnd == std::string::npos) {
        return source.size();
    }
    if (lineEnd + 1 < source.size() && source[lineEnd + 1] == LUA_SIGNATURE[0]) {
        return lineEnd + 1;
    }
    return lineEnd;
}

}  // namespace

int CompiledScripts::runLoad(lua_State* L) {
    auto* work = static_cast<Load*>(lua_touserdata(L, 2));
    const std::string& path = *work->path;
    lua_settop(L, 1);  // makers
    if (work->step == Load::Step::refuse) {
        lua_pushlstring(L, work->text.data(), work->text.size());
        return lua_error(L);
    }
    if (work->step == Load::Step::makeKept) {
        pushKept(L, 1, *work, LUA_GLOBALSINDEX);
        return 1;
    }
    lua_pushlstring(L, path.data(), path.size());  // makers, path
    const size_t start = sourceStart(work->text);
    lua_pushfstring(L, "@%s", path.c_str());
    if (luaL_loadbuffer(L, work->text.data() + start, work->text.size() - start,
                        lua_tostring(L, -1)) != 0) {
        return lua_error(L);
    }
    lua_remove(L, -2);  // makers, path, chunk
    lua_pushcfunction(L, keepMaker);
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 3);
    lua_pushvalue(L, 2);
    if (lua_pcall(L, 3, 1, 0) != 0) {
        lua_pop(L, 1);  // no maker: this thread runs the chunk it compiled, shared with none
        interpretOnly(L, -1);
        return 1;
    }
    work->shared = true;
    return 1;
}

void CompiledScripts::install(lua_State* L, int table) {
    lua_pushlightuserdata(L, const_cast<char*>(&kLoaderKey));
    lua_pushcfunction(L, runLoad);
    lua_rawset(L, table > 0 ? table : table - 2);
}

void CompiledScripts::prepare(Load& work, const std::string& path, const ScriptFolder& folder) {
    platform::ReadableFile file;
    std::string problem;
    switch (file.open(path, problem)) {
        case platform::FileRead::done:
            break;
        case platform::FileRead::notRegular:
            work.text = "cannot open " + std::string(path.c_str()) + ": not a regular file";
            return;
        case platform::FileRead::cannotOpen:
            work.text = "cannot open " + std::string(path.c_str()) + ": " + problem;
            return;
        default:
            work.text = "cannot read " + std::string(path.c_str());
            return;
    }
    // Where the system cannot tell which file it opened, the path is resolved instead.
    const std::string location = file.location();
    if (location.empty() ? !folder.allows(path) : !folder.contains(location)) {
        work.text = "cannot open " + std::string(path.c_str()) +
                    ": the file lies outside the script folder '" + folder.name() + "'";
        return;
    }
    auto kept = files.find(path);
    if (kept != files.end() && kept->second.settled && kept->second.version == file.version()) {
        kept->second.lookedAt = frame;
        work.step = Load::Step::makeKept;
        return;
    }
    const uint64_t memory = platform::physicalMemory();
    if (file.read(memory != 0 ? memory : UINT64_MAX, work.text) != platform::FileRead::done) {
        work.text = "cannot read " + std::string(path.c_str());
        return;
    }
    files[path] = Kept{file.version(), file.settled(), frame};  // once the chunk proves shared
    work.step = Load::Step::compile;
}

CompiledScripts::Load CompiledScripts::plan(const std::string& path,
                                            const ScriptFolder& folder) {
    Load work;
    work.path = &path;
    auto kept = files.find(path);
    if (kept != files.end() && kept->second.lookedAt == frame) {
        work.step = Load::Step::makeKept;
        return work;
    }
    try {
        prepare(work, path, folder);
    } catch (const std::bad_alloc&) {
        work.step = Load::Step::refuse;
        work.text = "not enough memory";
    }
    return work;
}

void CompiledScripts::pushKept(lua_State* L, int table, const Load& work, int environment) {
    table = absoluteIndex(L, table);
    environment = absoluteIndex(L, environment);
    lua_pushlstring(L, work.path->data(), work.path->size());
    lua_rawget(L, table);
    makeChunk(L, environment);
}

int CompiledScripts::load(lua_State* thread, int table, Load& work) {
    table = absoluteIndex(thread, table);
    lua_pushlightuserdata(thread, const_cast<char*>(&kLoaderKey));
    lua_rawget(thread, table);
    lua_pushvalue(thread, table);
    lua_pushlightuserdata(thread, &work);
    const int status = lua_pcall(thread, 2, 1, 0);
    if (status != 0 || (work.step == Load::Step::compile && !work.shared)) {
        files.erase(*work.path);
    }
    return status;
}
