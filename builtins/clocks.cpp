// Clock builtins: tic and toc on the monotonic clock of the host, and
// getnow with the calendar fields of the current time.
#include "interpreter/arguments.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "platform/host.h"

namespace kalix {

namespace {

double ticReading = 0;  // toc without tic measures from the clock's zero

void builtinTic(header*) {
    ticReading = getClockSeconds();
    pushReal(ticReading);
}

void builtinToc(header*) {
    double elapsed = getClockSeconds() - ticReading;
    printFormatted("Used %0.6g seconds\n", elapsed);
    pushReal(elapsed);
}

constexpr Signature getnowSignature = {"getnow", "utc-flag", {{takesReal}}};

void builtinGetnow(header* first) {
    const Arguments a(first, getnowSignature);
    if (!a) return;
    int fields[7];
    getCurrentTime(&fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5],
                   &fields[6], a.real(0) != 0);
    header* now = pushRealMatrix(1, 7);
    if (!now) return;
    for (int i = 0; i < 7; i++) matrixData(now)[i] = fields[i];
    moveResult(first, now);
}

const BuiltinRecord rows[] = {
    {"getnow", 1, 0, builtinGetnow},
    {"tic", 0, 0, builtinTic},
    {"toc", 0, 0, builtinToc},
};

}  // namespace

KALIX_BUILTIN_FAMILY(clockBuiltins, rows);

}  // namespace kalix
