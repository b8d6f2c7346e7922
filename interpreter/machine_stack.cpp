// The machine stack: its bounds, the limits and the guard against a fault
// on its guard page.
#include "interpreter/machine_stack.h"

#include <pthread.h>
#include <csetjmp>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "interpreter/output.h"
#include "platform/foreign_call_guard.h"

namespace kalix {

namespace {

constexpr size_t guardReach = 1 << 20;  // faults this far below the stack count
constexpr size_t alternateStackSize = 1 << 16;

struct ThreadStack {
    char* low;
    char* high;
    int state;  // 0 unknown yet, 1 known, -1 cannot be read
};
thread_local ThreadStack threadStack = {nullptr, nullptr, 0};
thread_local sigjmp_buf* overflowTarget = nullptr;
thread_local char* alternateStack = nullptr;
struct sigaction previousSegvAction;
std::once_flag segvHandlerOnce;

void onSegv(int signal, siginfo_t* info, void* context) {
    char* address = static_cast<char*>(info->si_addr);
    const ThreadStack& s = threadStack;
    bool sent = info->si_code <= 0;  // by kill or raise, not by a fault
    if (!sent && overflowTarget && s.state == 1 && address < s.low + 65536 &&
        address + guardReach >= s.low)
        siglongjmp(*overflowTarget, 1);
    // Not a stack overflow of a running call: the earlier handling applies.
    passSignalOn(previousSegvAction, signal, info, context);
}

void installSegvHandler() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onSegv;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, &previousSegvAction);
}

// Reads the bounds of this thread's stack and gives it an alternate signal
// stack; once per thread.
void prepareThreadStack() {
    ThreadStack& s = threadStack;
    s.state = -1;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
    void* address = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attributes, &address, &size) == 0 &&
        size > 2 * size_t(machineStackReserve)) {
        s.low = static_cast<char*>(address);
        s.high = s.low + size;
        s.state = 1;
    }
    pthread_attr_destroy(&attributes);
    if (s.state != 1) return;
    // An alternate stack set up by someone else (a crash guard, a
    // sanitizer) serves as well.
    stack_t current;
    if (sigaltstack(nullptr, &current) != 0) return;
    if (current.ss_flags & SS_DISABLE) {
        alternateStack = static_cast<char*>(std::malloc(alternateStackSize));
        if (!alternateStack) return;
        stack_t alternate;
        alternate.ss_sp = alternateStack;
        alternate.ss_size = alternateStackSize;
        alternate.ss_flags = 0;
        if (sigaltstack(&alternate, nullptr) != 0) return;
    }
    std::call_once(segvHandlerOnce, installSegvHandler);
}

}  // namespace

bool machineStackNearlyExhausted() {
    if (threadStack.state == 0) prepareThreadStack();
    char here;
    return threadStack.state == 1 && size_t(&here - threadStack.low) < size_t(machineStackReserve);
}

void reportMachineStackOverflow() {
    fail(errorRecursion, "Stack overflow. Too many recursions?\n");
}

bool runGuardedAgainstOverflow(void (*body)(void*), void* context) {
    sigjmp_buf jump;
    sigjmp_buf* outer = overflowTarget;
    bool returned = true;
    if (sigsetjmp(jump, 0) == 0) {
        overflowTarget = &jump;
        body(context);
    } else {
        returned = false;
    }
    overflowTarget = outer;
    return returned;
}

sigjmp_buf* currentOverflowTarget() { return overflowTarget; }

void restoreOverflowTarget(sigjmp_buf* target) { overflowTarget = target; }

}  // namespace kalix
