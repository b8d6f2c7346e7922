// Printing values the way the notebook shows results, the one-line
// variable descriptions, the name listings and the hex-dump helpers.
#pragma once

#include <string>

#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// Prints a value by its kind; returns the previous `errorsOff`, which is
// restored (printing sets it while it runs).
int printValue(header* value);

// One summary line: the name in 20 characters, then the value or its type.
void describeVariable(header* value);
// The name followed by blanks up to 20 characters, the column of listings.
std::string nameColumn(const char* name);

// The functions, variables, commands and Maxima names containing the text;
// returns the number found.
int listNames(const char* text);

// The variables containing the text (all user variables for an empty text);
// returns the number of lines shown.
int listVariables(const char* text);

// Hex-dump helpers.
void printHexDigit(int d);
void printHexByte(int b);
int printByteChars(const unsigned char* bytes, int n);

}  // namespace kalix
