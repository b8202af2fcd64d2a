// The web check's host: shows that a save and a log entry made before the page is reloaded come
// back after it. Each start reads what the start before it left in the shared data folder (kept
// in the browser's storage): the state file, whose shared variable "starts" counts the starts,
// and the log, whose entry names the start that wrote it. Then it counts itself, saves, writes
// its own entry, and prints one line for the check, e.g.
//   start 2: loaded save 1, kept log 1, saved yes
#include <cstdio>
#include <string>

#include "core/core.h"
#include "log/log.h"
#include "platform/os.h"

namespace {

const char* const kFolder = "TumblixStorageCheck";
const std::string kEntry = "saved start ";

// The number of the start that wrote the log's last entry, or "none".
std::string startInLog(const std::string& logPath) {
    std::string log;
    if (platform::readRegularFile(logPath, 1 << 20, log) != platform::FileRead::done) {
        return "none";
    }
    size_t at = log.rfind(kEntry);
    if (at == std::string::npos) {
        return "none";
    }
    size_t digits = at + kEntry.size();
    return log.substr(digits, log.find_first_not_of("0123456789", digits) - digits);
}

}  // namespace

int main() {
    try {
        std::string folder;
        if (!platform::commonDataFolder(kFolder, folder)) {
            std::printf("no data folder\n");
            return 1;
        }
        const std::string statePath = folder + "/starts.state";
        const std::string keptLog = startInLog(folder + "/Log.html");
        Log::open(kFolder);

        Core core([](int) -> Object* { return nullptr; }, [](float) {});
        core.resetScripting();
        lua_State* L = core.getLuaState();
        const bool loaded = core.loadState(statePath);
        lua_getglobal(L, "starts");
        const int previous = static_cast<int>(lua_tonumber(L, -1));
        lua_pop(L, 1);
        lua_pushnumber(L, previous + 1);
        lua_setglobal(L, "starts");
        const bool saved = core.saveState(statePath);
        Log::info(kEntry + std::to_string(previous + 1));

        std::printf("start %d: loaded save %s, kept log %s, saved %s\n", previous + 1,
                    loaded ? std::to_string(previous).c_str() : "none", keptLog.c_str(),
                    saved ? "yes" : "no");
        return 0;
    } catch (int) {
        return 1;  // Log::error has reported it
    }
}
