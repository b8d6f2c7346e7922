// Element-wise engines and the wrappers every element-wise builtin uses.
#include "interpreter/elementwise.h"

#include <vector>

#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

namespace {

// A resolved numeric operand: its family, shape and elements (a scalar is
// 1 x 1); elements are 1 or 2 doubles wide.
struct Operand {
    NumberFamily family;
    int rows, columns;
    const double* data;
};

Operand operandOf(header* record) {
    Operand o{numberFamily(record), 1, 1, reinterpret_cast<const double*>(dataOf(record))};
    if (isMatrixKind(record->kind)) {
        o.rows = matrixRows(record);
        o.columns = matrixColumns(record);
        o.data = matrixData(record);
    }
    return o;
}

int64_t elementCount(const Operand& o) { return int64_t(o.rows) * o.columns; }

// Pushes a result of the family, a scalar or a rows x columns matrix, and
// returns it with its element data; null when the push failed.
header* pushShaped(NumberFamily family, bool matrix, int rows, int columns, double** data) {
    header* result;
    if (!matrix) {
        if (family == numberReal)
            result = pushReal(0);
        else if (family == numberComplex)
            result = pushComplex(0, 0);
        else
            result = pushInterval(0, 0);
        if (errorCode) return nullptr;
        *data = reinterpret_cast<double*>(dataOf(result));
        return result;
    }
    if (family == numberReal)
        result = pushRealMatrix(rows, columns);
    else if (family == numberComplex)
        result = pushComplexMatrix(rows, columns);
    else
        result = pushIntervalMatrix(rows, columns);
    if (errorCode) return nullptr;
    *data = matrixData(result);
    return result;
}

// The refusal of the unary engines: the wrong-argument report, then what the
// function can take; error 3.
void refuseOperand(header* operand, const char* canUse) {
    reportWrongArgument(operand);
    fail(errorWrongFamily, "This function can only use %s values!\n", canUse);
}

// Escape, asked every 1024 elements (an element function may take
// microseconds, a matrix millions of elements): reports the interruption.
bool interruptedAt(int64_t i) {
    if ((i & 1023) != 1023 || !checkEscape()) return false;
    fail(errorFailed, "User interrupted!\n");
    return true;
}

// Unary loops. They stop after the first element that sets `errorCode`.
void loopReal(RealFunction f, const double* in, double* out, int64_t n) {
    for (int64_t i = 0; i < n; i++) {
        out[i] = f(in[i]);
        if (errorCode || interruptedAt(i)) return;
    }
}

void loopPairs(void (*f)(const double*, double*), const double* in, double* out, int64_t n) {
    for (int64_t i = 0; i < n; i++) {
        f(in + 2 * i, out + 2 * i);
        if (errorCode || interruptedAt(i)) return;
    }
}

void loopPairsToReal(double (*f)(const double*), const double* in, double* out, int64_t n) {
    for (int64_t i = 0; i < n; i++) {
        out[i] = f(in + 2 * i);
        if (errorCode || interruptedAt(i)) return;
    }
}

// Broadcasting: result element (i, j) combines the elements of a and b at
// row i (row 0 for a one-row operand) and column j (column 0 for a
// one-column operand). `element` gets the two element pointers and the
// result element pointer.
template <class Element>
void broadcast(const Operand& a, int widthA, const Operand& b, int widthB, int rows, int columns,
               double* out, int widthOut, Element element) {
    const int64_t stepA = a.columns == 1 ? 0 : widthA;
    const int64_t stepB = b.columns == 1 ? 0 : widthB;
    for (int i = 0; i < rows; i++) {
        const double* pa = a.data + (a.rows == 1 ? 0 : int64_t(i) * a.columns * widthA);
        const double* pb = b.data + (b.rows == 1 ? 0 : int64_t(i) * b.columns * widthB);
        double* po = out + int64_t(i) * columns * widthOut;
        for (int j = 0; j < columns; j++) {
            element(pa, pb, po);
            if (errorCode || interruptedAt(int64_t(i) * columns + j)) return;
            pa += stepA;
            pb += stepB;
            po += widthOut;
        }
    }
}

int widthOf(NumberFamily f) { return f == numberReal ? 1 : 2; }

// Runs the element function of the common family over the broadcast shape.
// A real operand enters a complex function with imaginary part 0 and an
// interval function as the point interval [x, x]. `toReal` selects the
// real-result forms.
struct BinaryFunctions {
    RealBinaryFunction real;
    ComplexBinaryFunction complex;
    IntervalBinaryFunction interval;
    ComplexBinaryToRealFunction complexToReal;
    IntervalBinaryToRealFunction intervalToReal;
};

void runBinary(const BinaryFunctions& f, NumberFamily family, bool toReal, const Operand& a,
               const Operand& b, int rows, int columns, double* out) {
    const int wa = widthOf(a.family), wb = widthOf(b.family);
    const int wo = toReal ? 1 : widthOf(family);
    // Second part of a pair: the imaginary part (0 for a real) or the upper
    // bound (the value itself for a real).
    const bool realA = a.family == numberReal, realB = b.family == numberReal;
    if (family == numberReal) {
        broadcast(a, 1, b, 1, rows, columns, out, 1,
                  [&](const double* x, const double* y, double* r) { f.real(x, y, r); });
    } else if (family == numberComplex) {
        if (toReal) {
            broadcast(a, wa, b, wb, rows, columns, out, wo,
                      [&](const double* x, const double* y, double* r) {
                          *r = f.complexToReal(x[0], realA ? 0 : x[1], y[0], realB ? 0 : y[1]);
                      });
        } else {
            broadcast(a, wa, b, wb, rows, columns, out, wo,
                      [&](const double* x, const double* y, double* r) {
                          f.complex(x[0], realA ? 0 : x[1], y[0], realB ? 0 : y[1], &r[0], &r[1]);
                      });
        }
    } else {
        if (toReal) {
            broadcast(a, wa, b, wb, rows, columns, out, wo,
                      [&](const double* x, const double* y, double* r) {
                          *r = f.intervalToReal(x[0], x[realA ? 0 : 1], y[0], y[realB ? 0 : 1]);
                      });
        } else {
            broadcast(a, wa, b, wb, rows, columns, out, wo,
                      [&](const double* x, const double* y, double* r) {
                          f.interval(x[0], x[realA ? 0 : 1], y[0], y[realB ? 0 : 1], &r[0], &r[1]);
                      });
        }
    }
}

// The binary engine for both result forms. Refusals of the families and
// sizes set `refusalCode` (errorWrongOperand, or errorFailed for the real-result
// form).
header* applyBinaryEngine(const BinaryFunctions& f, bool toReal, header* a, header* b,
                          const char* name) {
    const int refusalCode = toReal ? errorFailed : errorWrongOperand;
    NumberFamily fa = numberFamily(a), fb = numberFamily(b);
    if (fa == numberNone) {
        reportWrongArgument(a);
        return nullptr;
    }
    if (fb == numberNone) {
        reportWrongArgument(b);
        return nullptr;
    }
    const bool hasComplex = fa == numberComplex || fb == numberComplex;
    const bool hasInterval = fa == numberInterval || fb == numberInterval;
    const char* refusal = nullptr;
    if (hasComplex && hasInterval)
        refusal = "Cannot combine complex and intervals in %s!\n";
    else if (!hasComplex && !hasInterval && !f.real)
        refusal = "Cannot evaluate %s for reals!\n";
    else if (hasComplex && !(toReal ? bool(f.complexToReal) : bool(f.complex)))
        refusal = "Cannot evaluate %s for complex values!\n";
    else if (hasInterval && !(toReal ? bool(f.intervalToReal) : bool(f.interval)))
        refusal = "Cannot evaluate %s for intervals!\n";
    if (refusal) {
        fail(refusalCode, refusal, name);
        return nullptr;
    }
    Operand oa = operandOf(a), ob = operandOf(b);
    const bool sizesAgree = oa.rows >= 1 && oa.columns >= 1 && ob.rows >= 1 && ob.columns >= 1 &&
                            (oa.rows < 2 || ob.rows < 2 || oa.rows == ob.rows) &&
                            (oa.columns < 2 || ob.columns < 2 || oa.columns == ob.columns);
    if (!sizesAgree) {
        if (toReal)
            fail(refusalCode, "Cannot combine a %dx%d and a %dx%d matrix!\n", oa.rows, oa.columns,
                 ob.rows, ob.columns);
        else
            fail(refusalCode, "Cannot combine a %dx%d and a %dx%d matrix for %s!\n", oa.rows,
                 oa.columns, ob.rows, ob.columns, name);
        return nullptr;
    }
    const int rows = oa.rows > ob.rows ? oa.rows : ob.rows;
    const int columns = oa.columns > ob.columns ? oa.columns : ob.columns;
    const NumberFamily family = fa > fb ? fa : fb;
    double* out;
    header* result =
        pushShaped(toReal ? numberReal : family, rows != 1 || columns != 1, rows, columns, &out);
    if (!result) return nullptr;
    runBinary(f, family, toReal, oa, ob, rows, columns, out);
    return result;
}

void moveIfDone(header* first, header* result) {
    if (result && !errorCode) moveResult(first, result);
}

}  // namespace

