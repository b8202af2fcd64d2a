// readRegularFile, the same on every system: what it reads is the file ReadableFile checked.
#include "platform/os.h"

namespace platform {

FileRead readRegularFile(const std::string& path, uint64_t maxBytes, std::string& contents) {
    ReadableFile file;
    std::string problem;
    const FileRead opened = file.open(path, problem);
    return opened == FileRead::done ? file.read(maxBytes, contents) : opened;
}

}  // namespace platform
