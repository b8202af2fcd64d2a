// A small ext3 file system with 128-byte inodes, which keep file times in whole seconds, mounted
// from an image for as long as the object lives. Mounting needs root and loop devices; where
// they are missing the object says why and tests that need it skip.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testing_support {

class WholeSecondFileSystem {
public:
    explicit WholeSecondFileSystem(const std::filesystem::path& mountPoint)
        : mountPoint(mountPoint), image(mountPoint.string() + ".img") {
        std::filesystem::create_directories(mountPoint);
        const std::string command = "truncate -s 4M '" + image + "' && mkfs.ext3 -q -F -I 128 '" +
                                    image + "' >/dev/null 2>&1 && mount -o loop '" + image +
                                    "' '" + mountPoint.string() + "' 2>/dev/null";
        isMounted = std::system(command.c_str()) == 0;
    }
    ~WholeSecondFileSystem() {
        if (isMounted) {
            std::system(("umount '" + mountPoint.string() + "'").c_str());
        }
    }
    WholeSecondFileSystem(const WholeSecondFileSystem&) = delete;
    WholeSecondFileSystem& operator=(const WholeSecondFileSystem&) = delete;

    bool mounted() const { return isMounted; }
    const std::filesystem::path& path() const { return mountPoint; }

private:
    std::filesystem::path mountPoint;
    std::string image;
    bool isMounted = false;
};

// The last change of a file's contents or record, in whole seconds.
inline long long changeSecond(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<long long>(status.st_ctime) : -1;
}

}  // namespace testing_support
