// The engine's one reporting facility. Every report becomes an entry of the HTML file
// "Log.html" once Log::open has named it; warnings, errors and questions also show a message
// box first. Warnings and errors go to standard error as well, one line each ("Engine: " and the
// text, its line breaks as spaces), and so does a question no box could ask. With the
// environment variable TUMBLIX_NO_MESSAGE_BOXES=1 no box is shown at all: each counts as one
// that could not be, so an unattended run never waits for a click. Log::error is the fatal
// path: it raises the int 0, which only the program's entry point catches.
#pragma once

#include <cstddef>
#include <span>
#include <string>

class Log {
public:
    // Creates (or empties) "Log.html" in `subDirectory` of the shared data folder and writes its
    // header; false when the file cannot be opened or the header not written (a full disk: the
    // file is then left empty). The path is kept even then, so later entries try again.
    static bool open(const std::string& subDirectory);

    static void info(const std::string& message);
    // Prints the warning, shows its box and waits for it, then writes the entry.
    static void warning(const std::string& message);
    // Prints the error, shows its box and waits for it, writes the entry, then throws the int 0.
    [[noreturn]] static void error(const std::string& message);
    // Returns the box's answer: IDYES, IDNO, or 0 when no box could be shown.
    static int askYesNo(const std::string& question);
    // Returns the box's answer: IDCANCEL, IDTRYAGAIN, IDCONTINUE, or 0 when no box could be shown.
    static int askRetry(const std::string& question);
    // A box shows a longer text cut to its first kBoxTextLimit bytes (at a character's start)
    // and "…", so that it still fits the screen; the log and standard error keep it whole.
    static constexpr size_t kBoxTextLimit = 2000;

    // Formats one entry: webdings icon in `colour`, bracketed time stamp, then the message as it
    // stands (markup in it takes effect, on purpose).
    static void writeEntry(const std::string& message, const std::string& colour,
                           const std::string& icon);
    // Adds `text` to the end of the log file, opening and closing it each time; dropped while
    // no log is open, when the file cannot be opened, or when it does not fit (a full disk),
    // the file then cut back to where it ended.
    static void append(const std::string& text);

    // Forgets the log file: later entries are dropped until the next open(). The file stays.
    static void close() { logPath.clear(); }

    // The log file's full path; empty until open() is called.
    static const std::string& path() { return logPath; }

private:
    struct Answer {
        int id;
        const char* suffix;
    };
    static int ask(const std::string& question, unsigned buttons, std::span<const Answer> answers);

    static std::string logPath;
};
