// The stack services of POSIX systems (with the GNU pthread_getattr_np): how much of the
// calling thread's stack is left, and the last report of a thread that runs out of it, made by
// a SIGSEGV handler on a signal stack of its own.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/os.h"

namespace {

// The calling thread's stack, looked up once per thread; read by the fault handler too, which
// must never look it up itself.
struct StackBounds {
    bool looked = false;
    bool known = false;
    uintptr_t low = 0;
    size_t size = 0;
};
thread_local StackBounds threadStack;

const StackBounds& stackBounds() {
    if (!threadStack.looked) {
        threadStack.looked = true;
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
            void* address = nullptr;
            size_t size = 0;
            if (pthread_attr_getstack(&attributes, &address, &size) == 0 && size > 0) {
                threadStack.known = true;
                threadStack.low = reinterpret_cast<uintptr_t>(address);
                threadStack.size = size;
            }
            pthread_attr_destroy(&attributes);
        }
    }
    return threadStack;
}

// A fault this far below the stack's end, or this far into its lowest part (where a guard page
// may lie), is the stack running out: the kernel keeps a gap of 1 MB below a growing stack, and
// a large frame can skip a page or more.
constexpr uintptr_t kBelowStack = 1024 * 1024;
constexpr uintptr_t kIntoStack = 64 * 1024;

struct Report {
    std::string text;
    std::string logPath;
    std::string entryHead;
    std::string entryTail;
    long utcOffset = 0;  // seconds east of UTC when armed: local time cannot be read in a handler
};
std::atomic<const Report*> armedReport{nullptr};
struct sigaction previousAction {};

// The signal stack this file set up for a thread, given back when the thread ends.
class SignalStack {
public:
    ~SignalStack() {
        stack_t current{};
        if (memory != nullptr && sigaltstack(nullptr, &current) == 0 && current.ss_sp == memory) {
            stack_t off{};
            off.ss_flags = SS_DISABLE;
            sigaltstack(&off, nullptr);
            std::free(memory);
        }
    }
    // True when the thread has a signal stack, its own or this one.
    bool ensure() {
        stack_t current{};
        if (sigaltstack(nullptr, &current) != 0) {
            return false;
        }
        if ((current.ss_flags & SS_DISABLE) == 0) {
            return true;
        }
        const size_t size = std::max<size_t>(64 * 1024, SIGSTKSZ);
        memory = std::malloc(size);
        stack_t mine{};
        mine.ss_sp = memory;
        mine.ss_size = size;
        if (memory == nullptr || sigaltstack(&mine, nullptr) != 0) {
            std::free(memory);
            memory = nullptr;
            return false;
        }
        return true;
    }

private:
    void* memory = nullptr;
};
thread_local SignalStack signalStack;

void writeAll(int descriptor, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void writeAll(int descriptor, const std::string& text) {
    writeAll(descriptor, text.data(), text.size());
}

void putDigits(char* at, long value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// "Sun Dec 06 17:45:41 2026\n" for `seconds` since 1970 (local), by arithmetic alone: the
// civil date of a day number as in H. Hinnant's days_from_civil, inverted.
void formatStamp(long long seconds, char (&stamp)[25]) {
    static const char days[] = "SunMonTueWedThuFriSat";
    static const char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    long long day = seconds / 86400;
    long long second = seconds % 86400;
    if (second < 0) {
        second += 86400;
        --day;
    }
    const long long weekday = ((day % 7) + 11) % 7;  // 1970-01-01 was a Thursday
    const long long shifted = day + 719468;
    const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const long long dayOfEra = shifted - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;  // from March
    const long long dayOfMonth = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    char* at = stamp;
    std::copy_n(days + 3 * weekday, 3, at);
    at[3] = ' ';
    std::copy_n(months + 3 * (month - 1), 3, at + 4);
    at[7] = ' ';
    putDigits(at + 8, static_cast<long>(dayOfMonth), 2);
    at[10] = ' ';
    putDigits(at + 11, static_cast<long>(second / 3600), 2);
    at[13] = ':';
    putDigits(at + 14, static_cast<long>(second / 60 % 60), 2);
    at[16] = ':';
    putDigits(at + 17, static_cast<long>(second % 60), 2);
    at[19] = ' ';
    putDigits(at + 20, static_cast<long>(std::clamp(year, 0LL, 9999LL)), 4);
    at[24] = '\n';
}

// Async-signal-safe throughout: write, open, close, time, _exit and plain memory.
void onFault(int signal, siginfo_t* info, void*) {
    const Report* report = armedReport.load();
    const StackBounds& stack = threadStack;
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    if (report != nullptr && stack.known && address + kBelowStack >= stack.low &&
        address < stack.low + kIntoStack) {
        writeAll(STDERR_FILENO, report->text);
        const int log =
            report->logPath.empty()
                ? -1
                : ::open(report->logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (log >= 0) {
            char stamp[25];
            formatStamp(static_cast<long long>(std::time(nullptr)) + report->utcOffset, stamp);
            writeAll(log, report->entryHead);
            writeAll(log, stamp, sizeof stamp);
            writeAll(log, report->entryTail);
            ::close(log);
        }
        _exit(EXIT_FAILURE);
    }
    // Not ours: the fault comes again on return, to what handled it before.
    const int error = errno;
    struct sigaction before = previousAction;
    if ((before.sa_flags & SA_SIGINFO) == 0 && before.sa_handler == SIG_IGN) {
        before.sa_handler = SIG_DFL;  // an ignored fault would come back for ever
    }
    sigaction(signal, &before, nullptr);
    errno = error;
}

bool installHandler() {
    struct sigaction current {};
    if (sigaction(SIGSEGV, nullptr, &current) != 0) {
        return false;
    }
    if ((current.sa_flags & SA_SIGINFO) != 0 && current.sa_sigaction == onFault) {
        return true;
    }
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    previousAction = current;
    return sigaction(SIGSEGV, &action, nullptr) == 0;
}

}  // namespace

namespace platform {

StackRoom stackRoom() {
    const StackBounds& stack = stackBounds();
    const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (!stack.known || frame < stack.low || frame - stack.low > stack.size) {
        return {};  // on a stack of the host's own making (a fiber): nothing known of it
    }
    return {frame - stack.low, stack.size};
}

bool armStackOverflowReport(const std::string& text, const std::string& logPath,
                            const std::string& entryHead, const std::string& entryTail) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    auto* report = new Report{text, logPath, entryHead, entryTail,
                              localtime_r(&now, &local) != nullptr ? local.tm_gmtoff : 0};
    delete armedReport.exchange(report);
    return stackBounds().known && signalStack.ensure() && installHandler();
}

}  // namespace platform
