// Where a save puts its file. A save replaces its target by renaming a new file over it, which
// would replace a symbolic link with a plain file (the file it named keeping the old state) and
// a device or a FIFO with a file; so links are followed to the file they name, and a target
// that is something else than a regular file is refused. The new file is written beside the
// target under a name of its own, where nothing that stands is ever followed.
#pragma once

#include <string>

// The file that saving to `path` writes: `path` itself, or through every symbolic link on the
// way the file that the last one names (which need not exist yet). False, with `problem` saying
// why, when that exists but is not a regular file, or the links cannot be followed.
bool findSaveTarget(const std::string& path, std::string& target, std::string& problem);

// Makes way at `temporary` for a save's new file. A regular file there is what a save cut short
// (a crash, a kill) left behind: it is removed, and so never written through. False, with
// `problem` saying why, when something else stands there (a link, a FIFO, a folder), which is
// left as it is.
bool clearSaveTemporary(const std::string& temporary, std::string& problem);
