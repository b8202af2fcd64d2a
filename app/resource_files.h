// Where the game finds its images. The working directory comes first, as it always has; then
// resources/ beside the program (a build folder, or the game unpacked anywhere); then the data
// folder of an installation, <prefix>/share/puzzle-tumblix beside <prefix>/bin. So the game
// starts from any folder, and from a desktop menu.
#pragma once

#include <string>
#include <vector>

// Every place that `path` (relative, such as "resources/aaa.png") is looked for, in order: the
// path itself, then the same path under the program's folder and under the data folder. Only
// the first when the system cannot tell where the program is.
std::vector<std::string> resourcePlaces(const std::string& path);

// The first of those places that holds a regular file. When none does, Log::error names the
// image and every place looked.
std::string findResource(const std::string& path);
