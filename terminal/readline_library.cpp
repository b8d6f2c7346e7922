#include "terminal/readline_library.h"

#include <string>

#include "numerics/shared_library.h"

namespace kalix {

static bool openReadline(ReadlineLibrary& f, std::string& error) {
    return openSharedLibrary(
        {"libreadline.so.8"},
        {librarySymbol("add_history", f.addHistory),
         librarySymbol("rl_callback_handler_install", f.callbackHandlerInstall),
         librarySymbol("rl_callback_handler_remove", f.callbackHandlerRemove),
         librarySymbol("rl_callback_read_char", f.callbackReadChar),
         librarySymbol("rl_completion_matches", f.completionMatches),
         librarySymbol("rl_crlf", f.crlf), librarySymbol("rl_replace_line", f.replaceLine),
         librarySymbol("rl_on_new_line", f.onNewLine), librarySymbol("rl_redisplay", f.redisplay),
         librarySymbol("rl_attempted_completion_over", f.attemptedCompletionOver),
         librarySymbol("rl_completion_append_character", f.completionAppendCharacter),
         librarySymbol("rl_catch_signals", f.catchSignals),
         librarySymbol("rl_outstream", f.outstream),
         librarySymbol("rl_attempted_completion_function", f.attemptedCompletionFunction),
         librarySymbol("rl_basic_word_break_characters", f.basicWordBreakCharacters)},
        error);
}

const ReadlineLibrary* readlineLibrary() {
    static LibraryTable<ReadlineLibrary> library(openReadline);
    return library.get();
}

}  // namespace kalix
