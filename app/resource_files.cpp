#include "app/resource_files.h"

#include <filesystem>
#include <system_error>

#include "log/log.h"
#include "platform/os.h"

namespace fs = std::filesystem;

namespace {

// The data folder seen from the program's folder ("../share/puzzle-tumblix"), which the build
// works out from its install layout.
constexpr const char* kDataFromProgram = PUZZLE_TUMBLIX_DATA_FROM_PROGRAM;

// Where a place is, for a person: from the root, without "..".
std::string shown(const fs::path& place) {
    std::error_code error;
    fs::path absolute = fs::absolute(place, error);
    return (error ? place : absolute).lexically_normal().string();
}

}  // namespace

std::vector<std::string> resourcePlaces(const std::string& path) {
    std::vector<std::string> places{path};
    std::string program;
    if (platform::programPath(program)) {
        fs::path folder = fs::path(program).parent_path();
        places.push_back((folder / path).lexically_normal().string());
        places.push_back(
            (folder / kDataFromProgram / path).lexically_normal().string());
    }
    return places;
}

std::string findResource(const std::string& path) {
    std::string looked;
    for (const std::string& place : resourcePlaces(path)) {
        std::error_code error;
        if (fs::is_regular_file(place, error)) {
            return place;
        }
        looked += (looked.empty() ? "" : ", ") + shown(place);
    }
    Log::error("Failed to create texture '" + path + "': no such file at " + looked);
}
