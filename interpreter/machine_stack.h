// The machine stack of the interpreter's thread. Deep recursion must end
// with a message, not a crash: user-function calls and expressions check
// the stack they use against limits derived from the computation thread's
// stack size, and every call refuses to go on within the reserve of its
// thread's stack end. As a last resort a fault on the guard page (native
// recursion inside a builtin) is caught by a handler on an alternate signal
// stack, which jumps back to the innermost guarded call: a builtin handler
// or the body of a user function. The frames it jumps over are the
// builtin's own and the statements of that body; they must not own heap
// memory a jump would leak (no std::vector, std::string or malloc in a
// builtin that recurses natively).
#pragma once

#include <csetjmp>
#include <cstdint>

#include "base/threads.h"

namespace kalix {

// Bytes of the thread's stack kept free: calls are refused within it.
constexpr int64_t machineStackReserve = int64_t(threadStackSize) / 32;
// Used bytes of the computation thread's stack (getUsedStackSize) at which
// user-function calls stop ("Too many recursions!"): half of it; and at
// which the evaluation of expressions stops: three quarters.
constexpr int64_t recursionStackLimit = int64_t(threadStackSize) / 2;
constexpr int64_t expressionStackLimit = int64_t(threadStackSize) / 4 * 3;

// Whether this thread's machine stack is used up to the reserve.
bool machineStackNearlyExhausted();

// "Stack overflow. Too many recursions?", error 8888.
void reportMachineStackOverflow();

// Runs body(context) so that a fault on the guard page of the machine stack
// returns here: false after such a fault (nothing reported yet), true when
// the body returned.
bool runGuardedAgainstOverflow(void (*body)(void*), void* context);

// The jump target of the innermost guarded call on this thread. A jump that
// abandons guarded frames (a fault in foreign code that had called back
// into the interpreter) puts back the target it started under.
sigjmp_buf* currentOverflowTarget();
void restoreOverflowTarget(sigjmp_buf* target);

}  // namespace kalix
