// What the interpreter asks of the Maxima bridge. The bridge lives above
// the interpreter (engines/) and installs its entry points at start with
// setMaximaBridge; until then every Maxima line, symbolic form and Maxima
// command is answered with "Maxima is not available." and error 1.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// How a reply is used (sendToMaxima).
enum MaximaReplyKind {
    maximaReplyDropped = 0,
    maximaReplyPrinted = 1,
    maximaReplyCollected = 2,
    maximaReplyContinued = 3,  // continuation line: no reply after the last piece
    maximaReplyInternal = 4,
};

// The rewriting sendToMaxima applies before sending.
enum MaximaConversion {
    maximaAsTyped = 0,
    maximaMatrixAndVariables = 1,
    maximaMatrixVariablesPercent = 2,  // also "%" names and ":=" -> ":"
    maximaOnePiece = 3,                // the whole text as one piece
    maximaSingleUnderscores = 4,       // "__" -> "_"
};

struct MaximaBridge {
    void (*collectDirectModeLine)();
    void (*translateCompatibilityLine)();
    void (*clearStatementFlags)();
    void (*sendMaximaLine)(const char* line, int conversion);
    void (*sendToMaxima)(const char* text, int kind, int conversion);
    const char* (*askMaxima)(const char* text, int depth, int doubleUnderscores);
    const char* (*convertToMaxima)(header* value, const char* prefix, int asFraction);
    const char* (*substituteMaximaVariables)(const char* text, int allowPercent);
    const char* (*getTexFromMaxima)(const char* expression);
    const char* (*getTexReplyFromMaxima)(const char* expression);
    int (*findMaximaFunctions)(const char* word, char* completion, char* help, int index);
    int (*isMaximaRunning)();
    void (*maximamodeCommand)();
    void (*mxmhelpCommand)();
};

void setMaximaBridge(const MaximaBridge* bridge);

// The rest of the current line in direct or compatibility syntax.
void collectDirectModeLine();
void translateCompatibilityLine();
// Clears the compatibility translator's per-statement state.
void clearMaximaStatementFlags();
// Sends one displayed line (reply printed).
void sendMaximaLine(const char* text, int conversion);
// Sends a text; `kind` is a MaximaReplyKind, `conversion` a MaximaConversion.
void sendToMaxima(const char* text, int kind, int conversion);
// Maxima's answer in one line; "" on failure (errorCode set). Answers up
// to `depth` questions of Maxima itself.
const char* askMaxima(const char* text, int depth, int doubleUnderscores);
// The value in Maxima syntax after the prefix (null: none); "" on failure.
const char* convertToMaxima(header* value, const char* prefix, int asFraction);
const char* substituteMaximaVariables(const char* text, int allowPercent);
// The TeX form of an expression, or null when Maxima gives none.
const char* getTexFromMaxima(const char* expression);
// Maxima's whole reply to "tex(" expression ");" (the TeX form stands
// between its first two "$$"); "" with errorCode set when Maxima could not
// answer.
const char* getTexReplyFromMaxima(const char* expression);
// Completion and status help from Maxima's function list (see the bridge);
// `completion` and `help` hold 32 KB.
int findMaximaFunctions(const char* word, char* completion, char* help, int index);
int isMaximaRunning();
// Commands `maximamode` and `mxmhelp`.
void maximamodeCommand();
void mxmhelpCommand();

}  // namespace kalix
