// What the help shows of user functions: their header, defaults and help
// lines, read from the function area. Call these where the interpreter's
// state may be read: on the computation thread, or inside a hold of the
// hand-over (interpreter/state_hand_over.h).
#pragma once

#include <string>
#include <vector>

#include "interpreter/stack.h"

namespace kalix {

class HelpWriter;

// The help lines of a function: its text lines after the origin lines,
// each without the two-character comment mark and one blank after it.
std::vector<std::string> functionHelpLines(header* function);

// The header "function [flag words] name (parameters)" wrapped at the line
// length, then ")\n". `allFlags` writes every flag word (the help window),
// else only "map" (the help command).
void writeFunctionHeader(HelpWriter& out, header* function, bool allFlags);
// "Default for p : value" for each parameter with a default; an empty
// line before the first. Returns whether there was any.
bool writeFunctionDefaults(HelpWriter& out, header* function);

// The user functions (hidden ones included) in the function area.
std::vector<header*> userFunctions();

}  // namespace kalix
