// LSODA method coefficients and the decisions between steps: order and step
// size, rescaling of the Nordsieck history, and the switch between the
// Adams and BDF families.
#include <algorithm>
#include <cmath>

#include "numerics/lsoda.h"

namespace kalix {

const double stabilityTable[13] = {0,   0.5,  0.575, 0.55,  0.45, 0.35, 0.25,
                                   0.2, 0.15, 0.1,   0.075, 0.05, 0.025};

double weightedMaxNorm(int n, const double* v, const double* w) {
    double norm = 0;
    for (int i = 1; i <= n; i++) norm = std::max(norm, std::fabs(v[i]) * w[i]);
    return norm;
}

// Column k of row q: the coefficient of x^(k-1) of the method's generating
// polynomial l(x) at order q. testTable[q] holds the error constants used
// for order q - 1, q and q + 1.
void computeMethodCoefficients(LsodaState& s, int method) {
    double p[14] = {};  // p[i]: coefficient of x^(i-1)
    if (method == 1) {
        s.coefTable[1][1] = 1;
        s.coefTable[1][2] = 1;
        s.testTable[1][1] = 0;
        s.testTable[1][2] = 2;
        s.testTable[2][1] = 1;
        s.testTable[12][3] = 0;
        p[1] = 1;
        double inverseFactorial = 1;  // 1/q!
        for (int q = 2; q <= 12; q++) {
            const double previousInverse = inverseFactorial;  // 1/(q-1)!
            inverseFactorial /= q;
            // p(x) *= (x + q - 1)
            p[q] = 0;
            for (int i = q; i >= 2; i--) p[i] = p[i - 1] + (q - 1) * p[i];
            p[1] *= q - 1;
            // Integrals of p(x) and x p(x) over [-1, 0].
            double integral = p[1], moment = p[1] / 2, sign = 1;
            for (int i = 2; i <= q; i++) {
                sign = -sign;
                integral += sign * p[i] / i;
                moment += sign * p[i] / (i + 1);
            }
            s.coefTable[q][1] = integral * previousInverse;
            s.coefTable[q][2] = 1;
            for (int i = 2; i <= q; i++) s.coefTable[q][i + 1] = previousInverse * p[i] / i;
            const double g = 1 / (inverseFactorial * moment);
            s.testTable[q][2] = g;
            if (q < 12) s.testTable[q + 1][1] = g * inverseFactorial / (q + 1);
            s.testTable[q - 1][3] = g;
        }
        return;
    }
    p[1] = 1;
    double inverseFactorial = 1;  // 1/(q-1)!
    for (int q = 1; q <= 5; q++) {
        // p(x) *= (x + q)
        p[q + 1] = 0;
        for (int i = q + 1; i >= 2; i--) p[i] = p[i - 1] + q * p[i];
        p[1] *= q;
        for (int i = 1; i <= q + 1; i++) s.coefTable[q][i] = p[i] / p[2];
        s.coefTable[q][2] = 1;
        s.testTable[q][1] = inverseFactorial;
        s.testTable[q][2] = (q + 1) / s.coefTable[q][1];
        s.testTable[q][3] = (q + 2) / s.coefTable[q][1];
        inverseFactorial /= q;
    }
}

void loadOrderCoefficients(LsodaState& s) {
    for (int i = 1; i <= s.orderPlus1; i++) s.coef[i] = s.coefTable[s.order][i];
    s.gammaRatio *= s.coef[1] / s.coefLast;
    s.coefLast = s.coef[1];
    s.convergenceScale = 0.5 / (s.order + 2);
}

void rescaleHistory(LsodaState& s, double rh) {
    rh = std::min(rh, s.maxRatio);
    rh = rh / std::max(1.0, std::fabs(s.h) * s.hmaxInverse * rh);
    if (s.method == 1) {
        s.stabilityLimited = 0;
        const double pdh = std::max(std::fabs(s.h) * s.lastLipschitz, 1e-6);
        if (rh * pdh * 1.00001 >= stabilityTable[s.order]) {
            rh = stabilityTable[s.order] / pdh;
            s.stabilityLimited = 1;
        }
    }
    double r = 1;
    for (int j = 2; j <= s.orderPlus1; j++) {
        r *= rh;
        double* row = s.history[j];
        for (int i = 1; i <= s.neq; i++) row[i] *= r;
    }
    s.h *= rh;
    s.gammaRatio *= rh;
    s.stepsUntilChange = s.orderPlus1;
}

int chooseOrderAndStep(LsodaState& s, double rhup, double dsm, double* rh) {
    const int q = s.order;
    double rhsm = 1 / (1.2 * std::pow(dsm, 1.0 / s.orderPlus1) + 1.2e-6);
    double rhdn = 0;
    if (q != 1) {
        const double ddn =
            weightedMaxNorm(s.neq, s.history[s.orderPlus1], s.ewt) / s.testTable[q][1];
        rhdn = 1 / (1.3 * std::pow(ddn, 1.0 / q) + 1.3e-6);
    }
    double pdh = 0;
    if (s.method == 1) {
        pdh = std::max(std::fabs(s.h) * s.lastLipschitz, 1e-6);
        if (s.orderPlus1 < s.maxOrderPlus1)
            rhup = std::min(rhup, stabilityTable[s.orderPlus1] / pdh);
        rhsm = std::min(rhsm, stabilityTable[q] / pdh);
        if (q > 1) rhdn = std::min(rhdn, stabilityTable[q - 1] / pdh);
        s.lipschitzEstimate = 0;
    }
    int newOrder;
    if (rhsm >= rhup) {
        if (rhsm >= rhdn) {
            newOrder = q;
            *rh = rhsm;
        } else {
            newOrder = q - 1;
            *rh = rhdn;
            if (s.stepResult < 0 && *rh > 1) *rh = 1;
        }
    } else if (rhup <= rhdn) {
        newOrder = q - 1;
        *rh = rhdn;
        if (s.stepResult < 0 && *rh > 1) *rh = 1;
    } else {
        *rh = rhup;
        if (*rh < 1.1) {
            s.stepsUntilChange = 3;
            return 0;
        }
        // One order up: the new highest row from the last correction.
        const double r = s.coef[s.orderPlus1] / s.orderPlus1;
        s.order = s.orderPlus1;
        s.orderPlus1 = s.order + 1;
        double* row = s.history[s.orderPlus1];
        for (int i = 1; i <= s.neq; i++) row[i] = s.correction[i] * r;
        return 2;
    }
    // Changes under 10 per cent are not made, unless an Adams step is held
    // by stability.
    const bool heldByStability = s.method == 1 && *rh * pdh * 1.00001 >= stabilityTable[newOrder];
    if (!heldByStability && s.stepResult == 0 && *rh < 1.1) {
        s.stepsUntilChange = 3;
        return 0;
    }
    if (s.stepResult <= -2) *rh = std::min(*rh, 0.2);
    if (newOrder == q) return 1;
    s.order = newOrder;
    s.orderPlus1 = newOrder + 1;
    return 2;
}

void considerMethodSwitch(LsodaState& s, double dsm, double pnorm, double* rh) {
    const int q = s.order;
    const double exponent = 1.0 / s.orderPlus1;
    if (s.method == 1) {
        if (q > 5) return;
        double rh2;
        if (dsm <= 100 * pnorm * lsodaEta || s.lipschitzEstimate == 0) {
            // Estimates drowned in roundoff: switch only when stability
            // held the step, and then double it.
            if (s.stabilityLimited == 0) return;
            rh2 = 2;
        } else {
            double rh1 = 1 / (1.2 * std::pow(dsm, exponent) + 1.2e-6);
            const double pdh = s.lastLipschitz * std::fabs(s.h);
            const double rh1it = pdh * rh1 > 1e-5 ? stabilityTable[q] / pdh : 2 * rh1;
            rh1 = std::min(rh1, rh1it);
            const double dm2 = dsm * (s.adamsConstants[q] / s.bdfConstants[q]);
            rh2 = 1 / (1.2 * std::pow(dm2, exponent) + 1.2e-6);
            if (rh2 < s.switchRatio * rh1) return;
        }
        *rh = rh2;
        s.switchCountdown = 20;
        s.method = 2;
        s.miter = s.jt;
        s.lastLipschitz = 0;
        return;
    }
    double dm1 = dsm * (s.bdfConstants[q] / s.adamsConstants[q]);
    double rh1 = 1 / (1.2 * std::pow(dm1, exponent) + 1.2e-6);
    const double pdh = s.jacobianNorm * std::fabs(s.h);
    const double rh1it = pdh * rh1 > 1e-5 ? stabilityTable[q] / pdh : 2 * rh1;
    rh1 = std::min(rh1, rh1it);
    const double rh2 = 1 / (1.2 * std::pow(dsm, exponent) + 1.2e-6);
    if (rh1 * s.switchRatio < 5 * rh2) return;
    dm1 *= std::pow(std::max(0.001, rh1), exponent);
    if (dm1 <= 1000 * lsodaEta * pnorm) return;
    *rh = rh1;
    s.switchCountdown = 20;
    s.method = 1;
    s.miter = 0;
    s.lastLipschitz = 0;
}

}  // namespace kalix
