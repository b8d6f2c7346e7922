// The exact long accumulators.
#include "numerics/accumulators.h"

// No accumulator exists yet; there is nothing to empty.
void resetAccumulators() {}
