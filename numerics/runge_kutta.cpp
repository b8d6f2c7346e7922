// The classical Runge-Kutta step and the Cash-Karp embedded step with its
// step-size control.
#include "numerics/runge_kutta.h"

#include <cmath>

namespace kalix {

const double cashKarpTable[25] = {
    0.2,
    0.3,
    0.6,
    1.0,
    0.875,  // a2..a6
    0.2,    // b21
    3.0 / 40,
    9.0 / 40,  // b31, b32
    0.3,
    -0.9,
    1.2,  // b41..b43
    -11.0 / 54,
    2.5,
    -70.0 / 27,
    35.0 / 27,  // b51..b54
    1631.0 / 55296,
    175.0 / 512,
    575.0 / 13824,
    44275.0 / 110592,
    253.0 / 4096,  // b61..b65
    37.0 / 378,
    250.0 / 621,
    125.0 / 594,
    512.0 / 1771,    // c1, c3, c4, c6
    -277.0 / 14336,  // dc5
};

const double cashKarpErrorWeights[6] = {
    37.0 / 378 - 0.10217737268518519,
    0,
    250.0 / 621 - 0.38390790343915343,
    125.0 / 594 - 0.24459273726851852,
    -277.0 / 14336,
    512.0 / 1771 - 0.25,
};

namespace {

struct Rhs {
    const OdeSystem& f;
    int n;
    bool at(double x, const double* y, double* dy) const {
        return f.derivative(f.context, x, y, dy);
    }
    bool interrupted() const { return f.interrupted && f.interrupted(f.context); }
};

// out = y + h * (sum of weights[k] * stages[k]) over `count` stages;
// stages of weight 0 take no part.
void combine(int n, const double* y, double h, int count, const double* weights,
             const double* const* stages, double* out) {
    for (int i = 0; i < n; i++) {
        double s = 0;
        for (int k = 0; k < count; k++)
            if (weights[k] != 0) s += weights[k] * stages[k][i];
        out[i] = y[i] + h * s;
    }
}

// One classical step from x with the slope dydx; the result in ynew.
// Work: yt, dyt, dym.
bool stepRungeKutta4(const Rhs& f, const double* y, const double* dydx, double x, double h,
                     double* ynew, double* yt, double* dyt, double* dym) {
    const int n = f.n;
    const double hh = h / 2, h6 = h / 6;
    for (int i = 0; i < n; i++) yt[i] = y[i] + hh * dydx[i];
    if (!f.at(x + hh, yt, dyt)) return false;
    for (int i = 0; i < n; i++) yt[i] = y[i] + hh * dyt[i];
    if (!f.at(x + hh, yt, dym)) return false;
    for (int i = 0; i < n; i++) {
        yt[i] = y[i] + h * dym[i];
        dym[i] += dyt[i];
    }
    if (!f.at(x + h, yt, dyt)) return false;
    for (int i = 0; i < n; i++) ynew[i] = y[i] + h6 * (dydx[i] + dyt[i] + 2 * dym[i]);
    return true;
}

// Vectors of the adaptive integrator, n doubles each.
struct CashKarpWork {
    double *dydx, *yscal, *yout, *yerr, *ystage, *k[5];  // k[0..4] = ak2..ak6
    CashKarpWork(double* work, int n) {
        double** vectors[] = {&dydx, &yscal, &yout, &yerr, &ystage,
                              &k[0], &k[1],  &k[2], &k[3], &k[4]};
        for (int v = 0; v < runge2WorkVectors; v++) *vectors[v] = work + long(v) * n;
    }
};

// One embedded step: yout and the error estimate yerr.
bool stepCashKarp(const Rhs& f, const double* y, double x, double h, CashKarpWork& w) {
    const double* t = cashKarpTable;
    const double* a = t;      // a2..a6
    const double* b = t + 5;  // b21, b31, b32, ...
    const double* stages[6] = {w.dydx, w.k[0], w.k[1], w.k[2], w.k[3], w.k[4]};
    for (int s = 1; s <= 5; s++) {
        combine(f.n, y, h, s, b, stages, w.ystage);
        if (!f.at(x + a[s - 1] * h, w.ystage, w.k[s - 1])) return false;
        b += s;
    }
    const double c[6] = {t[20], 0, t[21], t[22], 0, t[23]};
    combine(f.n, y, h, 6, c, stages, w.yout);
    for (int i = 0; i < f.n; i++) {
        double s = 0;
        for (int k = 0; k < 6; k++)
            if (cashKarpErrorWeights[k] != 0) s += cashKarpErrorWeights[k] * stages[k][i];
        w.yerr[i] = h * s;
    }
    return true;
}

}  // namespace

OdeStatus integrateRunge1(const OdeSystem& system, double a, double b, int steps, double* y, int n,
                          double* work) {
    const Rhs f{system, n};
    double *ynew = work, *dydx = work + n, *yt = work + 2 * n, *dyt = work + 3 * n,
           *dym = work + 4 * n;
    const double h = (b - a) / steps;
    double x = a;
    for (int step = 0; step < steps; step++) {
        if (f.interrupted()) return odeInterrupted;
        if (!f.at(x, y, dydx)) return odeEvaluationFailed;
        if (!stepRungeKutta4(f, y, dydx, x, h, ynew, yt, dyt, dym)) return odeEvaluationFailed;
        x += h;
        for (int i = 0; i < n; i++) y[i] = ynew[i];
    }
    return odeOk;
}

namespace {

// Tries steps from x, shrinking h until the scaled error is at most eps;
// then advances x and y and proposes the next step size.
OdeStatus takeControlledStep(const Rhs& f, double* y, double* x, double h, double eps,
                             CashKarpWork& w, double a, double b, double* hnext) {
    for (;;) {
        if (a <= b && *x > b) *x = b;
        if (a > b && *x < b) *x = b;
        if (!stepCashKarp(f, y, *x, h, w)) return odeEvaluationFailed;
        double errmax = 0;
        for (int i = 0; i < f.n; i++) {
            const double e = std::fabs(w.yerr[i] / w.yscal[i]);
            errmax = errmax > e ? errmax : e;
        }
        errmax /= eps;
        if (errmax > 1) {
            h = 0.9 * h * std::pow(errmax, -0.25);
            if (*x + h == *x) return odeStepsizeUnderflow;
            continue;
        }
        *hnext = errmax > 1.89e-4 ? 0.9 * h * std::pow(errmax, -0.2) : 5 * h;
        *x += h;
        for (int i = 0; i < f.n; i++) y[i] = w.yout[i];
        return odeOk;
    }
}

}  // namespace

OdeStatus integrateRunge2(const OdeSystem& system, double a, double b, double* y, int n, double eps,
                          double firstStep, double* work, double* nextStep, long stepLimit) {
    const Rhs f{system, n};
    CashKarpWork w(work, n);
    double h = b - a >= 0 ? std::fabs(firstStep) : -std::fabs(firstStep);
    double x = a, hnext = h;
    for (long step = 0;; step++) {
        if (step >= stepLimit) return odeTooManySteps;
        if (f.interrupted()) return odeInterrupted;
        if (!f.at(x, y, w.dydx)) return odeEvaluationFailed;
        for (int i = 0; i < n; i++) w.yscal[i] = std::fabs(y[i]) + std::fabs(w.dydx[i] * h) + 1e-10;
        if ((x + h - b) * (x + h - a) > 0) h = b - x;
        const OdeStatus status = takeControlledStep(f, y, &x, h, eps, w, a, b, &hnext);
        if (status != odeOk) return status;
        if ((x - b) * (b - a) >= -std::fabs(1e-4 * hnext)) break;
        h = hnext;
    }
    *nextStep = hnext;
    return odeOk;
}

}  // namespace kalix
