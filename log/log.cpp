#include "log/log.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <new>
#include <utility>

#include "platform/constants.h"
#include "platform/os.h"

using namespace platform;

std::string Log::logPath;
std::string Log::stackOverflowMessage;

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
const char* const kErrorIcon = "<blink>!</blink>";

// An entry in the parts before and after its time stamp.
std::pair<std::string, std::string> entryParts(const std::string& message,
                                               const std::string& colour, const std::string& icon) {
    return {"<font face='webdings' size='6' color=#" + colour + "> " + icon + "</font>" +
                "[<strong><font color=#" + colour + ">",
            "</font></strong>]: " + message + "<br>"};
}

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

// "Engine: " and `text` on one line of standard error: its lines, stripped of the blanks at
// either end, joined by single spaces (empty ones dropped).
void printLine(const std::string& text) {
    std::string line = std::string(kCaption) + ":";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        size_t first = text.find_first_not_of(" \t", start);
        if (first < end) {
            size_t last = text.find_last_not_of(" \t", end - 1);
            line += ' ';
            line.append(text, first, last + 1 - first);
        }
        start = end + 1;
    }
    line += '\n';
    std::fputs(line.c_str(), stderr);
}

// Cut at a character's first byte, never inside one of UTF-8.
std::string boxText(const std::string& text) {
    if (text.size() <= Log::kBoxTextLimit) {
        return text;
    }
    size_t end = Log::kBoxTextLimit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end) + "\xE2\x80\xA6";
}

// The box's answer, or 0 when it cannot be shown or boxes are turned off.
int showBox(const std::string& text, uint32_t style) {
    const char* noBoxes = std::getenv("TUMBLIX_NO_MESSAGE_BOXES");
    if (noBoxes != nullptr && *noBoxes != '\0' && std::string(noBoxes) != "0") {
        return 0;
    }
    return messageBox(boxText(text), kCaption, style);
}

}  // namespace

bool Log::open(const std::string& subDirectory) {
    std::string folder;
    if (!commonDataFolder(subDirectory, folder)) {
        return false;
    }
    logPath = folder + pathSeparator() + "Log.html";
    rearmStackOverflowReport();
    std::ofstream file(logPath, std::ios::out | std::ios::trunc);
    if (!file.is_open()) {
        return false;
    }
    file.close();
    return appendToFile(logPath, std::string(kHeader) + kRule);
}

void Log::close() {
    logPath.clear();
    rearmStackOverflowReport();
}

bool Log::armStackOverflowReport(const std::string& message) {
    stackOverflowMessage = message;
    return rearmStackOverflowReport();
}

bool Log::rearmStackOverflowReport() {
    if (stackOverflowMessage.empty()) {
        return false;
    }
    const auto [head, tail] = entryParts(stackOverflowMessage, kErrorColour, kErrorIcon);
    return platform::armStackOverflowReport(
        std::string(kCaption) + ": " + stackOverflowMessage + "\n", logPath, head, tail);
}

void Log::info(const std::string& message) {
    writeEntry(message, kInfoColour, ")");
}

void Log::info(const Text& message) {
    info(escape(message.text));
}

void Log::warning(const std::string& message) {
    warn(message, message);
}

void Log::warning(const Text& message) {
    warn(message.text, escape(message.text));
}

void Log::error(const std::string& message) {
    fail(message, message);
}

void Log::error(const Text& message) {
    fail(message.text, escape(message.text));
}

void Log::warn(const std::string& shown, const std::string& entry) {
    printLine(shown);
    showBox(shown, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    writeEntry(entry, kWarningColour, "<blink>~</blink>");
}

void Log::fail(const std::string& shown, const std::string& entry) {
    try {
        printLine(shown);
        showBox(shown, MB_OK | MB_ICONHAND | MB_SYSTEMMODAL);
        writeEntry(entry, kErrorColour, kErrorIcon);
    } catch (const std::bad_alloc&) {
        // Out of memory, where the report could not be put together: the message as it stands.
        std::fputs(kCaption, stderr);
        std::fputs(": ", stderr);
        std::fputs(shown.c_str(), stderr);
        std::fputs("\n", stderr);
    }
    throw 0;
}

std::string Log::escape(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
                break;
        }
    }
    return escaped;
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
// A question that no box could ask goes to standard error, to be seen all the same.
int Log::ask(const std::string& question, unsigned buttons, std::span<const Answer> answers) {
    int answer = showBox(question, buttons | MB_ICONQUESTION | MB_SYSTEMMODAL);
    if (answer == 0) {
        printLine(question);
    }
    for (const Answer& known : answers) {
        if (known.id == answer) {
            writeEntry(question + known.suffix, kQuestionColour, "2");
        }
    }
    return answer;
}

void Log::writeEntry(const std::string& message, const std::string& colour,
                     const std::string& icon) {
    const auto [head, tail] = entryParts(message, colour, icon);
    append(head + timeStamp() + tail);
}

void Log::append(const std::string& text) {
    if (logPath.empty()) {
        return;
    }
    // All or nothing: a text cut short by a full disk would leave half a tag, and the entries
    // after it, once there is room again, would run on inside it.
    appendToFile(logPath, text);
}
