# Lua 5.1 for a target without a system Lua (the Windows and web builds): compiled from Debian
# 12's lua5.1 source package, which scripts/fetch-lua-source.sh fetches into the build tree when
# the build first needs it. Point TUMBLIX_LUA_SOURCE_DIR at an unpacked Lua 5.1 tree (with the
# vararg fix) to build that instead. Defines the static library tumblix_lua51.

set(TUMBLIX_LUA_SOURCE_DIR "" CACHE PATH "Unpacked Lua 5.1 source tree; empty fetches Debian's")

# The core and the standard libraries; not the stand-alone interpreter and compiler.
set(LUA51_FILES
    lapi.c lcode.c ldebug.c ldo.c ldump.c lfunc.c lgc.c llex.c lmem.c lobject.c lopcodes.c
    lparser.c lstate.c lstring.c ltable.c ltm.c lundump.c lvm.c lzio.c
    lauxlib.c lbaselib.c ldblib.c liolib.c lmathlib.c loslib.c ltablib.c lstrlib.c loadlib.c
    linit.c)

if(TUMBLIX_LUA_SOURCE_DIR)
  set(LUA51_SOURCE_DIR ${TUMBLIX_LUA_SOURCE_DIR}/src)
  set(LUA51_INCLUDE_DIR ${TUMBLIX_LUA_SOURCE_DIR}/src ${TUMBLIX_LUA_SOURCE_DIR}/etc)
  list(TRANSFORM LUA51_FILES PREPEND ${LUA51_SOURCE_DIR}/ OUTPUT_VARIABLE LUA51_SOURCES)
else()
  set(LUA51_FETCH_DIR ${CMAKE_BINARY_DIR}/lua5.1)
  set(LUA51_SOURCE_DIR ${LUA51_FETCH_DIR}/src)
  set(LUA51_INCLUDE_DIR ${LUA51_FETCH_DIR}/include)
  list(TRANSFORM LUA51_FILES PREPEND ${LUA51_SOURCE_DIR}/ OUTPUT_VARIABLE LUA51_SOURCES)
  set(LUA51_HEADERS lua.h luaconf.h lualib.h lauxlib.h lua.hpp)
  list(TRANSFORM LUA51_HEADERS PREPEND ${LUA51_INCLUDE_DIR}/)
  add_custom_command(
    OUTPUT ${LUA51_SOURCES} ${LUA51_HEADERS}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-lua-source.sh ${LUA51_FETCH_DIR}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/fetch-lua-source.sh
    COMMENT "Fetching Debian's lua5.1 source package"
    VERBATIM)
  # Anything that includes the headers waits for them.
  add_custom_target(tumblix_lua51_source DEPENDS ${LUA51_SOURCES} ${LUA51_HEADERS})
endif()

add_library(tumblix_lua51 STATIC ${LUA51_SOURCES})
set_source_files_properties(${LUA51_SOURCES} PROPERTIES LANGUAGE C)
# Lua is third-party code, built with its own makefile's flags rather than ours.
target_compile_options(tumblix_lua51 PRIVATE -O2 -w)
# An installed web engine carries this Lua too, its headers in include/lua5.1.
target_include_directories(tumblix_lua51 SYSTEM PUBLIC $<BUILD_INTERFACE:${LUA51_INCLUDE_DIR}>
                                                       $<INSTALL_INTERFACE:include/lua5.1>)
if(TARGET tumblix_lua51_source)
  add_dependencies(tumblix_lua51 tumblix_lua51_source)
endif()
