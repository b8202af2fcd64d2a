#include "log/log.h"

#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/constants.h"
#include "platform/os.h"

using namespace platform;

std::string Log::logPath;

namespace {

const char* const kCaption = "Engine";
const char* const kHeader =
    "<head><title>Engine Log</title></head><body bgcolor=#000000 text=#FFFFFF>"
    "<font size=2 face=Verdana><div align=center><br>";
const char* const kRule = "<hr noshade></p></div>";

const char* const kInfoColour = "FFFFFF";
const char* const kWarningColour = "FFFF00";
const char* const kErrorColour = "FF0000";
const char* const kQuestionColour = "CCCCFF";

// The 24-character asctime form with its newline, day of the month zero-padded:
// "Sun Dec 06 17:45:41 2026\n". The C locale's names are used whatever the user's locale.
std::string timeStamp() {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) {
        return "Thu Jan 01 00:00:00 1970\n";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d\n", days[local->tm_wday % 7],
                  months[local->tm_mon % 12], local->tm_mday, local->tm_hour, local->tm_min,
                  local->tm_sec, local->tm_year + 1900);
    return text;
}

}  // namespace

bool Log::open(const std::string& subDirectory) {
    std::string folder;
    if (!commonDataFolder(subDirectory, folder)) {
        return false;
    }
    logPath = folder + pathSeparator() + "Log.html";
    std::ofstream file(logPath, std::ios::out | std::ios::trunc);
    if (!file.is_open()) {
        return false;
    }
    file << kHeader << kRule;
    return true;
}

void Log::info(const std::string& message) {
    writeEntry(message, kInfoColour, ")");
}

void Log::warning(const std::string& message) {
    messageBox(message, kCaption, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    writeEntry(message, kWarningColour, "<blink>~</blink>");
}

void Log::error(const std::string& message) {
    messageBox(message, kCaption, MB_OK | MB_ICONHAND | MB_SYSTEMMODAL);
    writeEntry(message, kErrorColour, "<blink>!</blink>");
    throw 0;
}

int Log::askYesNo(const std::string& question) {
    static const Answer answers[] = {{IDYES, " [Yes]"}, {IDNO, " [No]"}};
    return ask(question, MB_YESNO, answers);
}

int Log::askRetry(const std::string& question) {
    static const Answer answers[] = {
        {IDCANCEL, " [Cancel]"}, {IDTRYAGAIN, " [Try Again]"}, {IDCONTINUE, " [Continue]"}};
    return ask(question, MB_CANCELTRYCONTINUE, answers);
}

// Only the answers the box can give are logged; anything else (0 when no box appeared) is not.
int Log::ask(const std::string& question, unsigned buttons, std::span<const Answer> answers) {
    int answer = messageBox(question, kCaption, buttons | MB_ICONQUESTION | MB_SYSTEMMODAL);
    for (const Answer& known : answers) {
        if (known.id == answer) {
            writeEntry(question + known.suffix, kQuestionColour, "2");
        }
    }
    return answer;
}

void Log::writeEntry(const std::string& message, const std::string& colour,
                     const std::string& icon) {
    std::ostringstream entry;
    entry << "<font face='webdings' size='6' color=#" << colour << "> " << icon << "</font>"
          << "[<strong><font color=#" << colour << ">" << timeStamp() << "</font></strong>]: "
          << message << "<br>";
    append(entry.str());
}

void Log::append(const std::string& text) {
    if (logPath.empty()) {
        return;
    }
    std::ofstream file(logPath, std::ios::out | std::ios::app);
    if (!file.is_open()) {
        return;
    }
    file.clear();
    file << text;
}
