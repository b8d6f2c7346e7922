#include "platform/crash_guard.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace kalix {

namespace {

constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t alternateStackSize = 1 << 16;
constexpr int alternateStackCount = 4;
constexpr int supportAddressSize = 256;

// Static stacks: no allocation, and they outlive every thread.
alignas(16) char alternateStacks[alternateStackCount][alternateStackSize];
std::atomic<int> alternateStacksUsed{0};

char supportAddress[supportAddressSize];
std::atomic<int> logDescriptor{-1};
std::atomic<pid_t> childPids[crashChildSlots];
std::atomic<int> childGroups[crashChildSlots];
std::atomic<int> crashing{0};
std::once_flag installOnce;
thread_local int threadPlace = crashInCode;

// Appends `text` at `*length`, leaving room for the terminator.
void append(char* buffer, int size, int* length, const char* text) {
    while (*text && *length < size - 1) buffer[(*length)++] = *text++;
    buffer[*length] = 0;
}

void writeAll(int descriptor, const char* text, size_t length) {
    while (length > 0) {
        ssize_t n = write(descriptor, text, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text += n;
        length -= size_t(n);
    }
}

void endChildren() {
    for (int slot = 0; slot < crashChildSlots; slot++) {
        pid_t pid = childPids[slot].load();
        if (pid <= 0) continue;
        if (childGroups[slot].load()) kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
    }
}

void onCrash(int signal, siginfo_t*, void*) {
    // A second fault (another thread, or inside this handler) waits for
    // the first report to end the process.
    if (crashing.exchange(1)) {
        for (;;) pause();
    }
    endChildren();
    char report[1024];
    int length = formatCrashReport(report, sizeof report, unsigned(signal), CrashPlace(threadPlace),
                                   supportAddress);
    report[length++] = '\n';
    writeAll(STDERR_FILENO, report, size_t(length));
    int log = logDescriptor.load();
    if (log >= 0) writeAll(log, report, size_t(length));
    _exit(128 + signal);
}

void installHandlers() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onCrash;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int s : crashSignals) sigaddset(&action.sa_mask, s);
    for (int s : crashSignals) sigaction(s, &action, nullptr);
}

}  // namespace

int formatCrashReport(char* buffer, int size, unsigned code, CrashPlace place,
                      const char* address) {
    int length = 0;
    buffer[0] = 0;
    char hex[16];
    int digits = 0;
    do {
        hex[digits++] = "0123456789abcdef"[code & 15];
        code >>= 4;
    } while (code);
    char number[16];
    for (int i = 0; i < digits; i++) number[i] = hex[digits - 1 - i];
    number[digits] = 0;
    append(buffer, size, &length, "Sorry, Kalix crashed (Code ");
    append(buffer, size, &length, number);
    append(buffer, size, &length, place == crashInGui ? ", in GUI" : ", in Code");
    append(buffer, size, &length,
           ")!\n\nPlease help me to remove this bug and\nreport the crash with sufficient "
           "details to\n\n");
    if (address && address[0]) {
        append(buffer, size, &length, address);
        append(buffer, size, &length, "\n\n");
    }
    append(buffer, size, &length, "Thank you!");
    return length;
}

void prepareCrashGuardThread(CrashPlace place) {
    threadPlace = place;
    stack_t current;
    if (sigaltstack(nullptr, &current) != 0 || !(current.ss_flags & SS_DISABLE)) return;
    int index = alternateStacksUsed.fetch_add(1);
    if (index >= alternateStackCount) return;
    stack_t alternate;
    alternate.ss_sp = alternateStacks[index];
    alternate.ss_size = alternateStackSize;
    alternate.ss_flags = 0;
    sigaltstack(&alternate, nullptr);
}

void installCrashGuard(const char* address) {
    std::strncpy(supportAddress, address ? address : "", supportAddressSize - 1);
    prepareCrashGuardThread(crashInGui);
    std::call_once(installOnce, installHandlers);
}

void setCrashLogDescriptor(int descriptor) { logDescriptor = descriptor; }

void setCrashChildProcess(CrashChild slot, pid_t pid, int group) {
    childGroups[slot] = group;
    childPids[slot] = pid;
}

void endRecordedChildren() { endChildren(); }

}  // namespace kalix
