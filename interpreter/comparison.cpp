// Comparison and logical operators: strings compare as text, numbers
// element by element with broadcasting; NaN equals NaN for "==", fails every
// ordering test and counts as nonzero in the logical operators.
#include "interpreter/comparison.h"

#include <cmath>

#include "interpreter/elementwise.h"
#include "interpreter/interval_operators.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

bool isString(const header* h) { return h->kind == kindString; }

// --- element tests -------------------------------------------------------------

void equalReal(const double* a, const double* b, double* r) {
    *r = *a == *b || (std::isnan(*a) && std::isnan(*b));
}
double equalPair(double a1, double a2, double b1, double b2) { return a1 == b1 && a2 == b2; }

void notEqualReal(const double* a, const double* b, double* r) { *r = *a != *b || std::isnan(*a); }
double notEqualPair(double a1, double a2, double b1, double b2) { return !(a1 == b1 && a2 == b2); }

void lessReal(const double* a, const double* b, double* r) { *r = *a < *b; }
void lessEqualReal(const double* a, const double* b, double* r) { *r = *a <= *b; }
void greaterReal(const double* a, const double* b, double* r) { *r = *a > *b; }
void greaterEqualReal(const double* a, const double* b, double* r) { *r = *a >= *b; }

// Intervals are ordered only when every point of one lies on the side.
double lessInterval(double, double hi1, double lo2, double) { return hi1 < lo2; }
double lessEqualInterval(double, double hi1, double lo2, double) { return hi1 <= lo2; }
double greaterInterval(double lo1, double, double, double hi2) { return lo1 > hi2; }
double greaterEqualInterval(double lo1, double, double, double hi2) { return lo1 >= hi2; }

void aboutEqualReal(const double* a, const double* b, double* r) { *r = realAboutEqual(*a, *b); }

void andReal(const double* a, const double* b, double* r) { *r = *a != 0 && *b != 0; }
void orReal(const double* a, const double* b, double* r) { *r = *a != 0 || *b != 0; }

double notReal(double x) { return x == 0; }
double notComplex(const double* z) { return z[0] == 0 && z[1] == 0; }

// --- handlers ------------------------------------------------------------------

void moveTruth(header* first, bool truth) {
    header* result = pushReal(truth ? 1 : 0);
    if (!errorCode) moveResult(first, result);
}

// "==" (equal = true) and "<>".
void compareForEquality(header* first, bool equal, const char* name) {
    header *a, *b;
    if (!resolveTwoOperands(first, &a, &b, name)) return;
    if (isString(a) || isString(b)) {
        bool same = isString(a) && isString(b) && compareStrings(stringOf(a), stringOf(b)) == 0;
        moveTruth(first, same == equal);
        return;
    }
    header* result = equal
                         ? applyBinaryToReal(equalReal, equalPair, equalPair, a, b, name)
                         : applyBinaryToReal(notEqualReal, notEqualPair, notEqualPair, a, b, name);
    if (result && !errorCode) moveResult(first, result);
    reportErrorIn(name);
}

// Ordering: a string on the left compares as text with a string on the
// right; anything else goes element by element. `holds` reads the sign of
// the text comparison.
void compareOrdered(header* first, RealBinaryFunction real, IntervalBinaryToRealFunction interval,
                    bool (*holds)(int), const char* name) {
    header* left = followReference(first);
    if (left && (isString(left) || left->kind == kindStringSubvector)) {
        header *a, *b;
        if (!resolveTwoOperands(first, &a, &b, name)) return;
        if (!isString(b))
            reportNeed("two strings", name);
        else
            moveTruth(first, holds(compareStrings(stringOf(a), stringOf(b))));
    } else {
        mapBinaryToReal(real, nullptr, interval, first, name);
    }
    reportErrorIn(name);
}

}  // namespace

double realAboutEqual(double x, double y) {
    if (std::fabs(x) < currentEpsilon) return std::fabs(y) < currentEpsilon;
    if (std::fabs(y) < currentEpsilon) return 0;
    return std::fabs(x - y) / std::fabs(x) < currentEpsilon;
}

double complexAboutEqual(double re1, double im1, double re2, double im2) {
    return realAboutEqual(re1, re2) && realAboutEqual(im1, im2);
}

void compareEqual(header* first) { compareForEquality(first, true, "=="); }
void compareNotEqual(header* first) { compareForEquality(first, false, "<>"); }

void compareLess(header* first) {
    compareOrdered(
        first, lessReal, lessInterval, [](int c) { return c < 0; }, "<");
}
void compareLessEqual(header* first) {
    compareOrdered(
        first, lessEqualReal, lessEqualInterval, [](int c) { return c <= 0; }, "<=");
}
void compareGreater(header* first) {
    compareOrdered(
        first, greaterReal, greaterInterval, [](int c) { return c > 0; }, ">");
}
void compareGreaterEqual(header* first) {
    compareOrdered(
        first, greaterEqualReal, greaterEqualInterval, [](int c) { return c >= 0; }, ">=");
}

void compareAboutEqual(header* first) {
    mapBinaryToReal(aboutEqualReal, complexAboutEqual, complexAboutEqual, first, "~=");
    reportErrorIn("~=");
}

void applyAnd(header* first) {
    mapBinary(andReal, nullptr, intersectIntervals, first, "&&");
    reportErrorIn("&&");
}

void applyOr(header* first) {
    mapBinary(orReal, nullptr, hullIntervals, first, "||");
    reportErrorIn("||");
}

void applyNot(header* operand) {
    mapComplexToReal(notReal, notComplex, operand);
    reportErrorIn("!");
}

}  // namespace kalix
