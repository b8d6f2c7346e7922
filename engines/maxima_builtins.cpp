// The Maxima builtins: mxm, tex, convertmxm, mxmstart, mxmstop, and the
// constants of Maxima's answers (%pi, %e, %i), so that a symbolic result
// can be evaluated numerically.
#include <cstring>
#include <string>

#include "engines/maxima_commands.h"
#include "engines/maxima_conversions.h"
#include "engines/maxima_session.h"
#include "interpreter/arguments.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

constexpr Signature mxmSignature = {"mxm", "string", {{takesString}}};
constexpr Signature texSignature = {"tex", "string", {{takesString}}};

// The string argument's text, or false after the refusal.
bool stringArgumentText(header* first, const Signature& signature, std::string* text) {
    const Arguments a(first, signature);
    if (!a) return false;
    text->assign(a.text(0));
    return true;
}

void replaceWithText(header* first, const std::string& text) {
    if (errorCode) return;
    header* result = pushString(text.c_str(), int64_t(text.size()));
    if (result) moveResult(first, result);
}

void builtinMxm(header* first) {
    std::string text;
    if (!stringArgumentText(first, mxmSignature, &text)) return;
    if (text.compare(0, 2, "::") == 0 || text.compare(0, 2, "@:") == 0)
        text.erase(0, 2);
    else if (text.compare(0, 1, "&") == 0)
        text.erase(0, 1);
    replaceWithText(first, maxima::askMaxima(text, 5, true));
}

void builtinTex(header* first) {
    std::string text;
    if (!stringArgumentText(first, texSignature, &text)) return;
    replaceWithText(first, maxima::getTexFromMaxima(text));
}

void builtinConvertmxm(header* first) {
    replaceWithText(first, convertValueToMaxima(first, "", false));
}

// The path is read after the check that Maxima is not running.
constexpr Signature mxmstartSignature = {.builtin = "mxmstart",
                                         .rules = {{takesString}},
                                         .refusal = {errorMaximaPath, "Need a path to Maxima!\n"}};

void builtinMxmstart(header* first) {
    if (maximaIsRunning()) {
        fail(errorFailed, "Maxima already running!\n");
        return;
    }
    const Arguments a(first, mxmstartSignature);
    if (!a) return;
    std::string directory = a.text(0);
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
