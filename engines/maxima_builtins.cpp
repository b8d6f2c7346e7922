// The Maxima builtins: mxm, tex, convertmxm, mxmstart, mxmstop, and the
// constants of Maxima's answers (%pi, %e, %i), so that a symbolic result
// can be evaluated numerically.
#include <cstring>
#include <string>

#include "engines/maxima_commands.h"
#include "engines/maxima_conversions.h"
#include "engines/maxima_session.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

// The string argument's text, or false with "Need string for <name>".
bool stringArgumentText(header* first, const char* name, std::string* text) {
    header* value = stringArgument(first, "string", name);
    if (!value) return false;
    text->assign(stringOf(value));
    return true;
}

void replaceWithText(header* first, const std::string& text) {
    if (errorCode) return;
    header* result = pushString(text.c_str(), int64_t(text.size()));
    if (result) moveResult(first, result);
}

void builtinMxm(header* first) {
    std::string text;
    if (!stringArgumentText(first, "mxm", &text)) return;
    if (text.compare(0, 2, "::") == 0 || text.compare(0, 2, "@:") == 0)
        text.erase(0, 2);
    else if (text.compare(0, 1, "&") == 0)
        text.erase(0, 1);
    replaceWithText(first, maxima::askMaxima(text, 5, true));
}

void builtinTex(header* first) {
    std::string text;
    if (!stringArgumentText(first, "tex", &text)) return;
    replaceWithText(first, maxima::getTexFromMaxima(text));
}

void builtinConvertmxm(header* first) {
    replaceWithText(first, convertValueToMaxima(first, "", false));
}

void builtinMxmstart(header* first) {
    if (maximaIsRunning()) {
        fail(errorFailed, "Maxima already running!\n");
        return;
    }
    header* path = resolveValue(first);
    if (errorCode) return;
    if (path->kind != kindString) {
        fail(errorMaximaPath, "Need a path to Maxima!\n");
        return;
    }
    std::string directory = stringOf(path);
    openMaxima(directory.c_str());
    replaceWithText(first, "Maxima started");
}

void builtinMxmstop(header*) {
    closeMaxima();
    pushCString("Maxima stopped!");
}

void builtinMaximaPi(header*) { pushReal(3.141592653589793); }
void builtinMaximaE(header*) { pushReal(2.718281828459045); }
void builtinMaximaI(header*) { pushComplex(0, 1); }

const BuiltinRecord rows[] = {
    {"mxm", 1, 0, builtinMxm},
    {"tex", 1, 0, builtinTex},
    {"convertmxm", 1, 0, builtinConvertmxm},
    {"mxmstart", 1, 0, builtinMxmstart},
    {"mxmstop", 0, 0, builtinMxmstop},
    {"%pi", 0, 0, builtinMaximaPi},
    {"%e", 0, 0, builtinMaximaE},
    {"%i", 0, 0, builtinMaximaI},
};

}  // namespace

KALIX_BUILTIN_FAMILY(maximaBuiltins, rows);

}  // namespace kalix
