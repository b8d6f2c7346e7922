// Polynomial kernels on coefficient arrays, constant term first:
// a[0] + a[1] x + ... + a[n-1] x^(n-1). Each algorithm is written once over
// an arithmetic `A` that names the value type and its operations:
//
//   using Value;                       double, or a pair of doubles
//   static Value add(Value, Value);     and subtract, multiply, divide
//   static Value negate(Value);
//   static Value one();
//   static bool coincide(Value, Value); points too close to divide by their
//                                       difference
//
// Real and complex arithmetic are below; interval arithmetic with outward
// rounding is supplied by the caller. The kernels allocate nothing; the
// caller gives every output array, which may not overlap an input unless
// stated.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>

namespace kalix {

struct RealArithmetic {
    using Value = double;
    static Value add(Value a, Value b) { return a + b; }
    static Value subtract(Value a, Value b) { return a - b; }
    static Value multiply(Value a, Value b) { return a * b; }
    static Value divide(Value a, Value b) { return a / b; }
    static Value negate(Value a) { return -a; }
    static Value one() { return 1; }
    static bool coincide(Value a, Value b) { return a == b; }
};

// Complex values in the layout of complex records and complex matrix
// elements (real part, then imaginary part), which std::complex shares.
// Products and quotients by the plain formulas: no special treatment of
// infinities, and a zero divisor gives infinities or NaN.
using Complex = std::complex<double>;

inline Complex complexProduct(Complex a, Complex b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

inline Complex complexQuotient(Complex a, Complex b) {
    const double d = b.real() * b.real() + b.imag() * b.imag();
    return {(a.real() * b.real() + a.imag() * b.imag()) / d,
            (a.imag() * b.real() - a.real() * b.imag()) / d};
}

// a / b with Smith's scaling, which neither overflows nor underflows in
// the intermediate sums where the quotient is representable; false (q
// untouched) when b is 0.
inline bool scaledComplexQuotient(Complex a, Complex b, Complex* q) {
    const double ar = a.real(), ai = a.imag(), br = b.real(), bi = b.imag();
    if (br == 0 && bi == 0) return false;
    if (std::fabs(br) > std::fabs(bi)) {
        const double r = bi / br, e = r * bi + br;
        *q = {(ar + r * ai) / e, (ai - r * ar) / e};
    } else {
        const double r = br / bi, e = r * br + bi;
        *q = {(r * ar + ai) / e, (r * ai - ar) / e};
    }
    return true;
}

struct ComplexArithmetic {
    using Value = Complex;
    static Value add(Value a, Value b) { return a + b; }
    static Value subtract(Value a, Value b) { return a - b; }
    static Value multiply(Value a, Value b) { return complexProduct(a, b); }
    static Value divide(Value a, Value b) { return complexQuotient(a, b); }
    static Value negate(Value a) { return -a; }
    static Value one() { return 1; }
    static bool coincide(Value a, Value b) { return a == b; }
};

// p(t) by Horner's scheme; `degree` >= 0 (degree + 1 coefficients).
template <class A>
typename A::Value hornerValue(const typename A::Value* a, int degree, typename A::Value t) {
    typename A::Value v = a[degree];
    for (int k = degree - 1; k >= 0; k--) v = A::add(A::multiply(v, t), a[k]);
    return v;
}

// The Newton form d[0] + d[1] (t - x[0]) + ... + d[degree] (t - x[0])...
// (t - x[degree-1]) at t.
template <class A>
typename A::Value newtonValue(const typename A::Value* x, const typename A::Value* d, int degree,
                              typename A::Value t) {
    typename A::Value v = d[degree];
    for (int k = degree - 1; k >= 0; k--) v = A::add(A::multiply(v, A::subtract(t, x[k])), d[k]);
    return v;
}

// Asks `interrupted` (may be null) about once per million operations: the
// products and divisions below take m n operations, which run for minutes
// with a million coefficients each.
class InterruptionPoll {
  public:
    explicit InterruptionPoll(bool (*interrupted)()) : interrupted(interrupted) {}
    // After `operations` more: true when the work is to stop.
    bool after(int64_t operations) {
        if (!interrupted) return false;
        done += operations;
        if (done < (int64_t(1) << 20)) return false;
        done = 0;
        return interrupted();
    }

  private:
    bool (*interrupted)();
    int64_t done = 0;
};

// r = p + q, max(m, n) coefficients; the longer operand's tail is copied.
template <class A>
void polynomialSum(const typename A::Value* p, int64_t m, const typename A::Value* q, int64_t n,
                   typename A::Value* r) {
    const int64_t common = m < n ? m : n;
    for (int64_t k = 0; k < common; k++) r[k] = A::add(p[k], q[k]);
    for (int64_t k = common; k < m; k++) r[k] = p[k];
    for (int64_t k = common; k < n; k++) r[k] = q[k];
}

// r = p q, m + n - 1 coefficients (m, n >= 1). Every position is written
// by its first product and then accumulated, never started from zero, so
// interval sums are widened only where something is added. False when
// `interrupted` stopped it (r is then partly written).
template <class A>
bool polynomialProduct(const typename A::Value* p, int64_t m, const typename A::Value* q, int64_t n,
                       typename A::Value* r, bool (*interrupted)() = nullptr) {
    InterruptionPoll poll(interrupted);
    for (int64_t i = 0; i < n; i++) r[i] = A::multiply(p[0], q[i]);
    for (int64_t j = 1; j < m; j++) {
        for (int64_t i = 0; i + 1 < n; i++) r[j + i] = A::add(r[j + i], A::multiply(p[j], q[i]));
        r[j + n - 1] = A::multiply(p[j], q[n - 1]);
        if (poll.after(n)) return false;
    }
    return true;
}

// Division with remainder of p (m coefficients) by q (n coefficients,
// 1 <= n <= m, q[n-1] not zero): quotient m - n + 1 coefficients; `work`
// holds a copy of p on entry and the remainder in work[0 .. n-1] on return
// (its last coefficient is zero up to rounding). False when `interrupted`
// stopped it.
template <class A>
bool polynomialDivide(typename A::Value* work, int64_t m, const typename A::Value* q, int64_t n,
                      typename A::Value* quotient, bool (*interrupted)() = nullptr) {
    InterruptionPoll poll(interrupted);
    for (int64_t k = m - n; k >= 0; k--) {
        const typename A::Value f = A::divide(work[k + n - 1], q[n - 1]);
        quotient[k] = f;
        for (int64_t j = 0; j < n; j++)
            work[j + k] = A::subtract(work[j + k], A::multiply(q[j], f));
        if (poll.after(n)) return false;
    }
    return true;
}

// Divided differences of the values y at the points x, in place in d (a
// copy of y on entry). Returns -1, the index k of a point that coincides
// with an earlier one (d is then partly transformed), or
// `differencesInterrupted` when `interrupted` stopped it.
constexpr int64_t differencesInterrupted = -2;

template <class A>
int64_t dividedDifferencesInPlace(const typename A::Value* x, typename A::Value* d, int64_t n,
                                  bool (*interrupted)() = nullptr) {
    InterruptionPoll poll(interrupted);
    for (int64_t i = 1; i < n; i++) {
        for (int64_t k = n - 1; k >= i; k--) {
            if (A::coincide(x[k], x[k - i])) return k;
            d[k] = A::divide(A::subtract(d[k], d[k - 1]), A::subtract(x[k], x[k - i]));
        }
        if (poll.after(n - i)) return differencesInterrupted;
    }
    return -1;
}

// Ordinary coefficients c (n of them) of the Newton form with points x and
// divided differences d. False when `interrupted` stopped it.
template <class A>
bool newtonToPowerForm(const typename A::Value* x, const typename A::Value* d, int64_t n,
                       typename A::Value* c, bool (*interrupted)() = nullptr) {
    if (n == 0) return true;
    InterruptionPoll poll(interrupted);
    c[n - 1] = d[n - 1];
    for (int64_t i = n - 2; i >= 0; i--) {
        c[i] = A::subtract(d[i], A::multiply(x[i], c[i + 1]));
        for (int64_t k = i + 1; k + 1 < n; k++)
            c[k] = A::subtract(c[k], A::multiply(x[i], c[k + 1]));
        if (poll.after(n - i)) return false;
    }
    return true;
}

// The monic polynomial c (n + 1 coefficients) with the n roots r; no roots
// give the constant 1. False when `interrupted` stopped it.
template <class A>
bool polynomialFromRoots(const typename A::Value* r, int64_t n, typename A::Value* c,
                         bool (*interrupted)() = nullptr) {
    InterruptionPoll poll(interrupted);
    c[0] = A::one();
    for (int64_t i = 0; i < n; i++) {
        const typename A::Value m = A::negate(r[i]);
        c[i + 1] = A::one();
        for (int64_t k = i; k >= 1; k--) c[k] = A::add(c[k - 1], A::multiply(m, c[k]));
        c[0] = A::multiply(m, c[0]);
        if (poll.after(i + 1)) return false;
    }
    return true;
}

}  // namespace kalix
