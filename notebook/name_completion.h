// Completion of names for the command-line editor and the status-line help:
// the builtins, user functions, commands and aliases whose names begin with
// a word, and a hint for the name (a user function's header with its help
// line). Called on the GUI thread while the interpreter waits for input, so
// the function area and the tables are read without a lock.
#pragma once

#include <string>
#include <vector>

struct NameCompletion {
    // Shortest first (equal lengths in table order), each name once; at most
    // 128 were collected.
    std::vector<std::string> candidates;
    // The header of the one function named, or the candidates separated by
    // blanks.
    std::string hint;
};

// `word` may hold "\\" before a character (taken plainly) and "__" for "_";
// a word that ends in "(" asks for the hint of the name before it.
NameCompletion completeName(const char* word);

// The help line of a builtin for the hint; empty without a help database.
std::string helpLineOf(const char* name);
