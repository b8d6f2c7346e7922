// Tracing of user functions line by line, and the inspector that lets the
// user evaluate expressions in the frame of a function that has just
// failed ("trace errors").
#pragma once

#include "interpreter/state.h"

namespace kalix {

// Shows the body line that starts at `line` with the function's name and
// waits for the keys that steer the trace (step, step over, run to the
// return, evaluate, stop, abort).
void traceStep(char* line);

// Clears the error of a failed call and evaluates the expressions the user
// types in its frame, until an empty line or "escape"; the error becomes
// `errorAlreadyReported`.
void inspectFailedCall();

}  // namespace kalix
