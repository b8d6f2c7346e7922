// The interpreter's side of the Maxima bridge: every call goes to the
// installed bridge, or says that there is none.
#include "interpreter/maxima_services.h"

#include <cstring>

#include "interpreter/output.h"
#include "interpreter/scanner.h"

namespace kalix {

static const MaximaBridge* bridge = nullptr;

void setMaximaBridge(const MaximaBridge* installed) { bridge = installed; }

static const char* const notAvailable = "Maxima is not available.\n";

// Without a bridge a Maxima line is consumed and refused.
static void refuseLine() {
    scanPointer += std::strlen(scanPointer);
    fail(errorFailed, "%s", notAvailable);
}

void collectDirectModeLine() {
    if (!bridge) return refuseLine();
    bridge->collectDirectModeLine();
}

void translateCompatibilityLine() {
    if (!bridge) return refuseLine();
    bridge->translateCompatibilityLine();
}

void clearMaximaStatementFlags() {
    if (bridge) bridge->clearStatementFlags();
}

void sendMaximaLine(const char* text, int conversion) {
    if (!bridge) return fail(errorFailed, "%s", notAvailable);
    bridge->sendMaximaLine(text, conversion);
}

void sendToMaxima(const char* text, int kind, int conversion) {
    if (!bridge) return fail(errorFailed, "%s", notAvailable);
    bridge->sendToMaxima(text, kind, conversion);
}

const char* askMaxima(const char* text, int depth, int doubleUnderscores) {
    if (!bridge) {
        fail(errorFailed, "%s", notAvailable);
        return "";
    }
    return bridge->askMaxima(text, depth, doubleUnderscores);
}

const char* convertToMaxima(header* value, const char* prefix, int asFraction) {
    if (!bridge) {
        fail(errorFailed, "%s", notAvailable);
        return "";
    }
    return bridge->convertToMaxima(value, prefix, asFraction);
}

const char* substituteMaximaVariables(const char* text, int allowPercent) {
    if (!bridge) {
        fail(errorFailed, "%s", notAvailable);
        return "";
    }
    return bridge->substituteMaximaVariables(text, allowPercent);
}

const char* getTexFromMaxima(const char* expression) {
    return bridge ? bridge->getTexFromMaxima(expression) : nullptr;
}

const char* getTexReplyFromMaxima(const char* expression) {
    if (!bridge) {
        fail(errorFailed, "%s", notAvailable);
        return "";
    }
    return bridge->getTexReplyFromMaxima(expression);
}

int findMaximaFunctions(const char* word, char* completion, char* help, int index) {
    completion[0] = help[0] = 0;
    return bridge ? bridge->findMaximaFunctions(word, completion, help, index) : 0;
}

int isMaximaRunning() { return bridge ? bridge->isMaximaRunning() : 0; }

void maximamodeCommand() {
    if (!bridge) return refuseLine();
    bridge->maximamodeCommand();
}

void mxmhelpCommand() {
    if (!bridge) return refuseLine();
    bridge->mxmhelpCommand();
}

}  // namespace kalix
