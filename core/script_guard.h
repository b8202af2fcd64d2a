// The boundary between C++ and Lua inside a native function that scripts call. A C++ exception
// must never cross a Lua frame, and a Lua error (a longjmp in Lua 5.1) must never skip a C++
// destructor. So C++ work that may throw runs inside guardScriptCall, which catches every
// exception and raises the Lua error only after the catch has closed:
//
//     int tally(lua_State* L) {
//         const int worker = static_cast<int>(luaL_checknumber(L, 1));  // Lua may raise here
//         int count = 0;
//         guardScriptCall(L, "tally", [&] { count = ++tallies[worker]; });  // C++ may throw
//         lua_pushnumber(L, count);
//         return 1;
//     }
//
// Memory running out becomes the script's error "<function>: not enough memory", as Lua's own
// want of memory does. Any other exception becomes "<function>: the host raised a C++
// exception", and the Core rethrows the exception itself once the script's resume has returned,
// so the host learns what went wrong from its own exception. Core::registerFunction applies the
// guard to every function a host registers, around the whole function.
#pragma once

#include <lua.hpp>

#include <exception>
#include <new>
#include <utility>

// Hands `exception` to the Core of `L`, to be rethrown after the resume.
void holdScriptCallException(lua_State* L, std::exception_ptr exception);
// Raises the Lua error for an exception `function` caught.
[[noreturn]] void raiseScriptCallError(lua_State* L, const char* function, bool outOfMemory);

template <typename Work>
void guardScriptCall(lua_State* L, const char* function, Work&& work) {
    bool outOfMemory = false;
    try {
        work();
        return;
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    } catch (...) {
        std::exception_ptr caught = std::current_exception();
        if (!caught) {
            throw;  // not C++'s: a Lua error unwinding (LuaJIT raises errors that way) goes on
        }
        holdScriptCallException(L, std::move(caught));
    }
    raiseScriptCallError(L, function, outOfMemory);
}

// Pushes `function` as a Lua function that runs it inside guardScriptCall, named `name` in the
// errors it raises: what registerFunction installs.
void pushGuardedFunction(lua_State* L, lua_CFunction function, const char* name);
