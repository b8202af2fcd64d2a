// Feeds arbitrary bytes to the state-file reader both ways it is used: every block in the
// engine's own layout, as state_dump prints it, and through Core::loadState, each block by its
// object's own load. Neither may crash, leak, read outside its buffer or allocate without bound.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/core.h"
#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"
#include "persist/state_format.h"
#include "platform/fake/fake_platform.h"

namespace {

// A host type with a layout of its own, so the key blocks that only a type's own load can read
// are reached too.
class Tagged : public Object {
    int extra = 0;
    void save(BinaryWriter& writer) const override {
        Object::save(writer);
        writer.write(extra);
    }
    void load(BinaryReader& reader) override {
        Object::load(reader);
        extra = reader.readInt();
    }
};

Core& core() {
    static Core* instance = [] {
        auto* made =
            new Core([](int type) -> Object* { return type == 7 ? new Tagged : nullptr; }, nullptr);
        made->resetScripting();
        return made;
    }();
    return *instance;
}

// The file loadState reads each input from: a file in memory with no name in any folder, which
// the system frees however the process ends (a crash, a timeout, libFuzzer's own exits by
// _Exit), so nothing is ever left behind. Its path reaches it through the process's descriptors.
class ScratchFile {
public:
    ScratchFile() : descriptor(memfd_create("tumblix-fuzz-state", MFD_CLOEXEC)) {}
    ~ScratchFile() { close(descriptor); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Makes `bytes` the whole file; false when it cannot be written.
    bool hold(const std::string& bytes) const {
        return descriptor >= 0 && ftruncate(descriptor, 0) == 0 &&
               pwrite(descriptor, bytes.data(), bytes.size(), 0) ==
                   static_cast<ssize_t>(bytes.size());
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(descriptor); }

private:
    int descriptor;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fake::reset();

    BinaryReader reader(nullptr);
    reader.openBytes(bytes);
    StateFileContents contents;
    std::string unsupported;
    readStateFile(reader, contents, unsupported);

    static const ScratchFile file;
    if (file.hold(bytes)) {
        try {
            core().loadState(file.path());
        } catch (int) {
            // An unsupported variable type ends in the engine's fatal error, as it should.
        }
    }
    return 0;
}
