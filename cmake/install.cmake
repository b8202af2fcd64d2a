# What `cmake --install` puts under the prefix for a host's developer (the component "dev"),
# and the Debian package libtumblix-dev made of the same:
#   include/tumblix/...             the public headers (cmake/public_headers.cmake)
#   lib/libtumblix*.a               the engine and its SDL and fake drivers
#   lib/cmake/Tumblix/              find_package(Tumblix CONFIG): Tumblix::tumblix, ::sdl, ::fake
#   lib/pkgconfig/tumblix.pc        the engine with the SDL driver, for pkg-config
#   share/tumblix/editor/           tumblix.lua: what scripts are given, for the Lua language server
# With the game built, the component "game" and the package puzzle-tumblix hold the game
# (app/CMakeLists.txt).
include(CMakePackageConfigHelpers)

set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME dev)

set(TUMBLIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tumblix)

install(TARGETS tumblix tumblix_fake tumblix_sdl EXPORT TumblixTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(header ${TUMBLIX_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tumblix/${folder})
endforeach()

install(FILES editor/tumblix.lua DESTINATION ${CMAKE_INSTALL_DATADIR}/tumblix/editor)

install(EXPORT TumblixTargets NAMESPACE Tumblix:: DESTINATION ${TUMBLIX_CMAKE_DIR})
configure_package_config_file(cmake/TumblixConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/TumblixConfig.cmake
                              INSTALL_DESTINATION ${TUMBLIX_CMAKE_DIR})
# Until 1.0 a minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TumblixConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TumblixConfig.cmake
              ${PROJECT_BINARY_DIR}/TumblixConfigVersion.cmake
        DESTINATION ${TUMBLIX_CMAKE_DIR})

# The prefix is known only when installing (cmake --install --prefix, or the package's /usr),
# so the pkg-config file is written then.
set(TUMBLIX_PC ${PROJECT_BINARY_DIR}/pkgconfig/tumblix.pc)
install(CODE "
  set(TUMBLIX_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(TUMBLIX_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(TUMBLIX_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(TUMBLIX_VERSION \"${PROJECT_VERSION}\")
  set(TUMBLIX_LUA \"${TUMBLIX_LUA}\")
  set(TUMBLIX_LUA_PKG \"${TUMBLIX_LUA_PKG}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/tumblix.pc.in\" \"${TUMBLIX_PC}\" @ONLY)")
install(FILES ${TUMBLIX_PC} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# cpack -G DEB: one package per component, under /usr. The development package's Depends are
# what a host build needs beside it: the Lua it was built with, SDL2 and SDL2_image to compile
# and link against, pkg-config for Lua (which ships no CMake package). The game's are the shared
# libraries its program loads.
set(CPACK_PACKAGE_NAME tumblix)
set(CPACK_PACKAGE_VENDOR Tumblix)
set(CPACK_PACKAGE_CONTACT "Tumblix developers <dev@tumblix.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtumblix-dev)
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "2D game engine with ${TUMBLIX_LUA} scripting (headers, static libraries, CMake and pkg-config)")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "${TUMBLIX_LUA_DEB}, libsdl2-dev, libsdl2-image-dev, pkgconf | pkg-config")

set(CPACK_DEBIAN_GAME_PACKAGE_NAME puzzle-tumblix)
set(CPACK_DEBIAN_GAME_DESCRIPTION
    "Falling-pair puzzle game: steer falling pairs of pieces as they stack up")
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS
    "${TUMBLIX_LUA_RUNTIME_DEB}, libsdl2-2.0-0, libsdl2-image-2.0-0, libstdc++6, libgcc-s1, libc6")
include(CPack)
