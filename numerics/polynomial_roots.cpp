// Bauhuber's root iteration on a copy of the coefficients. The search for
// one root works on the tail work[low .. degree]: the polynomial whose
// constant term is at `low`. A found root is stored at `low` (the constant
// term that deflation drops) and the next search starts at low + 1.
#include "numerics/polynomial_roots.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "numerics/lapack_library.h"
#include "numerics/random_numbers.h"

namespace kalix {

namespace {

using C = Complex;

// Products by the plain formula (std::complex's operator* would test every
// product for infinities).
C mul(C a, C b) { return complexProduct(a, b); }
C scale(C a, double f) { return {a.real() * f, a.imag() * f}; }

// |z| without overflow for parts beyond the square root of the largest
// double.
double modulus(C z) {
    if (z.real() == 0) return std::fabs(z.imag());
    if (z.imag() == 0) return std::fabs(z.real());
    return std::hypot(z.real(), z.imag());
}

// |re| + |im|: between |z| and 1.5 |z|, and cheap enough for every step of
// Horner's scheme.
double size(C z) { return std::fabs(z.real()) + std::fabs(z.imag()); }

bool isFinite(C z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

bool scaledDivide(C a, C b, C* q) { return scaledComplexQuotient(a, b, q); }

// p, p', p'' at x for the tail a[low .. n], with two measures of rounding:
// `bound`, the iteration's test of a negligible p' (the largest partial
// value M, of p or p', chooses the power E of |x| at which it arose, and
// the bound is M |x|^E (E + 1) 2^-46), and `noise`, the running error bound
// of Horner's scheme, 2 (n - low + 1) 2^-52 sum |a_k| |x|^k, below which
// |p| cannot be told from 0. Sizes of partial values and coefficients are
// taken as |re| + |im|.
struct Evaluation {
    C f, f1, f2;
    double bound, noise;
};

Evaluation evaluate(const C* a, int low, int n, C x) {
    C p = a[n], p1 = 0, half2 = 0;
    const double ax = modulus(x);
    double largest = size(p), sizes = largest;
    int e = n - low, power = e;
    for (int k = n - 1; k >= low; k--) {
        half2 = mul(half2, x) + p1;
        p1 = mul(p1, x) + p;
        p = mul(p, x) + a[k];
        sizes = sizes * ax + size(a[k]);
        e--;
        const double m = std::fmax(size(p), size(p1));
        if (m > largest) {
            largest = m;
            power = e;
        }
    }
    const double bound = ax != 0 ? largest * std::pow(ax, power) * (power + 1) : modulus(p1);
    const double noise = sizes * 2 * (n - low + 1) * 2.220446049250313e-16;
    return {p, p1, scale(half2, 2), bound * 1.4210854715202004e-14, noise};
}

}  // namespace

Complex smallerQuadraticRoot(Complex a, Complex b, Complex c) {
    if (c == 0.0) return 0;
    const C d = mul(b, b) - scale(mul(a, c), 4);
    const double m = modulus(d);
    const double sr = std::sqrt(std::fmax(0.0, (m + d.real()) / 2));
    const double si = std::sqrt(std::fmax(0.0, (m - d.real()) / 2));
    C s = {sr, d.imag() < 0 ? -si : si};
    if (s.real() * b.real() + s.imag() * b.imag() > 0) s = -s;  // Re(s conj(b)) > 0
    C root = 0;
    scaledDivide(scale(c, 2), s - b, &root);
    return root;
}

namespace {

// One search on the tail work[low .. n]. The tests scale with the
// tolerance: sc = 2096 * 64 * epsilon * (1 + |x|).
class RootIteration {
  public:
    // a: the deflated coefficients; whole: the polynomial before deflation.
    RootIteration(const C* a, const C* whole, int low, int n, const RootSearch& search)
        : a_(a), whole_(whole), low_(low), n_(n), epsilon_(search.epsilon), poll_(search.poll) {}

