// The exact long accumulators.
#pragma once

// Empties every accumulator (interpreter start).
void resetAccumulators();
