// GNU readline, opened when the terminal first asks for a line: a run
// from a pipe or a script never loads it (nor the terminal database it
// needs).
#pragma once

#include <cstdio>

#include <readline/history.h>
#include <readline/readline.h>

namespace kalix {

struct ReadlineLibrary {
    decltype(&add_history) addHistory;
    decltype(&rl_callback_handler_install) callbackHandlerInstall;
    decltype(&rl_callback_handler_remove) callbackHandlerRemove;
    decltype(&rl_callback_read_char) callbackReadChar;
    decltype(&rl_completion_matches) completionMatches;
    decltype(&rl_crlf) crlf;
    decltype(&rl_replace_line) replaceLine;
    decltype(&rl_on_new_line) onNewLine;
    decltype(&rl_redisplay) redisplay;
    // The library's variables.
    int* attemptedCompletionOver;
    int* completionAppendCharacter;
    int* catchSignals;
    FILE** outstream;
    rl_completion_func_t** attemptedCompletionFunction;
    char** basicWordBreakCharacters;
};

// The functions and variables; null when the library cannot be opened
// (lines are then read without editing).
const ReadlineLibrary* readlineLibrary();

}  // namespace kalix
