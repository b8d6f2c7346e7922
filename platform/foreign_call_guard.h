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

// Runs call(context). Returns 0 when it returned, else the number of the
// signal that ended it. Guarded calls nest; the innermost one gets the jump.
// The frames between this call and the fault are abandoned: no destructors
// run and nothing they locked is unlocked, so the code behind a guard that
// faulted must not be trusted afterwards (the caller decides).
int runGuardedForeignCall(void (*call)(void*), void* context);
