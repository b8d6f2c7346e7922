// Tracing of user functions statement by statement. Not built yet: the
// state stays off and the `trace` commands say so.
#pragma once

// 0 off; -1 starts with the next top-level line; positive while tracing.
extern int traceState;
// Shows one trace step for the body line that starts at `line`.
void traceStep(char* line);
