#include "core/script_folder.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Absolute, with "." and ".." gone and the symbolic links of the part that exists followed, so
// that neither a "../" nor a link inside the folder can lead out of it. Empty when the path
// cannot be resolved.
fs::path resolved(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) {
        return {};
    }
    fs::path real = fs::weakly_canonical(absolute, error);
    if (error) {
        return {};
    }
    if (!real.has_filename() && real.has_relative_path()) {
        real = real.parent_path();  // "dir/" names the same folder as "dir"
    }
    return real;
}

}  // namespace

void ScriptFolder::set(const std::string& folder) {
    given = folder;
    root = folder.empty() ? fs::path() : resolved(folder);
}

bool ScriptFolder::allows(const std::string& script) const {
    // Unconfined, as every object of most games is made, this copies nothing.
    if (given.empty() || script.c_str()[0] == '\0') {
        return true;
    }
    return lies(resolved(script.c_str()));
}

bool ScriptFolder::contains(const std::string& location) const {
    return given.empty() || lies(fs::path(location).lexically_normal());
}

bool ScriptFolder::lies(const fs::path& real) const {
    if (root.empty() || real.empty()) {
        return false;
    }
    // Inside means below it: the root's parts, then at least one more.
    auto [rootPart, pathPart] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
    return rootPart == root.end() && pathPart != real.end();
}
