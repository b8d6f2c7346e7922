// LSODA: integration of y' = f(t, y) with Nordsieck-history multistep
// methods of variable order and step, implicit Adams (orders 1 to 12) while
// the problem is nonstiff and BDF (orders 1 to 5) with a chord iteration on
// a difference Jacobian once it turns stiff, switching automatically.
//
// All state of one problem lives in an LsodaState, so independent problems
// (a right-hand side that itself integrates) never share anything. Vectors
// are 1-based with element 0 left free; a matrix is an array of pointers to
// 1-based rows. The caller supplies the work space once per state
// (lsodaWorkspaceBytes); a fresh start reuses it.
#pragma once

#include <cstddef>

namespace kalix {

constexpr double lsodaEta = 2.220446049250313e-16;

// The outside world: the right-hand side (0-based views of n values),
// the messages the driver writes, and the Escape poll.
struct LsodaCallbacks {
    bool (*derivative)(void* context, double t, const double* y, double* dy) = nullptr;
    void (*message)(void* context, const char* text) = nullptr;
    bool (*interrupted)(void* context) = nullptr;
    void* context = nullptr;
};

// Results of stepLsoda besides 0 (success), -1 (error test) and -2
// (corrector convergence), and of runLsoda besides the published istate
// values: the right-hand side failed, or Escape stopped the integration.
constexpr int lsodaEvaluationFailed = -7;
constexpr int lsodaInterrupted = -8;

// Steps allowed per output interval: enough for stiff and long problems at
// tight tolerances (a stiff oscillator over thousands of time units, several
// orbits as one interval); Escape ends a long integration sooner.
constexpr int lsodaStepLimit = 1000000;

// Orders: highest Adams order, highest BDF order, by method 1 and 2.
constexpr int maxOrderTable[3] = {0, 12, 5};
// An Adams step of order q keeps h * lastLipschitz <= stabilityTable[q].
extern const double stabilityTable[13];

struct LsodaState {
    LsodaCallbacks callbacks;
    bool warningsEnabled = true;  // the t + h = t warnings and the interpolation message

    // Problem and options.
    int neq = 0;
    int mxstep = lsodaStepLimit, mxhnil = 10, mxordn = 12, mxords = 5;
    double hmin = 0, hmaxInverse = 0;
    int ixpr = 0, jt = 2;
    double sqrtEta = 0;
    int initialised = 0;
    int workspaceNeq = 0;  // equations the attached work space holds
    int repeatCount = 0, illegalCount = 0;
    int tinyStepCount = 0, callStartSteps = 0;

    // Step and history.
    double tcur = 0, h = 0, hu = 0, hOld = 0, switchTime = 0;
    int nst = 0, functionCount = 0, jacobianCount = 0;
    int order = 1, orderPlus1 = 2, orderUsed = 0, maxOrder = 12, maxOrderPlus1 = 13;
    int method = 1, methodUsed = 0, miter = 0;

    // Work space (lsodaWorkspaceBytes): 13 history rows, the iteration
    // matrix with its pivots, and the vectors.
    double** history = nullptr;  // rows 1..13: row j + 1 holds h^j/j! y^(j)
    double** iterationMatrix = nullptr;
    int* pivots = nullptr;
    double* ewt = nullptr;  // reciprocal error weights
    double* savedDerivative = nullptr;
    double* correction = nullptr;

    // Method coefficients (rows by order, columns from 1).
    double coef[14] = {};
    double coefTable[13][14] = {};
    double testTable[13][4] = {};
    double adamsConstants[13] = {};
    double bdfConstants[6] = {};

    // Corrector and step bookkeeping.
    double coefLast = 1, gammaRatio = 0, convergenceRate = 0.7, convergenceScale = 0;
    double maxRatio = 10000;
    int stepsUntilChange = 0, jacobianDue = 0, jacobianCurrent = 0, jacobianStep = 0;
    int startMode = 0, stepResult = 0, matrixSingular = 0;
    double changeLimit = 0.3;  // largest change of h * l_1 before the matrix is rebuilt
    int maxCorrectorIterations = 3, rebuildSteps = 20, maxConvergenceFailures = 10;

    // Stiffness detection.
    double jacobianNorm = 0, lipschitzEstimate = 0, lastLipschitz = 0, switchRatio = 5;
    int switchCountdown = 20, stabilityLimited = 0;
};

// Bytes of work space for neq equations (8-aligned block).
size_t lsodaWorkspaceBytes(int neq);
// Lays the arrays of `state` out in `memory` (lsodaWorkspaceBytes(neq)).
void attachLsodaWorkspace(LsodaState& state, void* memory, int neq);

// The driver. y (1-based, neq values) and t are in/out; istate in/out: 1
// start a problem, 2 continue, 3 continue after changed options; on return
// 2 on success, negative on failure, or unchanged when the call returned
// early. Supported: itol 1 to 4, itask 1, iopt 0, jt 2.
void runLsoda(LsodaState& s, int neq, double* y, double* t, double tout, int itol,
              const double* rtol, const double* atol, int itask, int* istate, int iopt, int jt);

// The k-th derivative of the interpolating polynomial at t into dky
// (1-based); iflag 0, -1 (bad k) or -2 (t outside the last step).
void interpolateLsoda(LsodaState& s, double t, int k, double* dky, int* iflag);

// One step (Part of the driver, exposed for tests); the outcome in
// s.stepResult.
void stepLsoda(LsodaState& s, double* y);

// Coefficients, order and method selection.
void computeMethodCoefficients(LsodaState& s, int method);
void loadOrderCoefficients(LsodaState& s);
void rescaleHistory(LsodaState& s, double rh);
// 0 no change, 1 change h only, 2 change order and h; the ratio in *rh.
int chooseOrderAndStep(LsodaState& s, double rhup, double dsm, double* rh);
void considerMethodSwitch(LsodaState& s, double dsm, double pnorm, double* rh);

// max over i of |v[i]| * w[i] (1-based; 0 for n = 0).
double weightedMaxNorm(int n, const double* v, const double* w);

}  // namespace kalix
