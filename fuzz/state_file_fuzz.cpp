// Feeds arbitrary bytes to both readers of state files: the scan that state_dump prints and
// Core::loadState. Neither may crash, leak, read outside its buffer or allocate without bound.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/core.h"
#include "objects/object.h"
#include "persist/binary_reader.h"
#include "persist/binary_writer.h"
#include "persist/state_file_scan.h"
#include "platform/fake/fake_platform.h"

namespace {

// A host type with a layout of its own, so the key blocks that only a type's own load can read
// are reached too, in the check before the reset and in the load after it.
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

std::string scratchFile() {
    return "/tmp/tumblix-fuzz-" + std::to_string(getpid()) + ".state";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fake::reset();

    BinaryReader reader(nullptr);
    reader.openBytes(bytes);
    StateFileContents contents;
    StateFileScanOptions options;
    options.plainLayout = [](int) { return true; };
    std::string unsupported;
    scanStateFile(reader, options, contents, unsupported);

    static const std::string path = scratchFile();
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        try {
            core().loadState(path);
        } catch (int) {
            // An unsupported variable type ends in the engine's fatal error, as it should.
        }
    }
    return 0;
}
