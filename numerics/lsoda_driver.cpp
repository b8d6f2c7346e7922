// The LSODA driver: entry checks, the start of a problem with its first
// step size, the loop of steps until tout is passed, and the interpolation
// back to tout. Messages go to the caller's message callback.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "numerics/lsoda.h"

namespace kalix {

namespace {

void say(const LsodaState& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
void say(const LsodaState& s, const char* format, ...) {
    if (!s.callbacks.message) return;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    s.callbacks.message(s.callbacks.context, text);
}

void rejectIllegalInput(LsodaState& s, int* istate) {
    if (s.illegalCount == 5)
        say(s,
            "[lsoda] repeated occurrence of illegal input. run aborted.. apparent infinite loop\n");
    else
        s.illegalCount++;
    *istate = -3;
}

void returnAtFailure(LsodaState& s, double* y, double* t) {
    std::copy(s.history[1] + 1, s.history[1] + s.neq + 1, y + 1);
    *t = s.tcur;
    s.illegalCount = 0;
}

// ewt[i] = rtol * |ycur[i]| + atol with per-component or common tolerances
// by itol; then every weight must be positive and is inverted. False (after
// the message) when one is not.
bool setErrorWeights(LsodaState& s, int itol, const double* rtol, const double* atol,
                     const double* ycur) {
    for (int i = 1; i <= s.neq; i++) {
        const double r = itol <= 2 ? rtol[1] : rtol[i];
        const double a = itol == 1 || itol == 3 ? atol[1] : atol[i];
        s.ewt[i] = r * std::fabs(ycur[i]) + a;
    }
    for (int i = 1; i <= s.neq; i++) {
        if (s.ewt[i] <= 0) {
            say(s, "[lsoda] ewt[%d] = %g <= 0.\n", i, s.ewt[i]);
            return false;
        }
        s.ewt[i] = 1 / s.ewt[i];
    }
    return true;
}

// The entry checks; false after a refusal (istate set or left).
bool checkInput(LsodaState& s, int neq, double t, double tout, int itol, const double* rtol,
                const double* atol, int itask, int* istate, int iopt, int jt) {
    if (*istate < 1 || *istate > 3) {
        say(s, "[lsoda] illegal istate = %d\n", *istate);
        return rejectIllegalInput(s, istate), false;
    }
    // Only the forms this system uses are supported: itask 1, iopt 0, jt 2.
    if (itask != 1) {
        say(s, "[lsoda] illegal itask = %d\n", itask);
        return rejectIllegalInput(s, istate), false;
    }
    if (s.initialised == 0 && *istate != 1) {
        say(s, "[lsoda] istate > 1 but lsoda not initialized\n");
        return rejectIllegalInput(s, istate), false;
    }
    if (*istate == 1) {
        s.initialised = 0;
        if (tout == t) {
            s.repeatCount++;
            if (s.repeatCount >= 5)
                say(s,
                    "[lsoda] repeated calls with istate = 1 and tout = t. run aborted\napparent "
                    "infinite loop\n");
            return false;
        }
    }
    if (*istate == 2) return true;
    s.repeatCount = 0;
    if (neq < 1) {
        say(s, "[lsoda] neq = %d is less than 1\n", neq);
        return rejectIllegalInput(s, istate), false;
    }
    if (*istate == 3 && neq > s.neq) {
        say(s, "[lsoda] istate = 3 and neq increased\n");
        return rejectIllegalInput(s, istate), false;
    }
    if (neq > s.workspaceNeq) return rejectIllegalInput(s, istate), false;
    s.neq = neq;
    if (itol < 1 || itol > 4) {
        say(s, "[lsoda] itol = %d illegal\n", itol);
        return rejectIllegalInput(s, istate), false;
    }
    if (iopt != 0) {
        say(s, "[lsoda] iopt = %d illegal\n", iopt);
        return rejectIllegalInput(s, istate), false;
    }
    if (jt != 2) {
        say(s, "[lsoda] jt = %d illegal\n", jt);
        return rejectIllegalInput(s, istate), false;
    }
    s.jt = jt;
    s.ixpr = 0;
    s.mxstep = lsodaStepLimit;
    s.mxhnil = 10;
    s.hmaxInverse = 0;
    s.hmin = 0;
    if (*istate == 1) {
        s.mxordn = maxOrderTable[1];
        s.mxords = maxOrderTable[2];
    }
    for (int i = 1; i <= neq; i++) {
        const double r = itol <= 2 ? rtol[1] : rtol[i];
        const double a = itol == 1 || itol == 3 ? atol[1] : atol[i];
        if (r < 0) {
            say(s, "[lsoda] rtol = %g is less than 0.\n", r);
            return rejectIllegalInput(s, istate), false;
        }
        if (a < 0) {
            say(s, "[lsoda] atol = %g is less than 0.\n", a);
            return rejectIllegalInput(s, istate), false;
        }
    }
    if (*istate == 3) s.startMode = -1;
    return true;
}

// A fresh start: counters, the first derivative, the weights and the first
// step size. False when the call ends here.
bool startProblem(LsodaState& s, double* y, double* t, double tout, int itol, const double* rtol,
                  const double* atol, int* istate) {
    const int n = s.neq;
    s.sqrtEta = std::sqrt(lsodaEta);
    s.method = 1;
    s.tcur = s.switchTime = *t;
    s.maxOrder = s.mxordn;
    s.startMode = 0;
    s.tinyStepCount = s.nst = s.jacobianCount = s.callStartSteps = 0;
    s.orderUsed = s.methodUsed = s.miter = 0;
    s.hu = 0;
    s.changeLimit = 0.3;
    s.maxCorrectorIterations = 3;
    s.rebuildSteps = 20;
    s.maxConvergenceFailures = 10;
    if (!s.callbacks.derivative(s.callbacks.context, *t, y + 1, s.history[2] + 1)) {
        *istate = lsodaEvaluationFailed;
        return false;
    }
    s.functionCount = 1;
    std::copy(y + 1, y + n + 1, s.history[1] + 1);
    s.order = 1;
    s.orderPlus1 = 2;
    s.h = 1;
    if (!setErrorWeights(s, itol, rtol, atol, y)) {
        returnAtFailure(s, y, t);
        return false;
    }
    const double tdist = std::fabs(tout - *t), w0 = std::max(std::fabs(*t), std::fabs(tout));
    if (tdist < 2 * lsodaEta * w0) {
        say(s, "[lsoda] tout too close to t to start integration\n ");
        rejectIllegalInput(s, istate);
        return false;
    }
    double tol = rtol[1];
    if (itol > 2)
        for (int i = 2; i <= n; i++) tol = std::max(tol, rtol[i]);
    if (tol <= 0) {
        for (int i = 1; i <= n; i++) {
            const double a = itol == 2 || itol == 4 ? atol[i] : atol[1];
            if (y[i] != 0) tol = std::max(tol, a / std::fabs(y[i]));
        }
    }
    tol = std::min(std::max(tol, 100 * lsodaEta), 0.001);
    const double slope = weightedMaxNorm(n, s.history[2], s.ewt);
    double h0 = 1 / std::sqrt(1 / (tol * w0 * w0) + tol * slope * slope);
    h0 = std::min(h0, tdist);
    if (tout - *t < 0) h0 = -h0;
    const double rh = std::fabs(h0) * s.hmaxInverse;
    if (rh > 1) h0 /= rh;
    s.h = h0;
    for (int i = 1; i <= n; i++) s.history[2][i] *= h0;
    return true;
}

void reportStepFailure(LsodaState& s, int* istate) {
    say(s, "lsoda -- at t = %g and step size h = %g, the\n", s.tcur, s.h);
    if (s.stepResult == -1) {
        say(s, "         error test failed repeatedly or\n");
        *istate = -4;
    } else {
        say(s, "         corrector convergence failed repeatedly or\n");
        *istate = -5;
    }
    say(s, "         with fabs(h) = hmin\n");
}

}  // namespace

size_t lsodaWorkspaceBytes(int neq) {
    const size_t row = size_t(neq) + 1;
    return (14 + row) * sizeof(double*) +
           (13 * row + size_t(neq) * row + 3 * row) * sizeof(double) +
           ((row * sizeof(int) + 7) & ~size_t(7));
}

void attachLsodaWorkspace(LsodaState& s, void* memory, int neq) {
    const size_t row = size_t(neq) + 1;
    char* at = static_cast<char*>(memory);
    s.history = reinterpret_cast<double**>(at);
    at += 14 * sizeof(double*);
    s.iterationMatrix = reinterpret_cast<double**>(at);
    at += row * sizeof(double*);
    double* data = reinterpret_cast<double*>(at);
    s.history[0] = nullptr;
    for (int j = 1; j <= 13; j++, data += row) s.history[j] = data;
    s.iterationMatrix[0] = nullptr;
    for (int i = 1; i <= neq; i++, data += row) s.iterationMatrix[i] = data;
    s.ewt = data, data += row;
    s.savedDerivative = data, data += row;
    s.correction = data, data += row;
    s.pivots = reinterpret_cast<int*>(data);
    s.workspaceNeq = neq;
}

void interpolateLsoda(LsodaState& s, double t, int k, double* dky, int* iflag) {
    *iflag = 0;
    const int q = s.order;
    if (k < 0 || k > q) {
        say(s, "[intdy] k = %d illegal\n", k);
        *iflag = -1;
        return;
    }
    const double tp = s.tcur - s.hu - 100 * lsodaEta * (s.tcur + s.hu);
    if ((t - tp) * (t - s.tcur) > 0) {
        if (s.warningsEnabled)
            say(s, "intdy -- t = %g illegal. t not in interval tcur - hu to tcur\n", t);
        *iflag = -2;
        return;
    }
    const double sRatio = (t - s.tcur) / s.h;
    // c_j = j! / (j - k)!
    auto factor = [k](int j) {
        double c = 1;
        for (int m = j - k + 1; m <= j; m++) c *= m;
        return c;
    };
    const int n = s.neq;
    double c = factor(q);
    for (int i = 1; i <= n; i++) dky[i] = c * s.history[q + 1][i];
    for (int j = q - 1; j >= k; j--) {
        c = factor(j);
        for (int i = 1; i <= n; i++) dky[i] = c * s.history[j + 1][i] + sRatio * dky[i];
    }
    if (k == 0) return;
    const double r = std::pow(s.h, double(-k));
    for (int i = 1; i <= n; i++) dky[i] *= r;
}

void runLsoda(LsodaState& s, int neq, double* y, double* t, double tout, int itol,
              const double* rtol, const double* atol, int itask, int* istate, int iopt, int jt) {
    if (!checkInput(s, neq, *t, tout, itol, rtol, atol, itask, istate, iopt, jt)) return;
    if (*istate == 1) {
        if (!startProblem(s, y, t, tout, itol, rtol, atol, istate)) return;
    } else {
        s.callStartSteps = s.nst;
        if ((s.tcur - tout) * s.h >= 0) {
            int iflag = 0;
            interpolateLsoda(s, tout, 0, y, &iflag);
            if (iflag != 0) {
                say(s, "[lsoda] trouble from intdy, itask = %d, tout = %g\n", itask, tout);
                rejectIllegalInput(s, istate);
                return;
            }
            *t = tout;
            *istate = 2;
            s.illegalCount = 0;
            return;
        }
    }
    for (;;) {
        if (!(*istate == 1 && s.nst == 0)) {
            if (s.nst - s.callStartSteps >= s.mxstep) {
                say(s, "[lsoda] %d steps taken before reaching tout\n", s.mxstep);
                *istate = -1;
                return returnAtFailure(s, y, t);
            }
            if (!setErrorWeights(s, itol, rtol, atol, s.history[1])) {
                *istate = -6;
                return returnAtFailure(s, y, t);
            }
        }
        double tolsf = lsodaEta * weightedMaxNorm(s.neq, s.history[1], s.ewt);
        if (tolsf > 0.01) {
            tolsf *= 200;
            if (s.nst == 0) {
                say(s, "lsoda -- at start of problem, too much accuracy\n");
                say(s, "         requested for precision of machine,\n");
                say(s, "         suggested scaling factor = %g\n", tolsf);
                return rejectIllegalInput(s, istate);
            }
            say(s, "lsoda -- at t = %g, too much accuracy requested\n", *t);
            say(s, "         for precision of machine, suggested\n");
            say(s, "         scaling factor = %g\n", tolsf);
            *istate = -2;
            return returnAtFailure(s, y, t);
        }
        if (s.tcur + s.h == s.tcur) {
            s.tinyStepCount++;
            if (s.tinyStepCount <= s.mxhnil && s.warningsEnabled) {
                say(s, "lsoda -- warning..internal t = %g and h = %g are\n", s.tcur, s.h);
                say(s, "         such that in the machine, t + h = t on the next step\n");
                say(s, "         solver will continue anyway.\n");
                if (s.tinyStepCount == s.mxhnil) {
                    say(s, "lsoda -- above warning has been issued %d times,\n", s.tinyStepCount);
                    say(s, "         it will not be issued again for this problem\n");
                }
            }
        }
        if (s.callbacks.interrupted && s.callbacks.interrupted(s.callbacks.context)) {
            *istate = lsodaInterrupted;
            return;
        }
        stepLsoda(s, y);
        if (s.stepResult == lsodaEvaluationFailed) {
            *istate = lsodaEvaluationFailed;
            return;
        }
        if (s.stepResult == 0) {
            s.initialised = 1;
            if (s.method != s.methodUsed) {
                s.switchTime = s.tcur;
                s.maxOrder = s.method == 1 ? s.mxordn : s.mxords;
                s.startMode = -1;
            }
            if ((s.tcur - tout) * s.h < 0) continue;
            int iflag = 0;
            interpolateLsoda(s, tout, 0, y, &iflag);
            *t = tout;
            *istate = 2;
            s.illegalCount = 0;
            return;
        }
        if (s.stepResult == -1 || s.stepResult == -2) {
            reportStepFailure(s, istate);
            return returnAtFailure(s, y, t);
        }
    }
}

}  // namespace kalix