bool resolveTwoOperands(header* first, header** a, header** b, const char* name) {
    header* second = first ? nextValue(first) : nullptr;
    if (!second) {  // an operand that was a call yielding no value
        fail(errorFailed, "Cannot apply %s: an operand returned no value!\n", name);
        return false;
    }
    *a = resolveValue(first);
    if (errorCode) return false;
    *b = resolveValue(second);
    return errorCode == 0;
}

namespace {

// A real operand's result is a real of its kind and shape: it is built
// over the argument when the operand lies elsewhere (a variable). An
// operand at the argument itself stays as it is until the result is
// complete, as a failing element leaves it.
void aimRealResult(header* argument, header* value) {
    if (numberFamily(value) != numberReal) return;
    int64_t bytes = value->kind == kindReal
                        ? scalarRecordSize(8)
                        : matrixRecordSize(matrixRows(value), matrixColumns(value), 8);
    aimResultAt(argument, bytes, value, false);
}

}  // namespace

bool aimResultAt(header* destination, int64_t bytes, const header* operand, bool inPlace) {
    char* at = reinterpret_cast<char*>(destination);
    if (!inArea(at, endlocal, newram) || bytes > ramend - newram) return false;
    const char* from = reinterpret_cast<const char*>(operand);
    bool touches = recordOnStack(operand) && from < at + bytes && from + operand->size > at;
    if (touches && !(inPlace && operand == destination && operand->size == bytes)) return false;
    newram = at;
    return true;
}

