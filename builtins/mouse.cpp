// The mouse in the graphics window: mouse, mousedrag, mousepos, mousestate.
// The waits run in the host; positions come back in user coordinates.
#include <string>

#include "builtins/graphics_arguments.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "interpreter/arguments.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

constexpr int escapeCharacter = 27;

// The optional status text.
constexpr ArgumentRule optionalStatus = {.kinds = takesString, .presence = Presence::optional};
constexpr Signature mouseSignature = {"mouse", "status string", {optionalStatus}};
constexpr Signature mousedragSignature = {"mousedrag", "status string", {optionalStatus}};

// False after the refusal.
bool statusArgument(header* first, const Signature& signature, std::string* status) {
    const Arguments a(first, signature);
    if (!a) return false;
    if (a.given(0)) *status = a.text(0);
    return true;
}

header* pushUserPosition(int rows, int columns, double c, double r) {
    header* result = pushRealMatrix(rows, columns);
    if (!result) return nullptr;
    matrixData(result)[0] = columnToUser(c);
    matrixData(result)[1] = rowToUser(r);
    return result;
}

void interruptedByEscape() { fail(errorFailed, "Interrupt with Escape key!\n"); }

// mouse(), mouse(status): the user position of a click as 1x2, or the key
// that ended the wait.
void builtinMouse(header* first) {
    std::string status;
    if (!statusArgument(first, mouseSignature, &status)) return;
    showGraphicsWindow();
    double c, r;
    const int key = first ? waitMouseClick(&c, &r, status.c_str()) : waitForMouse(&c, &r);
    if (key == escapeCharacter) interruptedByEscape();
    header* result = key ? pushReal(key) : pushUserPosition(1, 2, c, r);
    if (result && first && !errorCode) moveResult(first, result);
}

// mousedrag(), mousedrag(status): the event (0 after a key), the key when
// it is 0, the user position as 1x2 and the event time in milliseconds.
void builtinMousedrag(header* first) {
    std::string status;
    if (!statusArgument(first, mousedragSignature, &status)) return;
    showGraphicsWindow();
    double c, r;
    int time, key;
    const int event = waitMouseDrag(&c, &r, &time, &key, status.c_str());
    if (event == 0 && key == escapeCharacter) return interruptedByEscape();
    header* results = pushReal(event);
    if (!results) return;
    if (event == 0 && !pushReal(key)) return;
    if (!pushUserPosition(1, 2, c, r) || !pushReal(time)) return;
    if (first) moveResults(first, results);
}

void builtinMousepos(header*) {
    double c, r;
    getMousePosition(&c, &r);
    pushUserPosition(2, 1, c, r);
}

void builtinMousestate(header*) {
    double c, r;
    pushReal(getMousePosition(&c, &r));
}

const BuiltinRecord rows[] = {
    {"mouse", 0, 0, builtinMouse},         {"mouse", 1, 0, builtinMouse},
    {"mousedrag", 0, 0, builtinMousedrag}, {"mousedrag", 1, 0, builtinMousedrag},
    {"mousepos", 0, 0, builtinMousepos},   {"mousestate", 0, 0, builtinMousestate},
};

}  // namespace

KALIX_BUILTIN_FAMILY(mouseBuiltins, rows);

}  // namespace kalix
