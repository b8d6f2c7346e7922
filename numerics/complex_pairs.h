// Complex arithmetic on numbers stored as two consecutive doubles (re, im),
// the layout of every complex value and complex matrix element. Each
// operation reads all its operands before it writes, so the result may be
// one of the operands (determinant = determinant * pivot in place).
#pragma once

#include <cmath>

namespace kalix {

// sqrt(re^2 + im^2), without scaling: (1e200, 1e200) overflows to infinity.
inline double absComplex(const double* z) { return std::sqrt(z[0] * z[0] + z[1] * z[1]); }

inline void addComplex(const double* z, const double* w, double* out) {
    const double re = z[0] + w[0], im = z[1] + w[1];
    out[0] = re;
    out[1] = im;
}

inline void subtractComplex(const double* z, const double* w, double* out) {
    const double re = z[0] - w[0], im = z[1] - w[1];
    out[0] = re;
    out[1] = im;
}

inline void multiplyComplex(const double* z, const double* w, double* out) {
    const double re = z[0] * w[0] - z[1] * w[1];
    const double im = z[0] * w[1] + z[1] * w[0];
    out[0] = re;
    out[1] = im;
}

// The plain quotient formula, without scaling and without a test of the
// divisor: a zero divisor gives infinities or NaN.
inline void divideComplex(const double* z, const double* w, double* out) {
    const double d = w[0] * w[0] + w[1] * w[1];
    const double re = (z[0] * w[0] + z[1] * w[1]) / d;
    const double im = (z[1] * w[0] - z[0] * w[1]) / d;
    out[0] = re;
    out[1] = im;
}

// The same arithmetic on a value type, for kernels written once for real
// and complex elements. Layout-compatible with a (re, im) pair.
struct ComplexPair {
    double re, im;
};
static_assert(sizeof(ComplexPair) == 2 * sizeof(double));

inline ComplexPair operator+(ComplexPair a, ComplexPair b) { return {a.re + b.re, a.im + b.im}; }
inline ComplexPair operator-(ComplexPair a, ComplexPair b) { return {a.re - b.re, a.im - b.im}; }
inline ComplexPair operator-(ComplexPair a) { return {-a.re, -a.im}; }
inline ComplexPair operator*(ComplexPair a, ComplexPair b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline ComplexPair operator*(double s, ComplexPair a) { return {s * a.re, s * a.im}; }
inline ComplexPair operator/(ComplexPair a, ComplexPair b) {
    const double d = b.re * b.re + b.im * b.im;
    return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}
inline ComplexPair operator/(ComplexPair a, double d) { return {a.re / d, a.im / d}; }
inline ComplexPair& operator+=(ComplexPair& a, ComplexPair b) { return a = a + b; }
inline ComplexPair& operator-=(ComplexPair& a, ComplexPair b) { return a = a - b; }

// Helpers that let a template treat double and ComplexPair alike.
inline double magnitude(double x) { return std::fabs(x); }
inline double magnitude(ComplexPair z) { return std::sqrt(z.re * z.re + z.im * z.im); }
inline double magnitudeSquared(double x) { return x * x; }
inline double magnitudeSquared(ComplexPair z) { return z.re * z.re + z.im * z.im; }
inline bool isZero(double x) { return x == 0; }
inline bool isZero(ComplexPair z) { return z.re == 0 && z.im == 0; }
inline double conjugate(double x) { return x; }
inline ComplexPair conjugate(ComplexPair z) { return {z.re, -z.im}; }
template <typename E>
inline E unitOf();
template <>
inline double unitOf<double>() {
    return 1;
}
template <>
inline ComplexPair unitOf<ComplexPair>() {
    return {1, 0};
}

// Views of an array of (re, im) doubles as pairs.
inline ComplexPair* asPairs(double* p) { return reinterpret_cast<ComplexPair*>(p); }
inline const ComplexPair* asPairs(const double* p) {
    return reinterpret_cast<const ComplexPair*>(p);
}

}  // namespace kalix
