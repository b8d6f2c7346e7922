// Tracing of user functions statement by statement. Not built yet: the
// state stays off and the `trace` commands say so.
#pragma once

#include "interpreter/state.h"

// Shows one trace step for the body line that starts at `line`.
void traceStep(char* line);
