// Brent's minimisation and the Nelder-Mead downhill simplex.
#include "numerics/minimisers.h"

#include <algorithm>
#include <cmath>

namespace kalix {

namespace {

constexpr double goldenSection = 0.3819660112501051;
constexpr double goldenRatio = 1.618033988749895;

// |a| with the sign of b; b = 0 counts as positive.
double withSignOf(double a, double b) { return b >= 0 ? std::fabs(a) : -std::fabs(a); }

struct Scalar {
    const ScalarObjective& f;
    bool at(double x, double* value) const { return f.evaluate(f.context, x, value); }
    bool interrupted() const { return f.interrupted && f.interrupted(f.context); }
};

}  // namespace

MinimiserStatus minimiseBrent(const ScalarObjective& objective, double a, double d, double tol,
                              double epsilon, double* x, long marchLimit) {
    const Scalar f{objective};
    if (!(d > epsilon)) d = epsilon;
    double fa, fad;
    if (!f.at(a, &fa) || !f.at(a + d, &fad)) return minimiserEvaluationFailed;
    // The march grows its step by the golden ratio, so that a start step
    // of epsilon still reaches a minimum far away; a function that keeps
    // falling runs out of doubles (or of steps).
    double l, m, r;
    long steps = 0;
    if (fa > fad) {
        // Downhill to the right: move the triple until f(m) <= f(r).
        l = a, m = a + d, r = m + goldenRatio * d;
        double fm = fad, fr;
        if (!f.at(r, &fr)) return minimiserEvaluationFailed;
        while (fm > fr) {
            if (f.interrupted()) return minimiserInterrupted;
            const double next = r + goldenRatio * (r - m);
            if (++steps > marchLimit || !std::isfinite(next)) return minimiserNoBracket;
            l = m, m = r, r = next;
            fm = fr;
            if (!f.at(r, &fr)) return minimiserEvaluationFailed;
        }
    } else {
        l = a - d, m = a, r = a + d;
        double fm = fa, fl;
        if (!f.at(l, &fl)) return minimiserEvaluationFailed;
        while (fm > fl) {
            if (f.interrupted()) return minimiserInterrupted;
            const double next = l - goldenRatio * (m - l);
            if (++steps > marchLimit || !std::isfinite(next)) return minimiserNoBracket;
            r = m, m = l, l = next;
            fm = fl;
            if (!f.at(l, &fl)) return minimiserEvaluationFailed;
        }
    }
    return iterateBrent(objective, l, m, r, tol, epsilon, x);
}

MinimiserStatus iterateBrent(const ScalarObjective& objective, double l, double m, double r,
                             double tol, double epsilon, double* result) {
    const Scalar f{objective};
    double a = std::min(l, r), b = std::max(l, r);
    double x = m, w = m, v = m, fx;
    if (!f.at(m, &fx)) return minimiserEvaluationFailed;
    double fw = fx, fv = fx, e = 0, d = 1;
    for (int iteration = 0; iteration < brentIterationLimit; iteration++) {
        if (f.interrupted()) return minimiserInterrupted;
        const double xm = (a + b) / 2;
        const double tol1 = tol * std::fabs(x) + epsilon, tol2 = 2 * tol1;
        if (std::fabs(x - xm) <= tol2 - (b - a) / 2) {
            *result = x;
            return minimiserOk;
        }
        bool golden = true;
        if (std::fabs(e) > tol1) {
            // A parabola through x, w and v.
            double rr = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * rr;
            q = 2 * (q - rr);
            if (q > 0) p = -p;
            q = std::fabs(q);
            const double previous = e;
            e = d;
            if (!(std::fabs(p) >= std::fabs(q * previous / 2) || p <= q * (a - x) ||
                  p >= q * (b - x))) {
                golden = false;
                d = p / q;
                const double u = x + d;
                if (u - a < tol2 || b - u < tol2) d = withSignOf(tol1, xm - x);
            }
        }
        if (golden) {
            e = x >= xm ? a - x : b - x;
            d = goldenSection * e;
        }
        const double u = std::fabs(d) >= tol1 ? x + d : x + withSignOf(tol1, d);
        double fu;
        if (!f.at(u, &fu)) return minimiserEvaluationFailed;
        if (fu <= fx) {
            if (u >= x)
                a = x;
            else
                b = x;
            v = w, w = x, x = u;
            fv = fw, fw = fx, fx = fu;
        } else {
            if (u < x)
                a = u;
            else
                b = u;
            if (fu <= fw || w == x) {
                v = w, fv = fw;
                w = u, fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u, fv = fu;
            }
        }
    }
    return minimiserTooManyIterations;
}

namespace {

// The simplex of n + 1 vertices (rows of n doubles), their values, the
// trial point and the column sums, laid out in the caller's work space.
struct Simplex {
    const VectorObjective& f;
    int n;
    double* vertices;
    double* values;
    double* trial;
    double* sums;
    double* vertex(int i) const { return vertices + long(i) * n; }
    bool at(const double* x, double* value) const { return f.evaluate(f.context, x, value); }

