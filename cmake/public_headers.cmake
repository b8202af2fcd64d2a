# The engine's public headers: what a host includes, always as <tumblix/dir/name.h>, so that
# nothing named core/, log/ or graphics/ lands directly on a host's include path. The headers
# name one another relative to themselves ("lock.h", "../platform/types.h"), which resolves the
# same in this tree, in the build tree's stage below and in an installed tree.
#
# A host that adds this project as a subdirectory finds them in the stage: links to the sources
# under <build>/include/tumblix, so an edited header takes effect at once. An installed tree
# holds copies under <prefix>/include/tumblix (cmake/install.cmake).

include(GNUInstallDirs)

file(GLOB TUMBLIX_PUBLIC_HEADERS RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS
     core/*.h objects/*.h persist/*.h log/*.h graphics/*.h platform/*.h)
# The fake driver's controls, for a host's own tests against Tumblix::fake.
list(APPEND TUMBLIX_PUBLIC_HEADERS platform/fake/fake_platform.h)

set(TUMBLIX_HEADER_STAGE ${PROJECT_BINARY_DIR}/include)
foreach(header ${TUMBLIX_PUBLIC_HEADERS})
  get_filename_component(folder ${TUMBLIX_HEADER_STAGE}/tumblix/${header} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${header} ${TUMBLIX_HEADER_STAGE}/tumblix/${header}
       SYMBOLIC)
endforeach()
