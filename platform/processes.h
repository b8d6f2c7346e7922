// Helpers of the child-process services (platform/processes.cpp) that are
// tested on their own.
#pragma once

#include <string>
#include <vector>

// The words of an argument text: blanks and tabs separate, double quotes
// group (and are dropped), \" is a double quote.
std::vector<std::string> splitCommandWords(const char* text);

// The file a program name stands for: a name holding "/" when it exists,
// else the first executable of that name in the directories of PATH; an
// empty text when there is none.
std::string findProgram(const char* name);
