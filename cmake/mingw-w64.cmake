# Cross-builds the Windows program on Debian with the 64-bit mingw-w64 compilers of the posix
# thread model (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# scripts/build-win32.sh does this and installs what is missing.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TUMBLIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TUMBLIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUMBLIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TUMBLIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUMBLIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The .exe carries its runtime: libgcc, libstdc++ and winpthread linked in, so it needs no DLL
# beyond the system's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(TUMBLIX_PLATFORM win32 CACHE STRING "Platform driver for programs: sdl or win32" FORCE)
