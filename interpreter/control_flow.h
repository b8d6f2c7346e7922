// Conditionals and loops: the block keywords of the command table. There is
// no block structure in memory: a loop command runs its own body by calling
// executeNextStatement repeatedly, and a false condition or a `break` scans
// forward to the matching keyword. At the top level a construct must stand
// in one input line; in a stored function body it may span lines, and each
// command token carries a jump cache that later passes use instead of
// scanning.
#pragma once

#include <cstdint>
#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// Block scanners: each starts at `scanPointer` and leaves it after the
// keyword it found; on a missing keyword they report error 110.
// skipToElse returns 1 when it stopped after an `elseif`, 0 after an `else`
// or `endif` (or on error); with a cache slot it stores the distance from
// `start` to where it stopped (the slot is the 4 bytes of a command
// token's cache, possibly unaligned).
int skipToElse(char* start, char* cacheSlot);
void skipToEndif();
void findLoopEnd();

// Whether a condition value holds: nonzero reals (NaN too), complex values
// other than 0, strings not empty and not a marker; matrices only when
// "conditionvectors" is on (every element nonzero). Reports other kinds.
int isConditionTrue(header* record);

}  // namespace kalix