    RootStatus run(C start, C* root) {
        const int degree = n_ - low_;
        if (degree <= 2) {
            *root = smallerQuadraticRoot(degree == 2 ? a_[n_] : 0.0, a_[low_ + 1], a_[low_]);
            return isFinite(*root) ? RootStatus::found : RootStatus::notConverged;
        }
        // A run that stalls starts again from the current point scaled by
        // random factors 1 to 4 in each part; the twelfth stall gives up.
        for (int restarts = 0;; restarts++) {
            const RootStatus status = search(start, root);
            if (status != RootStatus::notConverged || restarts > 10) return status;
            const int q1 = nextRandom15() / 10000, q2 = nextRandom15() / 10000;
            start = {x_.real() * (q1 + 1), x_.imag() * (q2 + 1)};
        }
    }

  private:
    double stepScale(C at) const { return 2096 * 64 * epsilon_ * (1 + modulus(at)); }

    void evaluateAt(C x) {
        x_ = x;
        v_ = evaluate(a_, low_, n_, x);
        af_ = modulus(v_.f);
    }

    // Newton-type step on p/p' (the correction of a multiple root's
    // multiplicity included), limited to length r.
    // The step -f f' / (f'^2 - f f''), taken as -(f/f') / (1 - (f/f')(f''/f'))
    // so that no product overflows where f and f' are large. False when p'
    // is negligible against the rounding error (|f'| <= 10 bound, or
    // |f'^2 - f f''| <= 100 bound^2).
    bool newtonStep(double r) {
        C u, v, step;
        if (!scaledDivide(v_.f, v_.f1, &u) || !scaledDivide(v_.f2, v_.f1, &v)) return false;
        const C q = 1.0 - mul(u, v);
        const double t = modulus(v_.f1) / v_.bound;
        if (!(t > 10 && t * t * modulus(q) > 100) || !scaledDivide(-u, q, &step)) return false;
        dx_ = step;
        k_ = k_ + 1 > 2 ? 2 : k_ + 1;
        const double length = modulus(dx_);
        if (length > r) {
            dx_ = scale(dx_, r / length);
            k_ = 0;
        }
        // Two full Newton steps in a row that stay small: extrapolate
        // towards a cluster of roots.
        if (k_ == 2 && length > 0 && length < sc_ / (64 * epsilon_)) {
            k_ = 0;
            C w, t;
            if (scaledDivide(x_ - xalt_, dx_, &w)) {
                w += 1.0;
                if (scaledDivide(dx_, mul(w, w), &t) && modulus(t) < 50 * sc_) dx_ = dx_ + t;
            }
        }
        xalt_ = x_;
        fAlt_ = af_;
        return true;
    }

    // p' negligible: step in the direction of p, doubled until |p| changes.
    // False when no finite step changes it.
    bool doublingStep(double r) {
        k_ = 0;
        dx_ = scale(v_.f, r / af_);
        xalt_ = x_;
        fAlt_ = af_;
        for (int i = 0; i < 2100; i++) {
            const double changed = modulus(evaluate(a_, low_, n_, xalt_ + dx_).f);
            dx_ = scale(dx_, 2);
            if (!std::isfinite(changed) || !isFinite(dx_)) return false;
            if (std::fabs(changed / af_ - 1) >= 64 * epsilon_) return true;
        }
        return false;
    }

    // One run from `start` until a root, Escape, or 200 steps without a new
    // smallest |p|. A run that stalls where |p| is within its rounding error
    // bound has found the root as well as arithmetic can tell.
    RootStatus search(C start, C* root) {
        xalt_ = 0;
        dx_ = 0;
        k_ = 0;
        int j = 1;
        double fmin = 1e20;
        evaluateAt(start);
        if (af_ == 0) {
            *root = start;
            return RootStatus::found;
        }
        fAlt_ = af_;
        sc_ = stepScale(start);
        double bestNoise = v_.noise, bestValue = af_;
        C best = x_;
        for (;;) {
            if (!isFinite(x_) || !std::isfinite(af_)) return RootStatus::notConverged;
            j++;
            const double r = 1 + modulus(x_);
            if (af_ > fAlt_) {
                k_ = 0;
                dx_ = mul(dx_, C(0.1, 0.8));
            } else {
                if (!newtonStep(r) && !doublingStep(r)) return RootStatus::notConverged;
            }
            sc_ = stepScale(xalt_);
            evaluateAt(xalt_ + dx_);
            if (af_ < bestValue) {
                bestValue = af_;
                bestNoise = v_.noise;
                best = x_;
            }
            const bool small = af_ < 1e-5 || af_ <= v_.noise;
            if (af_ == 0 || (modulus(dx_) < sc_ && small && j > 5)) {
                *root = x_;
                return RootStatus::found;
            }
            if (j > 200) {
                j = 0;
                if (af_ < fmin) {
                    fmin = af_;
                    if (poll_ && poll_()) return RootStatus::interrupted;
                } else if (bestValue <= bestNoise || rootOfWhole(best)) {
                    *root = best;
                    return RootStatus::found;
                } else {
                    return RootStatus::notConverged;
                }
            }
        }
    }