    void sumColumns() const {
        for (int j = 0; j < n; j++) {
            double s = 0;
            for (int i = 0; i <= n; i++) s += vertex(i)[j];
            sums[j] = s;
        }
    }

    // Moves the worst vertex through the face of the others by `factor`;
    // keeps the trial point when it is better.
    bool tryPoint(int worst, double factor, double* value) const {
        const double fac1 = (1 - factor) / n, fac2 = fac1 - factor;
        double* p = vertex(worst);
        for (int j = 0; j < n; j++) trial[j] = sums[j] * fac1 - p[j] * fac2;
        if (!at(trial, value)) return false;
        if (*value < values[worst]) {
            values[worst] = *value;
            for (int j = 0; j < n; j++) {
                sums[j] += trial[j] - p[j];
                p[j] = trial[j];
            }
        }
        return true;
    }

    bool shrinkTowards(int best) const {
        for (int i = 0; i <= n; i++) {
            if (i == best) continue;
            double* p = vertex(i);
            for (int j = 0; j < n; j++) p[j] = (p[j] + vertex(best)[j]) / 2;
            if (!at(p, &values[i])) return false;
        }
        sumColumns();
        return true;
    }
};

MinimiserStatus iterateNelderMead(const Simplex& s, double ftol, int limit) {
    const int n = s.n;
    double* y = s.values;
    s.sumColumns();
    int count = 0;
    for (;;) {
        if (s.f.interrupted && s.f.interrupted(s.f.context)) return minimiserInterrupted;
        int ihi = y[0] > y[1] ? 0 : 1, inhi = 1 - ihi, ilo = 0;
        for (int i = 0; i <= n; i++) {
            if (y[i] <= y[ilo]) ilo = i;
            if (y[i] > y[ihi]) {
                inhi = ihi;
                ihi = i;
            } else if (y[i] > y[inhi] && i != ihi) {
                inhi = i;
            }
        }
        if (ftol > 2 * std::fabs(y[ihi] - y[ilo])) {
            std::swap(y[0], y[ilo]);
            std::swap_ranges(s.vertex(0), s.vertex(0) + n, s.vertex(ilo));
            return minimiserOk;
        }
        if (count >= limit) return minimiserTooManyIterations;
        count += 2;
        double ytry;
        if (!s.tryPoint(ihi, -1, &ytry)) return minimiserEvaluationFailed;
        if (ytry <= y[ilo]) {
            if (!s.tryPoint(ihi, 2, &ytry)) return minimiserEvaluationFailed;
        } else if (ytry >= y[inhi]) {
            const double worst = y[ihi];
            if (!s.tryPoint(ihi, 0.5, &ytry)) return minimiserEvaluationFailed;
            if (ytry >= worst) {
                if (!s.shrinkTowards(ilo)) return minimiserEvaluationFailed;
                count += n;
            }
        } else {
            count--;
        }
    }
}

}  // namespace

MinimiserStatus minimiseNelderMead(const VectorObjective& f, const double* v, int n, double d,
                                   double ftol, double epsilon, double* work, double* best,
                                   int evaluationLimit) {
    const Simplex s{f,
                    n,
                    work,
                    work + long(n + 1) * n,
                    work + long(n + 1) * (n + 1),
                    work + long(n + 1) * (n + 1) + n};
    if (d <= 0) d = epsilon;
    if (ftol <= 0) ftol = epsilon;
    for (int i = 0; i <= n; i++) {
        std::copy(v, v + n, s.vertex(i));
        if (i < n) s.vertex(i)[i] += d;
    }
    for (int i = 0; i <= n; i++)
        if (!s.at(s.vertex(i), &s.values[i])) return minimiserStartFailed;
    const MinimiserStatus status = iterateNelderMead(s, ftol, evaluationLimit);
    if (status == minimiserOk) std::copy(s.vertex(0), s.vertex(0) + n, best);
    return status;
}

}  // namespace kalix
