// Zeros of a polynomial with complex coefficients by Bauhuber's method: a
// Newton-type step on p/p' that keeps its speed at multiple roots, a
// rotating and shrinking step when |p| grows, a doubling search where p' is
// negligible, an extrapolation step for clustered roots, random restarts,
// deflation between roots, and Newton steps on the whole polynomial that
// take off the rounding that deflation leaves in later roots.
#pragma once

#include "numerics/polynomials.h"

namespace kalix {

enum class RootStatus {
    found,
    interrupted,   // the poll reported Escape
    notConverged,  // no point where p vanishes within its rounding error
};

struct RootSearch {
    double epsilon;  // the interpreter's tolerance; scales the step tests
    int (*poll)();   // polled every 200 steps; nonzero stops the search
    Complex* work;   // 2 (degree + 1) values of scratch
};

// With `allRoots` false, one root found from `start` into out[0]; with it
// true, all `degree` roots into out[0 .. degree-1] in the order found, the
// first search starting at `start` and each next one at the conjugate of
// the root before. coefficients: degree + 1 pairs, constant term first,
// degree >= 1 and the leading coefficient not zero; they may lie in the
// first half of the scratch. Searches of degree 1 and 2 use the closed
// formula (the root of smaller modulus). All roots are checked on the whole
// polynomial (|p| within a few times Horner's error bound); when one fails,
// the companion matrix's eigenvalues are taken instead, and when one of
// those fails too the result is notConverged.
RootStatus bauhuberRoots(const Complex* coefficients, int degree, Complex* out, bool allRoots,
                         Complex start, const RootSearch& search);

// The root of smaller modulus of a x^2 + b x + c (a linear polynomial when
// a is 0); 0 when c is 0.
Complex smallerQuadraticRoot(Complex a, Complex b, Complex c);

}  // namespace kalix
