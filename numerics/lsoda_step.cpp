// One LSODA step: prediction of the Nordsieck history, the corrector
// (functional iteration for Adams, chord iteration with a difference
// Jacobian for BDF), the local error test, recovery from failures, and the
// hand-over to the order, step and method decisions.
#include <algorithm>
#include <cmath>

#include "numerics/lsoda.h"
#include "numerics/lsoda_linear_algebra.h"

namespace kalix {

namespace {

// f(tcur, y) into dy; false when the right-hand side failed.
bool callDerivative(LsodaState& s, const double* y, double* dy) {
    return s.callbacks.derivative(s.callbacks.context, s.tcur, y + 1, dy + 1);
}

bool evaluate(LsodaState& s, const double* y, double* dy) {
    s.functionCount++;
    return callDerivative(s, y, dy);
}

double norm(const LsodaState& s, const double* v) { return weightedMaxNorm(s.neq, v, s.ewt); }

// Multiplies the history by the Pascal triangle (prediction), or undoes it.
void predict(LsodaState& s, bool undo) {
    const int n = s.neq;
    for (int j = s.order; j >= 1; j--) {
        for (int i1 = j; i1 <= s.order; i1++) {
            double* row = s.history[i1];
            const double* next = s.history[i1 + 1];
            if (undo)
                for (int i = 1; i <= n; i++) row[i] -= next[i];
            else
                for (int i = 1; i <= n; i++) row[i] += next[i];
        }
    }
}

void copyVector(int n, const double* from, double* to) {
    std::copy(from + 1, from + n + 1, to + 1);
}

// The iteration matrix M = I - h l_1 J from a difference Jacobian, factored.
bool buildIterationMatrix(LsodaState& s, double* y) {
    const int n = s.neq;
    s.jacobianCount++;
    s.matrixSingular = 0;
    s.jacobianCurrent = 1;
    const double hl0 = s.h * s.coefLast;
    double r0 = 1000 * std::fabs(s.h) * lsodaEta * n * norm(s, s.savedDerivative);
    if (r0 == 0) r0 = 1;
    for (int j = 1; j <= n; j++) {
        const double yj = y[j];
        const double r = std::max(s.sqrtEta * std::fabs(yj), r0 / s.ewt[j]);
        y[j] = yj + r;
        const double fac = -hl0 / r;
        if (!callDerivative(s, y, s.correction)) return false;
        for (int i = 1; i <= n; i++)
            s.iterationMatrix[i][j] = (s.correction[i] - s.savedDerivative[i]) * fac;
        y[j] = yj;
    }
    s.functionCount += n;
    s.jacobianNorm = weightedMatrixNorm(n, s.iterationMatrix, s.ewt) / std::fabs(hl0);
    for (int i = 1; i <= n; i++) s.iterationMatrix[i][i] += 1;
    int info = 0;
    factorMatrix(s.iterationMatrix, n, s.pivots, &info);
    if (info != 0) s.matrixSingular = 1;
    return true;
}

enum Verdict { converged = 0, retryWithSmallerStep = 1, giveUp = 2, evaluationFailed = 3 };

// After a corrector failure: undo the prediction and cut h by 4, or give
// up at hmin or after too many failures in this step.
Verdict recoverCorrectorFailure(LsodaState& s, double told, double* rh, int* ncf) {
    (*ncf)++;
    s.maxRatio = 2;
    s.tcur = told;
    predict(s, true);
    if (std::fabs(s.h) <= s.hmin * 1.00001 || *ncf == s.maxConvergenceFailures) return giveUp;
    *rh = 0.25;
    s.jacobianDue = s.miter;
    return retryWithSmallerStep;
}

struct CorrectorOutcome {
    Verdict verdict;
    double del;  // norm of the last correction
    int m;       // iterations of the last pass
};

CorrectorOutcome iterateCorrector(LsodaState& s, double* y, double pnorm, double told, double* rh,
                                  int* ncf) {
    const int n = s.neq;
    int m = 0;
    double rate = 0, del = 0, delp = 0;
    copyVector(n, s.history[1], y);
    if (!evaluate(s, y, s.savedDerivative)) return {evaluationFailed, del, m};
    for (;;) {
        if (m == 0) {
            if (s.jacobianDue > 0) {
                if (!buildIterationMatrix(s, y)) return {evaluationFailed, del, m};
                s.jacobianDue = 0;
                s.gammaRatio = 1;
                s.jacobianStep = s.nst;
                s.convergenceRate = 0.7;
                if (s.matrixSingular) return {recoverCorrectorFailure(s, told, rh, ncf), del, m};
            }
            std::fill(s.correction + 1, s.correction + n + 1, 0.0);
        }
        const double* predicted = s.history[1];
        const double* slope = s.history[2];
        if (s.miter == 0) {
            double largest = 0;
            for (int i = 1; i <= n; i++) {
                s.savedDerivative[i] = s.h * s.savedDerivative[i] - slope[i];
                largest =
                    std::max(largest, std::fabs(s.savedDerivative[i] - s.correction[i]) * s.ewt[i]);
            }
            del = largest;
            for (int i = 1; i <= n; i++) {
                y[i] = predicted[i] + s.coef[1] * s.savedDerivative[i];
                s.correction[i] = s.savedDerivative[i];
            }
        } else {
            for (int i = 1; i <= n; i++)
                y[i] = s.h * s.savedDerivative[i] - (slope[i] + s.correction[i]);
            solveFactored(s.iterationMatrix, n, s.pivots, y, 0);
            del = norm(s, y);
            for (int i = 1; i <= n; i++) {
                s.correction[i] += y[i];
                y[i] = predicted[i] + s.coef[1] * s.correction[i];
            }
        }
        // A change at roundoff level has converged; otherwise estimate the
        // convergence rate (an Adams step makes at least two iterations).
        if (del <= 100 * pnorm * lsodaEta) return {converged, del, m};
        if (m != 0 || s.method != 1) {
            if (m != 0) {
                const double rm = del <= 1024 * delp ? del / delp : 1024;
                rate = std::max(rate, rm);
                s.convergenceRate = std::max(0.2 * s.convergenceRate, rm);
            }
            const double dcon = del * std::min(1.0, 1.5 * s.convergenceRate) /
                                (s.testTable[s.order][2] * s.convergenceScale);
            if (dcon <= 1) {
                s.lipschitzEstimate =
                    std::max(s.lipschitzEstimate, rate / std::fabs(s.h * s.coef[1]));
                if (s.lipschitzEstimate != 0) s.lastLipschitz = s.lipschitzEstimate;
                return {converged, del, m};
            }
        }
        m++;
        if (m == s.maxCorrectorIterations || (m >= 2 && del > 2 * delp)) {
            if (s.miter == 0 || s.jacobianCurrent == 1)
                return {recoverCorrectorFailure(s, told, rh, ncf), del, m};
            // Start again with a new matrix.
            s.jacobianDue = s.miter;
            m = 0;
            rate = 0;
            del = 0;
            copyVector(n, s.history[1], y);
        } else {
            delp = del;
        }
        if (!evaluate(s, y, s.savedDerivative)) return {evaluationFailed, del, m};
    }
}

void finishStep(LsodaState& s) {
    const double r = 1 / s.testTable[s.orderUsed][2];
    for (int i = 1; i <= s.neq; i++) s.correction[i] *= r;
    s.hOld = s.h;
    s.startMode = 1;
}

void rescaleAtLeastHmin(LsodaState& s, double rh) {
    rescaleHistory(s, std::max(rh, s.hmin / std::fabs(s.h)));
}

void startProblem(LsodaState& s) {
    s.maxOrderPlus1 = s.maxOrder + 1;
    s.order = 1;
    s.orderPlus1 = 2;
    s.stepsUntilChange = 2;
    s.maxRatio = 10000;
    s.gammaRatio = 0;
    s.coefLast = 1;
    s.convergenceRate = 0.7;
    s.hOld = s.h;
    s.jacobianStep = 0;
    s.jacobianDue = s.miter;
    s.switchCountdown = 20;
    s.stabilityLimited = 0;
    s.lipschitzEstimate = 0;
    s.lastLipschitz = 0;
    s.switchRatio = 5;
    computeMethodCoefficients(s, 2);
    for (int q = 1; q <= 5; q++) s.bdfConstants[q] = s.testTable[q][2] * s.coefTable[q][q + 1];
    computeMethodCoefficients(s, 1);
    for (int q = 1; q <= 12; q++) s.adamsConstants[q] = s.testTable[q][2] * s.coefTable[q][q + 1];
    loadOrderCoefficients(s);
}

// After a successful step: maybe switch methods, else consider a new order
// and step size. Returns when the step is finished.
void afterSuccess(LsodaState& s, double dsm, double pnorm) {
    double rh = 1;
    s.switchCountdown--;
    if (s.switchCountdown < 0) {
        considerMethodSwitch(s, dsm, pnorm, &rh);
        if (s.method != s.methodUsed) {
            rescaleAtLeastHmin(s, rh);
            s.maxRatio = 10;
            finishStep(s);
            return;
        }
    }
    s.stepsUntilChange--;
    if (s.stepsUntilChange == 0) {
        double rhup = 0;
        if (s.orderPlus1 != s.maxOrderPlus1) {
            // The row beyond the current order holds the previous step's
            // correction.
            const double* previous = s.history[s.maxOrderPlus1];
            for (int i = 1; i <= s.neq; i++) s.savedDerivative[i] = s.correction[i] - previous[i];
            const double dup = norm(s, s.savedDerivative) / s.testTable[s.order][3];
            rhup = 1 / (1.4 * std::pow(dup, 1.0 / (s.orderPlus1 + 1)) + 1.4e-6);
        }
        const int change = chooseOrderAndStep(s, rhup, dsm, &rh);
        if (change == 2) loadOrderCoefficients(s);
        if (change != 0) {
            rescaleAtLeastHmin(s, rh);
            s.maxRatio = 10;
        }
        finishStep(s);
        return;
    }
    if (s.stepsUntilChange <= 1 && s.orderPlus1 != s.maxOrderPlus1)
        copyVector(s.neq, s.correction, s.history[s.maxOrderPlus1]);
    finishStep(s);
}

}  // namespace

void stepLsoda(LsodaState& s, double* y) {
    const double told = s.tcur;
    int ncf = 0;
    s.stepResult = 0;
    s.matrixSingular = 0;
    s.jacobianCurrent = 0;
    double rh = 1;
    if (s.startMode == 0) startProblem(s);
    if (s.startMode == -1) {
        s.jacobianDue = s.miter;
        s.maxOrderPlus1 = s.maxOrder + 1;
        if (s.stepsUntilChange == 1) s.stepsUntilChange = 2;
        if (s.method != s.methodUsed) {
            computeMethodCoefficients(s, s.method);
            s.stepsUntilChange = s.orderPlus1;
            loadOrderCoefficients(s);
        }
    }
    if ((s.startMode == -1 || s.startMode == -2) && s.h != s.hOld) {
        rh = s.h / s.hOld;
        s.h = s.hOld;
        rescaleHistory(s, rh);
    }
    for (;;) {
        if (std::fabs(s.gammaRatio - 1) > s.changeLimit || s.nst >= s.jacobianStep + s.rebuildSteps)
            s.jacobianDue = s.miter;
        s.tcur += s.h;
        predict(s, false);
        const double pnorm = norm(s, s.history[1]);
        const CorrectorOutcome c = iterateCorrector(s, y, pnorm, told, &rh, &ncf);
        if (c.verdict == evaluationFailed) {
            s.stepResult = lsodaEvaluationFailed;
            return;
        }
        if (c.verdict == retryWithSmallerStep) {
            rescaleAtLeastHmin(s, rh);
            continue;
        }
        if (c.verdict == giveUp) {
            s.stepResult = -2;
            s.hOld = s.h;
            s.startMode = 1;
            return;
        }
        s.jacobianCurrent = 0;
        const double dsm = (c.m == 0 ? c.del : norm(s, s.correction)) / s.testTable[s.order][2];
        if (dsm <= 1) {
            s.stepResult = 0;
            s.nst++;
            s.hu = s.h;
            s.orderUsed = s.order;
            s.methodUsed = s.method;
            for (int j = 1; j <= s.orderPlus1; j++) {
                double* row = s.history[j];
                for (int i = 1; i <= s.neq; i++) row[i] += s.coef[j] * s.correction[i];
            }
            afterSuccess(s, dsm, pnorm);
            return;
        }
        // The error test failed: restore, and retry with a smaller step.
        s.stepResult--;
        s.tcur = told;
        predict(s, true);
        s.maxRatio = 2;
        if (std::fabs(s.h) <= s.hmin * 1.00001) {
            s.stepResult = -1;
            s.hOld = s.h;
            s.startMode = 1;
            return;
        }
        if (s.stepResult > -3) {
            const int change = chooseOrderAndStep(s, 0, dsm, &rh);
            if (change == 0) rh = std::min(rh, 0.2);
            if (change == 2) loadOrderCoefficients(s);
            rescaleAtLeastHmin(s, rh);
            continue;
        }
        if (s.stepResult == -10) {
            s.stepResult = -1;
            s.hOld = s.h;
            s.startMode = 1;
            return;
        }
        // From the third failure on, the history is assumed wrong: restart
        // at order 1 from a fresh derivative with h cut by 10.
        rh = std::max(0.1, s.hmin / std::fabs(s.h));
        s.h *= rh;
        copyVector(s.neq, s.history[1], y);
        if (!evaluate(s, y, s.savedDerivative)) {
            s.stepResult = lsodaEvaluationFailed;
            return;
        }
        for (int i = 1; i <= s.neq; i++) s.history[2][i] = s.h * s.savedDerivative[i];
        s.jacobianDue = s.miter;
        s.stepsUntilChange = 5;
        if (s.order > 1) {
            s.order = 1;
            s.orderPlus1 = 2;
            loadOrderCoefficients(s);
        }
    }
}

}  // namespace kalix
