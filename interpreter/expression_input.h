// Answers typed by the user: the line of `lineinput` and the expression of
// `input`, which the debugger uses too. The question is printed with "? "
// after it and the line is read from the host with the input-request flag
// set.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// Reads the answer line into `line` (inputBufferSize bytes). False with
// "Interrupt" and error 53 when the input has ended, with "Line too long!"
// and error 1 for a refused line.
bool readAnswerLine(const char* prompt, char* line);

// Asks until an expression is typed that evaluates without error, each
// failure followed by "Error in input!"; evaluates it in the current frame
// and leaves its first value at the stack top. The answer "escape" (and an
// empty line when `emptyLineEnds`) ends with error 53 and no message; the
// end of the input with "Interrupt" and error 53. Null on error.
header* inputExpression(const char* prompt, bool emptyLineEnds);

}  // namespace kalix
