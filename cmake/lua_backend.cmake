# The Lua the engine embeds, chosen with TUMBLIX_LUA: lua5.1 (the default, and the only one of the
# Windows and web builds) or luajit (LuaJIT 2.1, the same language and C API, faster). Defines
# TUMBLIX_LUA_TARGET (what the engine links), TUMBLIX_LUA_PKG (its pkg-config module, which the
# installed package and tumblix.pc name), TUMBLIX_LUA_DEB (its Debian development package),
# TUMBLIX_LUA_RUNTIME_DEB (its Debian shared library, which a program needs to run) and
# TUMBLIX_LUA_SOURCES (the engine's sources for this backend alone, in core/<backend>/).
set(TUMBLIX_LUA "lua5.1" CACHE STRING "Lua backend: lua5.1 or luajit")
set_property(CACHE TUMBLIX_LUA PROPERTY STRINGS lua5.1 luajit)

if(TUMBLIX_LUA STREQUAL "lua5.1")
  set(TUMBLIX_LUA_PKG lua5.1)
  set(TUMBLIX_LUA_DEB liblua5.1-0-dev)
  set(TUMBLIX_LUA_RUNTIME_DEB liblua5.1-0)
  set(TUMBLIX_LUA_DIR lua51)
elseif(TUMBLIX_LUA STREQUAL "luajit")
  if(TUMBLIX_PLATFORM STREQUAL "win32" OR TUMBLIX_PLATFORM STREQUAL "web")
    message(FATAL_ERROR "TUMBLIX_LUA=luajit: the ${TUMBLIX_PLATFORM} build embeds Lua 5.1 only")
  endif()
  set(TUMBLIX_LUA_PKG luajit)
  set(TUMBLIX_LUA_DEB libluajit-5.1-dev)
  set(TUMBLIX_LUA_RUNTIME_DEB libluajit-5.1-2)
  set(TUMBLIX_LUA_DIR luajit)
else()
  message(FATAL_ERROR "TUMBLIX_LUA is \"${TUMBLIX_LUA}\": choose lua5.1 or luajit")
endif()

file(GLOB TUMBLIX_LUA_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/core/${TUMBLIX_LUA_DIR}/*.cpp)

# Windows and the browser have no system Lua: it is compiled in.
if(TUMBLIX_PLATFORM STREQUAL "win32" OR TUMBLIX_PLATFORM STREQUAL "web")
  include(cmake/lua51.cmake)
  set(TUMBLIX_LUA_TARGET tumblix_lua51)
  return()
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(TUMBLIX_LUA_LIB REQUIRED IMPORTED_TARGET ${TUMBLIX_LUA_PKG})
set(TUMBLIX_LUA_TARGET PkgConfig::TUMBLIX_LUA_LIB)

# The engine makes its Lua state with lua_newstate and its own allocator, and finds its Core
# through it. A LuaJIT built without GC64 on a 64-bit machine refuses any allocator but its own.
if(TUMBLIX_LUA STREQUAL "luajit")
  try_run(TUMBLIX_LUAJIT_TAKES_ALLOCATOR TUMBLIX_LUAJIT_COMPILED
          SOURCES ${PROJECT_SOURCE_DIR}/cmake/check_lua_allocator.c
          LINK_LIBRARIES PkgConfig::TUMBLIX_LUA_LIB
          COMPILE_OUTPUT_VARIABLE TUMBLIX_LUAJIT_COMPILE_OUTPUT)
  if(NOT TUMBLIX_LUAJIT_COMPILED)
    message(FATAL_ERROR "Cannot build a LuaJIT program:\n${TUMBLIX_LUAJIT_COMPILE_OUTPUT}")
  endif()
  if(NOT TUMBLIX_LUAJIT_TAKES_ALLOCATOR EQUAL 0)
    message(FATAL_ERROR "This LuaJIT cannot make a Lua state with the engine's allocator "
                        "(lua_newstate fails: it is a 64-bit build without GC64). Build LuaJIT "
                        "with XCFLAGS=-DLUAJIT_ENABLE_GC64, or choose TUMBLIX_LUA=lua5.1.")
  endif()
endif()
