# tumblix_web_page(<program> TITLE <title> KEYS <line> [FILES <path>[@<place>]...])
#
# Makes a web build's program a page: index.html beside the program's .js, .wasm and .data, with
# the canvas, the title, a line saying which keys to press, dialogs for the message boxes, and
# the shared data folder kept in the browser's storage. Each FILES entry (a file or a folder) is
# packed into the program's .data and found at <place>, or at its own name in the working folder
# "/" (the path as written, when relative).
function(tumblix_web_page program)
  cmake_parse_arguments(PARSE_ARGV 1 PAGE "" "TITLE;KEYS" "FILES")
  set(here ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  target_link_options(${program} PRIVATE "SHELL:--pre-js ${here}/tumblix_web.js" -lidbfs.js)
  foreach(file ${PAGE_FILES})
    if(NOT file MATCHES "@")
      string(APPEND file "@${file}")
    endif()
    if(NOT file MATCHES "^/")
      set(file "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
    endif()
    target_link_options(${program} PRIVATE "SHELL:--preload-file ${file}")
  endforeach()
  set_target_properties(${program} PROPERTIES SUFFIX .js)
  set_property(TARGET ${program} APPEND PROPERTY LINK_DEPENDS ${here}/tumblix_web.js)
  get_target_property(folder ${program} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT folder)
    set(folder ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  get_target_property(name ${program} OUTPUT_NAME)
  if(NOT name)
    set(name ${program})
  endif()
  set(PAGE_SCRIPT ${name}.js)
  configure_file(${here}/page.html.in ${folder}/index.html @ONLY)
endfunction()
