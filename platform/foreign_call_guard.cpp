// Signal handlers that turn a fault inside foreign code into a return.
#include "platform/foreign_call_guard.h"

#include <pthread.h>

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace kalix {

namespace {

constexpr int guardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int guardedSignalCount = sizeof guardedSignals / sizeof guardedSignals[0];
constexpr size_t alternateStackSize = 1 << 16;

struct sigaction previousActions[guardedSignalCount];
std::once_flag handlersOnce;
thread_local sigjmp_buf* guardTarget = nullptr;
thread_local bool threadPrepared = false;

int signalSlot(int signal) {
    for (int i = 0; i < guardedSignalCount; i++)
        if (guardedSignals[i] == signal) return i;
    return -1;
}

// Not inside a guarded call: the earlier handling applies.
void passOn(int signal, siginfo_t* info, void* context) {
    int slot = signalSlot(signal);
    if (slot >= 0) passSignalOn(previousActions[slot], signal, info, context);
}

std::atomic<bool (*)(int)> threadFaultHandler{nullptr};

void onFatalSignal(int signal, siginfo_t* info, void* context) {
    if (sigjmp_buf* target = guardTarget) siglongjmp(*target, signal);
    bool (*handler)(int) = threadFaultHandler.load();
    if (info->si_code > 0 && handler && handler(signal)) {
        // The thread's state cannot be trusted: it never runs again.
        sigset_t none;
        sigemptyset(&none);
        for (;;) sigsuspend(&none);
    }
    passOn(signal, info, context);
}

// Sent by abandonGuardedCall: ignored outside a guarded call.
void onAbandon(int signal, siginfo_t*, void*) {
    if (sigjmp_buf* target = guardTarget) siglongjmp(*target, signal);
}

void installHandlers() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onFatalSignal;
    // SA_NODEFER: the jump leaves the handler, so the signal must not stay
    // blocked afterwards.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < guardedSignalCount; i++)
        sigaction(guardedSignals[i], &action, &previousActions[i]);
    action.sa_sigaction = onAbandon;
    sigaction(SIGUSR2, &action, nullptr);
}

// A fault on an exhausted machine stack needs a stack of its own to run the
// handler on; an alternate stack someone else set up serves as well.
void prepareThread() {
    threadPrepared = true;
    stack_t current;
    if (sigaltstack(nullptr, &current) != 0 || !(current.ss_flags & SS_DISABLE)) return;
    // Kept for the life of the thread.
    void* memory = std::malloc(alternateStackSize);
    if (!memory) return;
    stack_t alternate;
    alternate.ss_sp = memory;
    alternate.ss_size = alternateStackSize;
    alternate.ss_flags = 0;
    if (sigaltstack(&alternate, nullptr) != 0) std::free(memory);
}

// The jump left from the signal stack, where the address sanitizer cannot
// clear the marks of the frames it abandoned; they are cleared here (the
// whole stack below this frame), else their reuse would look like an
// overflow.
void clearAbandonedFrames() {
#if defined(__SANITIZE_ADDRESS__)
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
    void* low = nullptr;
    size_t size = 0;
    char here;
    if (pthread_attr_getstack(&attributes, &low, &size) == 0 && &here > low)
        __asan_unpoison_memory_region(low, size_t(&here - static_cast<char*>(low)));
    pthread_attr_destroy(&attributes);
#endif
}

}  // namespace

void passSignalOn(const struct sigaction& previous, int signal, siginfo_t* info, void* context) {
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    struct sigaction fallback;
    std::memset(&fallback, 0, sizeof fallback);
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    // A signal sent by kill or raise does not come again by itself.
    if (info->si_code <= 0) raise(signal);
}

int runGuardedForeignCall(void (*call)(void*), void* context) {
    if (!threadPrepared) prepareThread();
    std::call_once(handlersOnce, installHandlers);
    sigjmp_buf jump;
    sigjmp_buf* outer = guardTarget;
    // The signal mask is not saved: SA_NODEFER leaves it as it was.
    int signal = sigsetjmp(jump, 0);
    if (signal == 0) {
        guardTarget = &jump;
        call(context);
    } else {
        clearAbandonedFrames();
    }
    guardTarget = outer;
    return signal;
}

void setForeignThreadFaultHandler(bool (*handler)(int signal)) {
    std::call_once(handlersOnce, installHandlers);
    threadFaultHandler = handler;
}

void abandonGuardedCall(pthread_t thread) { pthread_kill(thread, SIGUSR2); }

}  // namespace kalix
