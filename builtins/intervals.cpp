// The interval builtins: constructors, expand, diameter, left, right,
// middle and intersects.
#include "builtins/intervals.h"

#include <cmath>
#include <cstdint>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

// An interval or interval matrix with `change` applied to every pair.
template <class Change>
header* changeIntervals(header* value, Change change) {
    bool matrix = value->kind == kindIntervalMatrix;
    int rows = matrix ? matrixRows(value) : 1, columns = matrix ? matrixColumns(value) : 1;
    const double* x = matrix ? matrixData(value) : intervalOf(value);
    header* result;
    double* out = pushIntervalShaped(matrix, rows, columns, &result);
    if (!out) return nullptr;
    int64_t n = int64_t(rows) * columns;
    for (int64_t i = 0; i < n; i++) change(&x[2 * i], &out[2 * i]);
    return result;
}

double zeroOf(double) { return 0; }
double itself(double x) { return x; }

UNARY_HANDLER(builtinDiameter, mapIntervalToReal, "diameter", zeroOf, intervalDiameter)
UNARY_HANDLER(builtinLeft, mapIntervalToReal, "left", itself, intervalLeft)
UNARY_HANDLER(builtinRight, mapIntervalToReal, "right", itself, intervalRight)
UNARY_HANDLER(builtinMiddle, mapIntervalToReal, "middle", itself, intervalMiddle)

BINARY_HANDLER(builtinIntersects, mapBinaryToReal, "intersects", nullptr, nullptr,
               intervalsIntersect)

// expand(x, f): an interval keeps its middle and its half-width grows by the
// factor; a real becomes [x - f, x + f].
// The factor is checked first, x after it.
constexpr Signature expandSignature = {
    .rules = {{takesAnything}, {takesReal}},
    .refusal = {errorFailed, "expand by a positiv scalar only!\n"}};

void builtinExpand(header* first) {
    const Arguments a(first, expandSignature);
    if (!a) return;
    header* x = a[0];
    const double f = a.real(1);
    if (!(f > 0)) {
        a.refuse();
        return;
    }
    header* result;
    if (x->kind == kindInterval || x->kind == kindIntervalMatrix) {
        result =
            changeIntervals(x, [f](const double* in, double* out) { expandInterval(in, f, out); });
    } else if (isRealKind(x)) {
        result = intervalsOfReals(x, [f](double v, double* out) {
            out[0] = sumDown(v, -f);
            out[1] = sumUp(v, f);
        });
    } else {
        fail(errorWrongArgument, "Wrong argument\n");
        return;
    }
    if (result && !errorCode) moveResult(first, result);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"diameter", 1, 0, builtinDiameter},     {"expand", 2, 0, builtinExpand},
    {"interval", 1, 0, makeInterval},        {"interval", 2, 0, makeIntervalFromBounds},
    {"intersects", 2, 0, builtinIntersects}, {"left", 1, 0, builtinLeft},
    {"middle", 1, 0, builtinMiddle},         {"right", 1, 0, builtinRight},
};
KALIX_BUILTIN_FAMILY(intervalBuiltins, rows);

}  // namespace kalix
