// The folder a host may confine script paths to. Script paths come from the host, from scripts
// (newObject) and from state files, which a player may have been sent by anyone: confined, a
// shared save cannot choose which files on the machine run as scripts.
#pragma once

#include <filesystem>
#include <string>

class ScriptFolder {
public:
    // Confines paths to `folder` (relative to the working folder); empty lifts the confinement.
    void set(const std::string& folder);
    // The folder as the host gave it; empty when paths are not confined.
    const std::string& name() const { return given; }
    // Whether `script` (up to a first NUL, as it is opened) lies inside the folder, once made
    // absolute against the working folder and "..", "." and symbolic links are resolved. An
    // empty path (no script) and any path while unconfined are allowed.
    bool allows(const std::string& script) const;
    // Whether `location`, an absolute path with every link already resolved (where a file was
    // found open), lies inside the folder; true while paths are not confined.
    bool contains(const std::string& location) const;

private:
    // Whether the resolved path `real` lies below the root.
    bool lies(const std::filesystem::path& real) const;

    std::string given;
    std::filesystem::path root;  // absolute and resolved like the paths it is compared with
};
