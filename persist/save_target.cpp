#include "persist/save_target.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Links are followed at most this deep, as the system does; deeper is taken for a loop.
constexpr int kMaxLinks = 40;

}  // namespace

bool findSaveTarget(const std::string& path, std::string& target, std::string& problem) {
    fs::path current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        std::error_code error;
        fs::file_status status = fs::symlink_status(current, error);
        if (status.type() == fs::file_type::not_found) {
            target = current.string();  // a new file
            return true;
        }
        if (error) {
            problem = "it cannot be examined (" + error.message() + ")";
            return false;
        }
        if (status.type() == fs::file_type::regular) {
            target = current.string();
            return true;
        }
        if (status.type() != fs::file_type::symlink) {
            problem = "it is not a regular file";
            return false;
        }
        fs::path named = fs::read_symlink(current, error);
        if (error) {
            problem = "its link cannot be read (" + error.message() + ")";
            return false;
        }
        current = named.is_absolute() ? named : current.parent_path() / named;
    }
    problem = "its symbolic links go round in a loop";
    return false;
}

bool clearSaveTemporary(const std::string& temporary, std::string& problem) {
    std::error_code error;
    switch (fs::symlink_status(temporary, error).type()) {
        case fs::file_type::not_found:
            return true;
        case fs::file_type::regular:
            // Whatever takes its place meanwhile, the exclusive creation of the new file fails.
            fs::remove(temporary, error);
            return true;
        default:
            problem = "'" + temporary + "' is in the way: it is not a regular file";
            return false;
    }
}
