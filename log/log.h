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
    // What the engine reports, which may carry words of files, scripts and Lua itself (paths,
    // names, script errors and their tracebacks): its log entry shows it as text, markup
    // characters and all, where a host's own message, given as a string, takes effect as markup.
    // Boxes and standard error show both as they are.
    struct Text {
        std::string text;
    };

    // Creates (or empties) "Log.html" in `subDirectory` of the shared data folder and writes its
    // header; false when the file cannot be opened or the header not written (a full disk: the
    // file is then left empty). The path is kept even then, so later entries try again.
    static bool open(const std::string& subDirectory);

    static void info(const std::string& message);
    static void info(const Text& message);
    // Prints the warning, shows its box and waits for it, then writes the entry.
    static void warning(const std::string& message);
    static void warning(const Text& message);
    // Prints the error, shows its box and waits for it, writes the entry, then throws the int 0,
    // memory running out on the way included.
    [[noreturn]] static void error(const std::string& message);
    [[noreturn]] static void error(const Text& message);
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
    static void close();

    // Arms the last report of a thread that runs out of stack where no error can be raised any
    // more: `message` (one line) goes to standard error and into the log as an error entry, and
    // the process exits with status 1 (platform::armStackOverflowReport). open() and close()
    // keep its log file current. False where the platform cannot make the report.
    static bool armStackOverflowReport(const std::string& message);

    // The log file's full path; empty until open() is called.
    static const std::string& path() { return logPath; }

    // `text` with the characters that HTML reads as markup in an entry (&, <, >) written as
    // entities.
    static std::string escape(const std::string& text);

private:
    // The warning's or the error's report: `shown` on standard error and in the box, `entry` in
    // the log.
    static void warn(const std::string& shown, const std::string& entry);
    [[noreturn]] static void fail(const std::string& shown, const std::string& entry);

    struct Answer {
        int id;
        const char* suffix;
    };
    static int ask(const std::string& question, unsigned buttons, std::span<const Answer> answers);
    static bool rearmStackOverflowReport();

    static std::string logPath;
    static std::string stackOverflowMessage;  // empty while no report is armed
};
