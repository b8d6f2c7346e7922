// A guard around calls into code Kalix did not write (user libraries, C
// functions compiled at run time, the Python bridge): a fatal signal raised
// inside such a call (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) returns to
// the call site instead of ending the program.
//
// The handlers run on an alternate signal stack and are installed once; they
// act only while a guarded call runs on the faulting thread. Any other
// fault goes to the handling that was in place before (the machine-stack
// guard, a sanitizer, the default crash), so whoever installs an earlier
// handler of SIGSEGV must have done so before the first guarded call.
#pragma once

#include <pthread.h>

#include <csignal>

namespace kalix {

// Runs call(context). Returns 0 when it returned, else the number of the
// signal that ended it. Guarded calls nest; the innermost one gets the jump.
// The frames between this call and the fault are abandoned: no destructors
// run and nothing they locked is unlocked, so the code behind a guard that
// faulted must not be trusted afterwards (the caller decides).
int runGuardedForeignCall(void (*call)(void*), void* context);

// Hands a fatal signal a guard does not take to the handling that was in
// place before it: that handler is called directly; a default or ignored
// disposition becomes the default again, which the faulting instruction,
// run again, or a signal sent by kill or raise, raised again, then gets.
void passSignalOn(const struct sigaction& previous, int signal, siginfo_t* info, void* context);

// A fault outside every guarded call, on a thread that `handler` (called
// in the signal handler, so it must be async-signal-safe) claims by
// returning true: that thread is parked for good instead of ending the
// program. Threads the handler does not claim go on to the earlier
// handling.
void setForeignThreadFaultHandler(bool (*handler)(int signal));

// Ends the guarded call running on `thread` as a fault would (its guard
// returns SIGUSR2); does nothing when none runs there. Async-signal-safe.
void abandonGuardedCall(pthread_t thread);

}  // namespace kalix
