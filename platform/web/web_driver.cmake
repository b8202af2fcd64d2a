# The web driver, included by platform/CMakeLists.txt with TUMBLIX_PLATFORM=web (an emscripten
# build): the SDL driver with the browser's own sleep and message boxes in place of SDL's, and
# its stack services in place of the POSIX signal ones.
# SDL_SOURCES comes in as the SDL driver's files and leaves as the web driver's.
list(REMOVE_ITEM SDL_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sdl/sdl_sleep.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/sdl/sdl_message_box.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/posix/posix_stack.cpp)
file(GLOB WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/*.cpp)
list(APPEND SDL_SOURCES ${WEB_SOURCES})

# What every program and every file of it needs, the engine's and a host's alike:
# - C++ exceptions (Log::error's fatal int), which emscripten leaves out unless asked for;
# - ASYNCIFY, so that a sleep or a message box can hand the thread back to the page and the
#   frame loop can stay a blocking loop; its stack must hold a frame's Lua calls (4 KB did not);
# - memory that grows as scripts ask for it.
target_compile_options(tumblix PUBLIC -fexceptions)
target_link_options(tumblix PUBLIC -fexceptions -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
                    -sALLOW_MEMORY_GROWTH=1)

include(${CMAKE_CURRENT_SOURCE_DIR}/web/TumblixWebPage.cmake)

# Installed for hosts' web builds: the Lua it embeds, with its headers, and tumblix_web_page
# with the page and the script it uses, which the package's config file brings in.
install(TARGETS tumblix_lua51 EXPORT TumblixTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(folder ${LUA51_INCLUDE_DIR})
  install(DIRECTORY ${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lua5.1
          FILES_MATCHING PATTERN "*.h" PATTERN "*.hpp")
endforeach()
install(FILES web/TumblixWebPage.cmake web/tumblix_web.js web/page.html.in
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tumblix)