    // A deflated polynomial carries the rounding of the deflations in its
    // coefficients, more than its own evaluation shows: a point where the
    // whole polynomial vanishes within its rounding is a root all the same.
    bool rootOfWhole(C x) const {
        if (low_ == 0) return false;
        const Evaluation w = evaluate(whole_, 0, n_, x);
        return modulus(w.f) <= w.noise;
    }

    const C* a_;
    const C* whole_;
    int low_, n_;
    double epsilon_;
    int (*poll_)();
    Evaluation v_{};
    C x_{}, xalt_{}, dx_{};
    double af_ = 0, fAlt_ = 0, sc_ = 0;
    int k_ = 0;
};

// Synthetic division of the tail by (x - root); the quotient stays at
// low + 1 .. n.
void deflate(C* a, int low, int n, C root) {
    for (int k = n - 1; k > low; k--) a[k] = a[k] + mul(a[k + 1], root);
}

// Newton steps on the whole polynomial a[0 .. n] from a root found on a
// deflated one (whose coefficients carry the rounding of every earlier
// deflation): each step is kept only while it makes |p| smaller, and the
// root moves at most `reach` in all.
Complex polish(const C* a, int n, C root, double reach) {
    Evaluation v = evaluate(a, 0, n, root);
    double size = modulus(v.f);
    const C start = root;
    for (int step = 0; step < 10 && size > 0; step++) {
        C dx;
        if (!scaledDivide(v.f, v.f1, &dx)) break;
        const C next = root - dx;
        if (!(modulus(next - start) <= reach)) break;
        const Evaluation w = evaluate(a, 0, n, next);
        if (!(modulus(w.f) < size)) break;
        root = next;
        v = w;
        size = modulus(w.f);
    }
    return root;
}

// A quarter of the distance from root k to the nearest other root: polishing
// never carries a root over to a neighbour.
double polishReach(const C* roots, int count, int k) {
    double nearest = INFINITY;
    for (int i = 0; i < count; i++)
        if (i != k) nearest = std::fmin(nearest, modulus(roots[i] - roots[k]));
    return 0.25 * nearest;
}

// The exponent of the power of two nearest the geometric mean of the
// roots' moduli, |a_j / a_n|^(1 / (n - j)) for the lowest nonzero a_j.
int rootScaleExponent(const Complex* a, int n) {
    int j = 0;
    while (j < n && a[j] == 0.0) j++;
    if (j == n) return 0;
    const double l = (std::log2(modulus(a[j])) - std::log2(modulus(a[n]))) / (n - j);
    return std::isfinite(l) ? int(std::lround(std::fmax(-1100.0, std::fmin(1100.0, l)))) : 0;
}

C scaleByPowerOfTwo(C z, long exponent) {
    const int e = int(std::max(-5000L, std::min(5000L, exponent)));
    return {std::ldexp(z.real(), e), std::ldexp(z.imag(), e)};
}

// A root passes when |p(x)| of the whole polynomial lies within a few times
// Horner's running error bound there: a normwise backward error of about
// 2 (n + 1) 2^-52 at most, which any good approximation of a root meets.
bool isRootOfWhole(const C* whole, int n, C x) {
    if (!isFinite(x)) return false;
    const Evaluation w = evaluate(whole, 0, n, x);
    return modulus(w.f) <= 8 * w.noise;
}

bool allRootsPass(const C* whole, int n, const C* roots) {
    for (int k = 0; k < n; k++)
        if (!isRootOfWhole(whole, n, roots[k])) return false;
    return true;
}

void polishAll(const C* whole, int n, C* roots) {
    for (int k = 0; k < n; k++) {
        const double reach = polishReach(roots, n, k);
        if (reach > 0) roots[k] = polish(whole, n, roots[k], reach);
    }
}

// The companion matrix takes n^2 complex values: 64 MB at this degree.
constexpr int largestCompanionDegree = 2000;

// The eigenvalues of the companion matrix of the monic polynomial `whole`
// (balanced QR through LAPACK), polished on the polynomial. False when
// LAPACK fails, the degree is beyond the companion's limit, or there is no
// room for the matrix.
bool companionRoots(const C* whole, int n, C* out) {
    if (n > largestCompanionDegree) return false;
    const LapackLibrary* lapack = lapackLibrary();
    if (!lapack) return false;
    for (int k = 0; k < n; k++)
        if (!isFinite(whole[k])) return false;
    std::vector<C> m, values;
    try {
        m.assign(size_t(n) * n, 0.0);
        values.resize(n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int j = 0; j < n; j++) m[size_t(j) * n] = -whole[n - 1 - j];
    for (int i = 1; i < n; i++) m[i + size_t(i - 1) * n] = 1;
    const lapack_int info = lapack->zgeev(
        LAPACK_COL_MAJOR, 'N', 'N', n, reinterpret_cast<lapack_complex_double*>(m.data()), n,
        reinterpret_cast<lapack_complex_double*>(values.data()), nullptr, 1, nullptr, 1);
    if (info != 0) return false;
    std::copy(values.begin(), values.end(), out);
    polishAll(whole, n, out);
    return true;
}

}  // namespace

RootStatus bauhuberRoots(const Complex* coefficients, int degree, Complex* out, bool allRoots,
                         Complex start, const RootSearch& search) {
    // The iteration's thresholds are absolute (|p| below 1e-5, steps below
    // about 3e-7 (1 + |x|)): it runs on the monic polynomial in y = x / s,
    // s the power of two nearest the size of the roots, which changes no
    // digit of the coefficients and leaves roots of size 1 to find. The
    // second half of the scratch keeps that polynomial for polishing.
    C* a = search.work;
    C* whole = search.work + degree + 1;
    const C lead = coefficients[degree];
    const int e = rootScaleExponent(coefficients, degree);
    for (int k = 0; k < degree; k++) {
        const C scaled = scaleByPowerOfTwo(coefficients[k], long(e) * (k - degree));
        if (!scaledDivide(scaled, lead, &whole[k])) return RootStatus::notConverged;
    }
    whole[degree] = 1;
    std::copy(whole, whole + degree + 1, a);
    start = scaleByPowerOfTwo(start, -e);
    const int count = allRoots ? degree : 1;
    RootStatus status = RootStatus::found;
    for (int i = 0; i < count && status == RootStatus::found; i++) {
        C root;
        status = RootIteration(a, whole, i, degree, search).run(start, &root);
        if (status != RootStatus::found) break;
        out[i] = root;
        if (i + 1 < count) deflate(a, i, degree, root);
        start = std::conj(root);
    }
    if (status == RootStatus::interrupted || (!allRoots && status != RootStatus::found))
        return status;
    if (allRoots) {
        // Deflation can carry a root of a high degree far from any root of
        // the polynomial: every root is checked on the whole polynomial, and
        // a set with a failure (or a failed search) is replaced by the
        // companion matrix's eigenvalues, which must pass in turn.
        if (status == RootStatus::found) polishAll(whole, degree, out);
        if (status != RootStatus::found || !allRootsPass(whole, degree, out)) {
            if (!companionRoots(whole, degree, out) || !allRootsPass(whole, degree, out))
                return RootStatus::notConverged;
        }
    } else {
        out[0] = polish(whole, degree, out[0], 2096 * 64 * search.epsilon * (1 + modulus(out[0])));
    }
    for (int k = 0; k < count; k++) out[k] = scaleByPowerOfTwo(out[k], e);
    return RootStatus::found;
}

}  // namespace kalix