// --- unary engines ---------------------------------------------------------

namespace {

// Pushes the result of the operand's shape in `family` and runs `loop` on
// the elements (input, output, count).
template <class Loop>
header* unaryResult(header* operand, NumberFamily family, Loop loop) {
    Operand o = operandOf(operand);
    double* out;
    header* result = pushShaped(family, isMatrixKind(operand->kind), o.rows, o.columns, &out);
    if (!result) return nullptr;
    loop(o.data, out, elementCount(o));
    return result;
}

}  // namespace

header* applyRealComplex(RealFunction real, ComplexFunction complex, header* operand) {
    NumberFamily family = numberFamily(operand);
    if (family == numberReal)
        return unaryResult(operand, numberReal,
                           [&](auto in, auto out, auto n) { loopReal(real, in, out, n); });
    if (family == numberComplex && complex)
        return unaryResult(operand, numberComplex,
                           [&](auto in, auto out, auto n) { loopPairs(complex, in, out, n); });
    refuseOperand(operand, complex ? "real or complex" : "real");
    return nullptr;
}

header* applyInterval(IntervalFunction interval, header* operand, IntervalArrayFunction array) {
    if (numberFamily(operand) == numberInterval)
        return unaryResult(operand, numberInterval, [&](auto in, auto out, auto n) {
            if (!array || !array(in, out, n)) loopPairs(interval, in, out, n);
        });
    refuseOperand(operand, "interval");
    return nullptr;
}

header* applyComplexToReal(RealFunction real, ComplexToRealFunction complex, header* operand) {
    NumberFamily family = numberFamily(operand);
    if (family == numberReal)
        return unaryResult(operand, numberReal,
                           [&](auto in, auto out, auto n) { loopReal(real, in, out, n); });
    if (family == numberComplex && complex)
        return unaryResult(operand, numberReal, [&](auto in, auto out, auto n) {
            loopPairsToReal(complex, in, out, n);
        });
    refuseOperand(operand, complex ? "real or complex" : "real");
    return nullptr;
}

header* applyIntervalToReal(IntervalToRealFunction interval, header* operand) {
    if (numberFamily(operand) == numberInterval)
        return unaryResult(operand, numberReal, [&](auto in, auto out, auto n) {
            loopPairsToReal(interval, in, out, n);
        });
    refuseOperand(operand, "interval");
    return nullptr;
}

// --- binary engines --------------------------------------------------------

header* applyBinary(RealBinaryFunction real, ComplexBinaryFunction complex,
                    IntervalBinaryFunction interval, header* a, header* b, const char* name) {
    BinaryFunctions f{real, complex, interval, nullptr, nullptr};
    return applyBinaryEngine(f, false, a, b, name);
}

header* applyBinaryToReal(RealBinaryFunction real, ComplexBinaryToRealFunction complex,
                          IntervalBinaryToRealFunction interval, header* a, header* b,
                          const char* name) {
    BinaryFunctions f{real, nullptr, nullptr, complex, interval};
    return applyBinaryEngine(f, true, a, b, name);
}

