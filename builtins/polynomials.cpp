// Polynomial builtins: evaluation, sum, product, division with remainder,
// trimming, construction from roots, Newton interpolation and the two root
// finders. A polynomial is a row vector of real, complex or interval
// coefficients, constant term first; the kernels are in
// numerics/polynomials.h and numerics/polynomial_roots.h.
#include <cmath>
#include <cstring>
#include <type_traits>

#include "builtins/builtin_helpers.h"
#include "builtins/intervals.h"
#include "builtins/matrix_values.h"
#include "interpreter/arithmetic.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "numerics/polynomial_roots.h"
#include "numerics/polynomials.h"
#include "platform/host.h"

namespace kalix {

namespace {

// Interval arithmetic with outward rounding for the polynomial kernels.
struct Interval {
    double lo, hi;
};

struct IntervalArithmetic {
    using Value = Interval;
    using BoundsOperation = void (*)(double lo1, double hi1, double lo2, double hi2, double* lo,
                                     double* hi);
    template <BoundsOperation operation>
    static Value bounds(Value a, Value b) {
        Value r;
        operation(a.lo, a.hi, b.lo, b.hi, &r.lo, &r.hi);
        return r;
    }
    static Value add(Value a, Value b) { return bounds<addIntervalBounds>(a, b); }
    static Value subtract(Value a, Value b) { return bounds<subtractIntervalBounds>(a, b); }
    static Value multiply(Value a, Value b) { return bounds<multiplyIntervalBounds>(a, b); }
    // A divisor holding 0 prints "Division by 0" and sets the error.
    static Value divide(Value a, Value b) { return bounds<divideIntervalBounds>(a, b); }
    static Value negate(Value a) { return {-a.hi, -a.lo}; }
    static Value one() { return {1, 1}; }
    // Points whose difference holds 0 cannot divide a difference.
    static bool coincide(Value a, Value b) {
        const Value d = subtract(a, b);
        return d.lo <= 0 && d.hi >= 0;
    }
};

// A numeric argument as a matrix: its family, shape and elements (a scalar
// is 1 x 1).
struct Coefficients {
    NumberFamily family;
    int rows, columns;
    double* data;
    bool isRow() const { return rows == 1; }
};

// False after "Matrix expected!" for a value that is not numeric.
bool readCoefficients(header* value, Coefficients* c) {
    if (!getMatrix(value, &c->rows, &c->columns, &c->data)) return false;
    c->family = numberFamily(value);
    return true;
}

template <class A>
typename A::Value* valuesOf(double* data) {
    return reinterpret_cast<typename A::Value*>(data);
}

// Runs `f` with the arithmetic of the family.
template <class F>
void withArithmetic(NumberFamily family, F f) {
    if (family == numberComplex)
        f(ComplexArithmetic{});
    else if (family == numberInterval)
        f(IntervalArithmetic{});
    else
        f(RealArithmetic{});
}

// A pushed 1 x n row vector of the family, or null after the push failed.
header* pushRow(NumberFamily family, int64_t n) {
    return pushMatrixOfKind(matrixKindOf(family), 1, static_cast<int>(n));
}

// --- evaluation ------------------------------------------------------------

// The element functions see the polynomial through these, set by the
// running polyval or interpval; they point into its argument records.
const double* polynomialCoefficients;
const double* interpolationPoints;
const double* dividedDifferences;
int polynomialDegree;

template <class A>
typename A::Value polyvalElement(typename A::Value t) {
    auto a = reinterpret_cast<const typename A::Value*>(polynomialCoefficients);
    return hornerValue<A>(a, polynomialDegree, t);
}

template <class A>
typename A::Value interpvalElement(typename A::Value t) {
    auto x = reinterpret_cast<const typename A::Value*>(interpolationPoints);
    auto d = reinterpret_cast<const typename A::Value*>(dividedDifferences);
    return newtonValue<A>(x, d, polynomialDegree, t);
}

// The element signatures of the mapping engines around one evaluator.
template <class A, typename A::Value (*F)(typename A::Value)>
void pairElement(const double* x, double* result) {
    using Value = typename A::Value;
    *reinterpret_cast<Value*>(result) = F(*reinterpret_cast<const Value*>(x));
}

double polyvalRealElement(double t) { return polyvalElement<RealArithmetic>(t); }
double interpvalRealElement(double t) { return interpvalElement<RealArithmetic>(t); }

// Maps the polynomial held in the globals over x: interval elements with
// `interval`, real and complex ones with `real` and `complex`.
void mapPolynomial(header* first, header* x, NumberFamily family, RealFunction real,
                   ComplexFunction complex, IntervalFunction interval) {
    header* result =
        family == numberInterval ? applyInterval(interval, x) : applyRealComplex(real, complex, x);
    if (result && !errorCode) moveResult(first, result);
}

// The polynomial (or the points) and x are brought to one kind; a value
// that is no number is refused with "Matrix expected!" when it is read.
constexpr Signature polyvalSignature = {.builtin = "polyval",
                                        .need = "polynomial row vector, x values",
                                        .rules = {{takesAnything}, {takesAnything}},
                                        .sameFamily = true};

void builtinPolyval(header* first) {
    const Arguments a(first, polyvalSignature);
    if (!a) return;
    Coefficients c;
    if (!readCoefficients(a[0], &c)) return;
    if (!c.isRow() || c.columns < 1) return a.refuse();
    polynomialCoefficients = c.data;
    polynomialDegree = c.columns - 1;
    mapPolynomial(first, a[1], c.family, polyvalRealElement,
                  pairElement<ComplexArithmetic, polyvalElement<ComplexArithmetic>>,
                  pairElement<IntervalArithmetic, polyvalElement<IntervalArithmetic>>);
}

constexpr Signature interpvalSignature = {
    .builtin = "interp",
    .need = "row vectors xd,dd, and x",
    .rules = {{takesAnything}, {takesAnything}, {takesAnything}},
    .sameFamily = true};

void builtinInterpval(header* first) {
    const Arguments a(first, interpvalSignature);
    if (!a) return;
    Coefficients points, differences;
    if (!readCoefficients(a[0], &points) || !readCoefficients(a[1], &differences)) return;
    if (!points.isRow() || points.columns < 1 || !differences.isRow() ||
        differences.columns != points.columns)
        return a.refuse();
    interpolationPoints = points.data;
    dividedDifferences = differences.data;
    polynomialDegree = points.columns - 1;
    mapPolynomial(first, a[2], points.family, interpvalRealElement,
                  pairElement<ComplexArithmetic, interpvalElement<ComplexArithmetic>>,
                  pairElement<IntervalArithmetic, interpvalElement<IntervalArithmetic>>);
}

// --- arithmetic --------------------------------------------------------------

// Two row vectors of numbers brought to one kind.
constexpr Signature twoRows(const char* name) {
    constexpr ArgumentRule row = {.kinds = takesNumeric, .rows = 1};
    return {.builtin = name, .need = "two row vectors", .rules = {row, row}, .sameFamily = true};
}

constexpr Signature polyaddSignature = twoRows("polyadd");
constexpr Signature polymultSignature = twoRows("polymult");
constexpr Signature polydivSignature = twoRows("polydiv");
constexpr Signature interpSignature = twoRows("interp");

// The two rows; false after the refusal.
bool readTwoRows(const Arguments& a, Coefficients* p, Coefficients* q) {
    return a && readCoefficients(a[0], p) && readCoefficients(a[1], q);
}

void builtinPolyadd(header* first) {
    const Arguments a(first, polyaddSignature);
    Coefficients p, q;
    if (!readTwoRows(a, &p, &q)) return;
    const int64_t length = p.columns > q.columns ? p.columns : q.columns;
    header* result = pushRow(p.family, length);
    if (!result) return;
    withArithmetic(p.family, [&](auto a) {
        using A = decltype(a);
        polynomialSum<A>(valuesOf<A>(p.data), p.columns, valuesOf<A>(q.data), q.columns,
                         valuesOf<A>(matrixData(result)));
    });
    moveResult(first, result);
}

// An empty factor is the zero polynomial without coefficients: the product
// is empty too.
void builtinPolymult(header* first) {
    const Arguments a(first, polymultSignature);
    Coefficients p, q;
    if (!readTwoRows(a, &p, &q)) return;
    const bool empty = p.columns == 0 || q.columns == 0;
    const int64_t length = empty ? 0 : int64_t(p.columns) + q.columns - 1;
    if (length > 2147483647) {
        fail(errorWrongArgument, "Matrix too large in %s\n", "polymult");
        return;
    }
    header* result = pushRow(p.family, length);
    if (!result) return;
    bool done = true;
    if (!empty) {
        withArithmetic(p.family, [&](auto a) {
            using A = decltype(a);
            done = polynomialProduct<A>(valuesOf<A>(p.data), p.columns, valuesOf<A>(q.data),
                                        q.columns, valuesOf<A>(matrixData(result)), escapePressed);
        });
    }
    if (!done) return reportInterrupted();
    moveResult(first, result);
}

// The leading coefficient of a divisor: exactly 0 (both parts for complex)
// or, for an interval, holding 0. An empty divisor counts as zero.
bool leadingIsZero(const Coefficients& q) {
    if (q.columns == 0) return true;
    const double* lead = q.data + (q.family == numberReal ? 1 : 2) * (q.columns - 1);
    if (q.family == numberReal) return lead[0] == 0;
    if (q.family == numberComplex) return lead[0] == 0 && lead[1] == 0;
    return lead[0] <= 0 && lead[1] >= 0;
}

void builtinPolydiv(header* first) {
    const Arguments a(first, polydivSignature);
    Coefficients p, q;
    if (!readTwoRows(a, &p, &q)) return;
    const int m = p.columns, n = q.columns;
    if (m < n) {
        // Quotient 0, remainder p itself.
        header* quotient = pushReal(0);
        if (!quotient) return;
        header* remainder = pushRow(p.family, m);
        if (!remainder) return;
        std::memcpy(matrixData(remainder), p.data, size_t(m) * (p.family == numberReal ? 8 : 16));
        moveResults(first, quotient);
        return;
    }
    if (leadingIsZero(q))
        return a.need(q.family == numberComplex ? "nonzero divisor" : "nonzeros divisor");
    header* quotient = pushRow(p.family, m - n + 1);
    if (!quotient) return;
    header* remainder = pushRow(p.family, n);
    if (!remainder) return;
    // The working copy of p lies above the stack top.
    const int64_t width = p.family == numberReal ? 8 : 16;
    if (int64_t(m) * width > ramend - newram) {
        fail(errorDivisionScratch, "Out of memory!\n");
        return;
    }
    double* work = reinterpret_cast<double*>(newram);
    std::memcpy(work, p.data, size_t(m * width));
    bool done = true;
    withArithmetic(p.family, [&](auto a) {
        using A = decltype(a);
        done = polynomialDivide<A>(valuesOf<A>(work), m, valuesOf<A>(q.data), n,
                                   valuesOf<A>(matrixData(quotient)), escapePressed);
    });
    if (errorCode) return;
    if (!done) return reportInterrupted();
    std::memcpy(matrixData(remainder), work, size_t(n * width));
    moveResults(first, quotient);
}

// Real and complex row vectors only; scalars and intervals are refused.
constexpr Signature polytruncSignature = {
    "polytrunc",
    "row vector",
    {{.kinds = kindBit(kindRealMatrix) | kindBit(kindComplexMatrix), .rows = 1}}};

void builtinPolytrunc(header* first) {
    const Arguments args(first, polytruncSignature);
    if (!args) return;
    header* value = args[0];
    const bool complex = value->kind == kindComplexMatrix;
    const double* a = matrixData(value);
    const int width = complex ? 2 : 1;
    int k = matrixColumns(value) - 1;
    for (; k >= 0; k--) {
        if (std::fabs(a[width * k]) > currentEpsilon) break;
        if (complex && std::fabs(a[width * k + 1]) > currentEpsilon) break;
    }
    header* result;
    if (k < 0) {
        result = complex ? pushComplex(0, 0) : pushReal(0);
    } else {
        result = pushMatrixOfKind(value->kind, 1, k + 1);
        if (result) std::memcpy(matrixData(result), a, size_t(k + 1) * width * 8);
    }
    if (result) moveResult(first, result);
}

// No roots give the constant polynomial 1. A value that is no number is
// refused with "Matrix expected!".
constexpr Signature polyconsSignature = {"polycons", "row vector", {{takesAnything}}};

void builtinPolycons(header* first) {
    const Arguments a(first, polyconsSignature);
    if (!a) return;
    Coefficients r;
    if (!readCoefficients(a[0], &r)) return;
    if (r.family == numberInterval || !r.isRow()) return a.refuse();
    header* result = pushRow(r.family, int64_t(r.columns) + 1);
    if (!result) return;
    bool done = true;
    withArithmetic(r.family, [&](auto a) {
        using A = decltype(a);
        done = polynomialFromRoots<A>(valuesOf<A>(r.data), r.columns,
                                      valuesOf<A>(matrixData(result)), escapePressed);
    });
    if (!done) return reportInterrupted();
    moveResult(first, result);
}

// --- Newton form ---------------------------------------------------------------

void builtinInterp(header* first) {
    const Arguments a(first, interpSignature);
    Coefficients x, y;
    if (!readTwoRows(a, &x, &y)) return;
    if (x.columns != y.columns) return a.need("two row vectors of same length");
    header* result = pushRow(x.family, x.columns);
    if (!result) return;
    const int64_t width = x.family == numberReal ? 8 : 16;
    std::memcpy(matrixData(result), y.data, size_t(x.columns * width));
    int64_t coinciding = -1;
    withArithmetic(x.family, [&](auto a) {
        using A = decltype(a);
        coinciding = dividedDifferencesInPlace<A>(
            valuesOf<A>(x.data), valuesOf<A>(matrixData(result)), x.columns, escapePressed);
    });
    if (errorCode) return;
    if (coinciding == differencesInterrupted) return reportInterrupted();
    if (coinciding >= 0) {
        if (x.family == numberInterval)
            fail(errorFailed, "Interval points coincide\n");
        else
            a.need("pairwise different interpolation points");
        return;
    }
    moveResult(first, result);
}

// There is no interval form of the conversion: intervals are refused. A
// value that is no number is refused with "Matrix expected!".
constexpr Signature polytransSignature = {.builtin = "polytrans",
                                          .need = "row vectors xd,dd",
                                          .rules = {{takesAnything}, {takesAnything}},
                                          .sameFamily = true};

void builtinPolytrans(header* first) {
    const Arguments a(first, polytransSignature);
    if (!a) return;
    Coefficients x, d;
    if (!readCoefficients(a[0], &x) || !readCoefficients(a[1], &d)) return;
    if (x.family == numberInterval) return a.need("real or complex row vectors xd,dd");
    if (!x.isRow() || !d.isRow()) return a.refuse();
    if (x.columns != d.columns) return a.need("row vectors xd,dd of same size");
    header* result = pushRow(x.family, x.columns);
    if (!result) return;
    bool done = true;
    withArithmetic(x.family, [&](auto a) {
        using A = decltype(a);
        if constexpr (!std::is_same_v<A, IntervalArithmetic>)
            done = newtonToPowerForm<A>(valuesOf<A>(x.data), valuesOf<A>(d.data), x.columns,
                                        valuesOf<A>(matrixData(result)), escapePressed);
    });
    if (!done) return reportInterrupted();
    moveResult(first, result);
}

// --- roots -------------------------------------------------------------------------

constexpr Signature rootPolynomialSignature = {
    .rules = {{.kinds = kindBit(kindRealMatrix) | kindBit(kindComplexMatrix), .rows = 1}},
    .refusal = {errorRootArgument, "Need a complex polynomial\n"}};

// A real or complex row vector of at least two coefficients whose highest
// nonzero coefficient is not the constant: its degree and data, else
// "Need a complex polynomial". Zero highest coefficients are dropped (they
// stand for no roots).
bool readRootPolynomial(header* argument, const double** data, bool* complex, int* degree) {
    const Arguments a(argument, rootPolynomialSignature);
    if (!a) return false;
    header* p = a[0];
    *complex = p->kind == kindComplexMatrix;
    *data = matrixData(p);
    const int width = *complex ? 2 : 1;
    int n = matrixColumns(p) - 1;
    while (n > 0 && (*data)[width * n] == 0 && (!*complex || (*data)[width * n + 1] == 0)) n--;
    *degree = n;
    if (n >= 1) return true;
    a.refuse();
    return false;
}

// Scratch for the iteration above the stack top (the result record is
// already pushed); real coefficients are made complex in it.
Complex* rootScratch(const double* data, bool complex, int degree, const Complex** coefficients) {
    const int64_t bytes = 2 * int64_t(degree + 1) * int64_t(sizeof(Complex));
    if (bytes > ramend - newram) {
        reportOutOfMemory();
        return nullptr;
    }
    Complex* work = reinterpret_cast<Complex*>(newram);
    if (complex) {
        *coefficients = reinterpret_cast<const Complex*>(data);
    } else {
        for (int k = 0; k <= degree; k++) work[k] = Complex(data[k], 0);
        *coefficients = work;
    }
    return work;
}

// The iteration's outcome as the builtin reports it.
void reportRootStatus(RootStatus status, bool allRoots) {
    if (status == RootStatus::found) return;
    if (status == RootStatus::interrupted && !allRoots) {
        errorCode = errorRootInterrupted;
        return;
    }
    fail(errorRootFailed, "Bauhuber-Iteration failed!\n");
}

// The start of polyroot, its second argument, is read before the
// polynomial.
constexpr Signature rootStartSignature = {
    .rules = {{takesReal | takesComplex}},
    .refusal = {errorRootArgument, "Need a starting value!\n"}};

void builtinPolyroot(header* first) {
    const Arguments start(nextValue(first), rootStartSignature);
    if (!start) return;
    const Complex startValue = start[0]->kind == kindReal
                                   ? Complex(realOf(start[0]), 0)
                                   : Complex(complexOf(start[0])[0], complexOf(start[0])[1]);
    const double* data;
    bool complex;
    int degree;
    if (!readRootPolynomial(first, &data, &complex, &degree)) return;
    header* result = pushComplex(0, 0);
    if (!result) return;
    const Complex* coefficients;
    Complex* work = rootScratch(data, complex, degree, &coefficients);
    if (!work) return;
    Complex root;
    const RootSearch search{currentEpsilon, checkEscape, work};
    reportRootStatus(bauhuberRoots(coefficients, degree, &root, false, startValue, search), false);
    if (errorCode) return;
    complexOf(result)[0] = root.real();
    complexOf(result)[1] = root.imag();
    moveResult(first, result);
}

void builtinPolysolve(header* first) {
    const double* data;
    bool complex;
    int degree;
    if (!readRootPolynomial(first, &data, &complex, &degree)) return;
    header* result = pushComplexMatrix(1, degree);
    if (!result) return;
    const Complex* coefficients;
    Complex* work = rootScratch(data, complex, degree, &coefficients);
    if (!work) return;
    Complex* roots = reinterpret_cast<Complex*>(matrixData(result));
    const RootSearch search{currentEpsilon, checkEscape, work};
    reportRootStatus(bauhuberRoots(coefficients, degree, roots, true, 0.0, search), true);
    if (!errorCode) moveResult(first, result);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"divdif", 2, 0, builtinInterp},       {"divdifeval", 3, 0, builtinInterpval},
    {"interp", 2, 0, builtinInterp},       {"interpval", 3, 0, builtinInterpval},
    {"polyadd", 2, 0, builtinPolyadd},     {"polycons", 1, 0, builtinPolycons},
    {"polydiv", 2, 0, builtinPolydiv},     {"polymult", 2, 0, builtinPolymult},
    {"polyroot", 2, 0, builtinPolyroot},   {"polysolve", 1, 0, builtinPolysolve},
    {"polytrans", 2, 0, builtinPolytrans}, {"polytrunc", 1, 0, builtinPolytrunc},
    {"polyval", 2, 0, builtinPolyval},
};
KALIX_BUILTIN_FAMILY(polynomialBuiltins, rows);

}  // namespace kalix
