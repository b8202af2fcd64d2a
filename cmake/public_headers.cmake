# The engine's public headers: what a host includes, always as <tumblix/dir/name.h>, so that
# nothing named core/, log/ or graphics/ lands directly on a host's include path. The headers
# name one another relative to themselves ("lock.h", "../platform/types.h"), which resolves the
# same in this tree, in the build tree's stage below and in an installed tree.
#
# A host that adds this project as a subdirectory finds them in the stage: links to the sources
# under <build>/include/tumblix, so an edited header takes effect at once. An installed tree
# holds copies under <prefix>/include/tumblix (cmake/install.cmake).

include(GNUInstallDirs)

# What a host includes (named in docs/host-guide.md and used by the examples), and what those
# include in turn; every other header stays inside the engine. tests/CMakeLists.txt compiles
# each of these alone against the stage, so a public header that names an internal one fails
# the build.
set(TUMBLIX_PUBLIC_HEADERS
    core/core.h
    core/lock.h
    core/object.h
    core/pending_events.h
    core/script_guard.h
    graphics/graphics.h
    graphics/pixel_font.h
    graphics/screen_format.h
    graphics/texture.h
    log/log.h
    objects/key_type.h
    objects/object.h  # where Object was declared before it joined the core
    persist/binary_reader.h
    persist/binary_writer.h
    platform/constants.h
    platform/direct3d.h
    platform/os.h
    platform/transform2d.h
    platform/types.h
    # The fake driver's controls, for a host's own tests against Tumblix::fake.
    platform/fake/fake_platform.h)

set(TUMBLIX_HEADER_STAGE ${PROJECT_BINARY_DIR}/include)
file(REMOVE_RECURSE ${TUMBLIX_HEADER_STAGE}/tumblix)  # links to headers no longer public go
foreach(header ${TUMBLIX_PUBLIC_HEADERS})
  get_filename_component(folder ${TUMBLIX_HEADER_STAGE}/tumblix/${header} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${header} ${TUMBLIX_HEADER_STAGE}/tumblix/${header}
       SYMBOLIC)
endforeach()