// --- wrappers --------------------------------------------------------------

void mapRealComplex(RealFunction real, ComplexFunction complex, header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    aimRealResult(argument, value);
    moveIfDone(argument, applyRealComplex(real, complex, value));
}

void mapRealComplexInterval(RealFunction real, ComplexFunction complex, IntervalFunction interval,
                            header* argument, IntervalArrayFunction intervalArray) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    aimRealResult(argument, value);
    header* result = numberFamily(value) == numberInterval
                         ? applyInterval(interval, value, intervalArray)
                         : applyRealComplex(real, complex, value);
    moveIfDone(argument, result);
}

void mapToRealOrInterval(RealFunction real, ComplexToRealFunction complex,
                         IntervalFunction interval, header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    aimRealResult(argument, value);
    header* result = numberFamily(value) == numberInterval
                         ? applyInterval(interval, value)
                         : applyComplexToReal(real, complex, value);
    moveIfDone(argument, result);
}

void mapComplexToReal(RealFunction real, ComplexToRealFunction complex, header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    aimRealResult(argument, value);
    moveIfDone(argument, applyComplexToReal(real, complex, value));
}

void mapIntervalToReal(RealFunction real, IntervalToRealFunction interval, header* argument) {
    header* value = resolveValue(argument);
    if (errorCode) return;
    aimRealResult(argument, value);
    header* result = numberFamily(value) == numberInterval ? applyIntervalToReal(interval, value)
                                                           : applyRealComplex(real, nullptr, value);
    moveIfDone(argument, result);
}

void mapBinary(RealBinaryFunction real, ComplexBinaryFunction complex,
               IntervalBinaryFunction interval, header* first, const char* name) {
    header* second = nextValue(first);
    if (second && (second->flags & flagResult) && nextValue(second)) {
        fail(errorWrongOperand, "Too many parameters for operator! (Multiple returns?)\n");
        return;
    }
    header *a, *b;
    if (!resolveTwoOperands(first, &a, &b, name)) return;
    moveIfDone(first, applyBinary(real, complex, interval, a, b, name));
}

void mapBinaryToReal(RealBinaryFunction real, ComplexBinaryToRealFunction complex,
                     IntervalBinaryToRealFunction interval, header* first, const char* name) {
    header* second = nextValue(first);
    if (second && nextValue(second)) {
        fail(errorFailed, "Too many parameters for operator! (Multiple returns?)\n");
        return;
    }
    header *a, *b;
    if (!resolveTwoOperands(first, &a, &b, name)) return;
    moveIfDone(first, applyBinaryToReal(real, complex, interval, a, b, name));
}

void reportErrorIn(const char* name) {
    if (errorCode) printFormatted("Error in %s\n", name);
}

// --- several real parameters -----------------------------------------------

void mapRealArguments(header* first, int n, RealParametersFunction function, const char* name) {
    std::vector<Operand> operands(n);
    header* record = first;
    for (int k = 0; k < n; k++, record = nextValue(record)) {
        if (!record) {
            fail(errorFailed, "Not enough parameters for %s.\n", name);
            return;
        }
        header* value = resolveValue(record);
        if (errorCode) return;
        if (numberFamily(value) != numberReal) {
            fail(errorFailed, "Parameter %d not real in call to %s.\n", k, name);
            return;
        }
        operands[k] = operandOf(value);
    }
    int rows = 0, columns = 0;
    for (const Operand& o : operands) {
        if (o.rows > rows) rows = o.rows;
        if (o.columns > columns) columns = o.columns;
    }
    for (const Operand& o : operands) {
        if ((o.rows != 1 && o.rows != rows) || (o.columns != 1 && o.columns != columns)) {
            fail(errorFailed, "Cannot combine matrix sizes in %s (found %d-%d-matrix).\n", name,
                 o.rows, o.columns);
            return;
        }
    }
    std::vector<double*> current(n);
    double* out;
    header* result = pushShaped(numberReal, rows != 1 || columns != 1, rows, columns, &out);
    if (!result) return;
    for (int i = 0; i < rows; i++) {
        for (int j = 0; j < columns; j++) {
            for (int k = 0; k < n; k++) {
                const Operand& o = operands[k];
                int64_t index = int64_t(o.rows == 1 ? 0 : i) * o.columns + (o.columns == 1 ? 0 : j);
                current[k] = const_cast<double*>(o.data + index);
            }
            *out++ = function(current.data(), n, 0, name);
            if (errorCode) return;
            if (checkEscape()) {
                fail(errorFailed, "User interrupted!\n");
                return;
            }
        }
    }
    moveResult(first, result);
}

}  // namespace kalix
