// Builtins that talk with the user: testkey, key, wait, setstatus, setkey,
// input and lineinput. The host waits for keys and time and reads lines.
#include <cstring>
#include <string>
#include <vector>

#include "builtins/system_values.h"
#include "interpreter/arguments.h"
#include "interpreter/builtin_table.h"
#include "interpreter/expression_input.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

void builtinTestkey(header*) { pushReal(pollKey()); }

// key() and key(status): the character typed, or the key code of a key
// without one.
constexpr Signature keySignature = {
    "key", "string", {{.kinds = takesString, .presence = Presence::optional}}};

void builtinKey(header* first) {
    const Arguments a(first, keySignature);
    if (!a) return;
    const std::string status = a.given(0) ? a.text(0) : "";
    int keyCode;
    int character = waitKeyWithStatus(&keyCode, status.c_str());
    if (keyCode == keyEscape) {
        fail(errorInterrupt, "Interrupt\n");
        return;
    }
    header* result = pushReal(character ? character : keyCode);
    if (first) moveResult(first, result);
}

// Waits `seconds` or until a key. Returns the seconds waited: the full time
// unless a key ended the wait, and then never quite the full time.
bool waitReporting(double seconds, const char* status, double* waited, int* character) {
    double start = getClockSeconds();
    int keyCode;
    *character = waitWithStatus(seconds, &keyCode, status);
    if (keyCode == keyEscape) {
        fail(errorInterrupt, "Interrupt\n");
        return false;
    }
    double t = getClockSeconds() - start;
    // A character typed is a key as much as a key with a code.
    bool key = keyCode != keyNone || *character != 0;
    if (!key || t > seconds) t = seconds;
    if (key && t >= seconds) t = seconds * 0.999;
    *waited = t;
    return true;
}

// wait(), wait(x) and wait(x, status); each argument is checked as soon
// as it is resolved.
constexpr Signature waitSignature = {
    .builtin = "wait",
    .need = "optional real, optional string",
    .rules = {{.kinds = takesReal, .presence = Presence::optional, .fallback = 600},
              {.kinds = takesString, .presence = Presence::optional}},
    .order = CheckOrder::asResolved};

// wait(), wait(x): the seconds waited and the character typed.
void builtinWait(header* first) {
    const Arguments a(first, waitSignature);
    if (!a) return;
    double waited;
    int character;
    if (!waitReporting(a.real(0), "", &waited, &character)) return;
    header* results = pushReal(waited);
    if (!results || !pushReal(character)) return;
    if (first) moveResults(first, results);
}

// wait(x, status): the seconds waited.
void builtinWaitStatus(header* first) {
    const Arguments a(first, waitSignature);
    if (!a) return;
    const std::string text = a.text(1);
    double waited;
    int character;
    if (!waitReporting(a.real(0), text.c_str(), &waited, &character)) return;
    moveResult(first, pushReal(waited));
}

constexpr Signature setstatusSignature = {"setstatus", "string", {{takesString}}};

void builtinSetstatus(header* first) {
    const Arguments a(first, setstatusSignature);
    if (!a) return;
    setStatusText(a.text(0));
    keepArgumentAsResult(first, a[0]);
}

// setkey(k, text): the function key's new text; returns the old one.
constexpr Signature setkeySignature = {
    "setkey", "integer and string", {{takesReal}, {takesString}}};

void builtinSetkey(header* first) {
    const Arguments a(first, setkeySignature);
    if (!a) return;
    int slot = clampToInt(a.real(0));
    if (slot < 1 || slot > functionKeyCount || std::strlen(a.text(1)) >= functionKeyTextSize)
        return a.need("1<=key number<=10, string");
    std::string newText = a.text(1);
    header* old = pushCString(functionKeyTexts[slot]);
    if (!old) return;
    std::strcpy(functionKeyTexts[slot], newText.c_str());
    moveResult(first, old);
}

constexpr Signature inputSignature = {"input", "prompt string", {{takesString}}};

void builtinInput(header* first) {
    const Arguments a(first, inputSignature);
    if (!a) return;
    std::string question = a.text(0);
    header* value = inputExpression(question.c_str(), false);
    if (value) moveResult(first, value);
}

constexpr Signature lineinputSignature = {"lineinput", "prompt string", {{takesString}}};

void builtinLineinput(header* first) {
    const Arguments a(first, lineinputSignature);
    if (!a) return;
    std::string question = a.text(0);
    std::vector<char> line(inputBufferSize);
    if (!readAnswerLine(question.c_str(), line.data())) return;
    moveResult(first, pushCString(line.data()));
}

const BuiltinRecord rows[] = {
    {"input", 1, 0, builtinInput},     {"key", 0, 0, builtinKey},
    {"key", 1, 0, builtinKey},         {"lineinput", 1, 0, builtinLineinput},
    {"setkey", 2, 0, builtinSetkey},   {"setstatus", 1, 0, builtinSetstatus},
    {"testkey", 0, 0, builtinTestkey}, {"wait", 0, 0, builtinWait},
    {"wait", 1, 0, builtinWait},       {"wait", 2, 0, builtinWaitStatus},
};

}  // namespace

KALIX_BUILTIN_FAMILY(keyInputBuiltins, rows);

}  // namespace kalix
