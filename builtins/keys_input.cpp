// Builtins that talk with the user: testkey, key, wait, setstatus, setkey,
// input and lineinput. The host waits for keys and time and reads lines.
#include <cstring>
#include <string>
#include <vector>

#include "builtins/system_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/expression_input.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace {

void builtinTestkey(header*) { pushReal(pollKey()); }

// key() and key(status): the character typed, or the key code of a key
// without one.
void builtinKey(header* first) {
    std::string status;
    if (first) {
        header* text = stringArgument(first, "string", "key");
        if (!text) return;
        status = stringOf(text);
    }
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

const char* const waitArguments = "optional real, optional string";

// wait(), wait(x): the seconds waited and the character typed.
void builtinWait(header* first) {
    double seconds = 600;
    if (first) {
        header* x = requireReal(first, waitArguments, "wait");
        if (!x) return;
        seconds = realOf(x);
    }
    double waited;
    int character;
    if (!waitReporting(seconds, "", &waited, &character)) return;
    header* results = pushReal(waited);
    if (!results || !pushReal(character)) return;
    if (first) moveResults(first, results);
}

// wait(x, status): the seconds waited.
void builtinWaitStatus(header* first) {
    header* x = requireReal(first, waitArguments, "wait");
    if (!x) return;
    header* status = stringArgument(recordAt(endOf(first)), waitArguments, "wait");
    if (!status) return;
    double seconds = realOf(x);
    std::string text = stringOf(status);
    double waited;
    int character;
    if (!waitReporting(seconds, text.c_str(), &waited, &character)) return;
    moveResult(first, pushReal(waited));
}

void builtinSetstatus(header* first) {
    header* text = stringArgument(first, "string", "setstatus");
    if (!text) return;
    setStatusText(stringOf(text));
    keepArgumentAsResult(first, text);
}

// setkey(k, text): the function key's new text; returns the old one.
void builtinSetkey(header* first) {
    header* k = resolveValue(first);
    if (errorCode) return;
    header* text = resolveValue(recordAt(endOf(first)));
    if (errorCode) return;
    if (k->kind != kindReal || text->kind != kindString) {
        reportNeed("integer and string", "setkey");
        return;
    }
    int slot = clampToInt(realOf(k));
    if (slot < 1 || slot > functionKeyCount || std::strlen(stringOf(text)) >= functionKeyTextSize) {
        reportNeed("1<=key number<=10, string", "setkey");
        return;
    }
    std::string newText = stringOf(text);
    header* old = pushCString(functionKeyTexts[slot]);
    if (!old) return;
    std::strcpy(functionKeyTexts[slot], newText.c_str());
    moveResult(first, old);
}

void builtinInput(header* first) {
    header* prompt = stringArgument(first, "prompt string", "input");
    if (!prompt) return;
    std::string question = stringOf(prompt);
    header* value = inputExpression(question.c_str(), false);
    if (value) moveResult(first, value);
}

void builtinLineinput(header* first) {
    header* prompt = stringArgument(first, "prompt string", "lineinput");
    if (!prompt) return;
    std::string question = stringOf(prompt);
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
