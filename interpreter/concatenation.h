// The operators that build matrices out of others: the horizontal join "|"
// (also string concatenation), the vertical join "_", the range a:d:b and
// the transpose "'"; and the in-place promotion of a real argument to
// complex that several builtins share.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// a | b: side by side (rows padded: a scalar repeats, a matrix pads with
// zeros), or strings and string vectors joined. Result over `first`.
void concatenateHorizontally(header* first);

// a _ b: stacked (short rows padded as above). Result over `first`.
void concatenateVertically(header* first);

// start:step:end with the three records consecutive from `start`; a 1 x n
// real row vector over `start`. The evaluator passes a real 1 as the step of
// a:b.
void buildRangeVector(header* start);

// a': the transposed matrix (complex elements are not conjugated); scalars
// unchanged. Result over `operand`.
void transposeValue(header* operand);

// Moves a value down over `first` as it stands (a scalar transposed, a
// string joined with an empty matrix). The value may be a variable: the
// result takes its contents but neither its name nor its flags beyond
// `keptFlags` (protection).
void moveValueAsResult(header* first, header* value, int32_t keptFlags);

// Rewrites the argument record in place as complex (imaginary parts 0). The
// records above it move up by the growth and `newram` with them, so pointers
// to them must be taken again (`nextValue`). A complex record is left alone.
// Errors: interval (1), not numeric (26), no room ("Memory overflow!", 180).
void promoteToComplex(header* argument);
// The same for intervals: a real x becomes [x, x]. References and views are
// taken like promoteToComplex takes them (their value is converted, the
// variable is left alone), where promoteToInterval takes plain records only.
// Errors: complex (1), not numeric (1), no room ("Memory overflow!", 180).
void promoteArgumentToInterval(header* argument);

}  // namespace kalix
