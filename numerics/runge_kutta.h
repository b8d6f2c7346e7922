// Runge-Kutta integrators of y' = f(x, y): the classical fourth-order
// method with a fixed number of steps, and the embedded Cash-Karp
// fifth-order method with step-size control. The right-hand side is reached
// through a callback that returns false when its evaluation failed.
#pragma once

namespace kalix {

struct OdeSystem {
    // dy = f(x, y) for n components.
    bool (*derivative)(void* context, double x, const double* y, double* dy);
    // Polled once per step; true stops the integration.
    bool (*interrupted)(void* context);
    void* context;
};

enum OdeStatus {
    odeOk = 0,
    odeEvaluationFailed,
    odeInterrupted,
    odeTooManySteps,
    odeStepsizeUnderflow,
};

// The Cash-Karp table, 25 doubles: nodes a2..a6, the stage coefficients
// b21, b31, b32, b41..b43, b51..b54, b61..b65, the fifth-order weights c1,
// c3, c4, c6, and the error weight dc5.
extern const double cashKarpTable[25];
// Fifth-order minus embedded fourth-order weights dc1..dc6 (dc2 = 0).
extern const double cashKarpErrorWeights[6];

// Work vectors of n doubles each that the integrators need.
constexpr int runge1WorkVectors = 5;
constexpr int runge2WorkVectors = 10;
constexpr long runge2StepLimit = 1000000;

// `steps` classical steps from a to b; y (n values) becomes y(b).
OdeStatus integrateRunge1(const OdeSystem& f, double a, double b, int steps, double* y, int n,
                          double* work);

// Adaptive steps from a to b with the error tolerance eps relative to the
// scale |y| + |h y'| (+ 1e-10), starting with |firstStep|; y becomes y(b)
// and *nextStep the step size proposed after the last step.
OdeStatus integrateRunge2(const OdeSystem& f, double a, double b, double* y, int n, double eps,
                          double firstStep, double* work, double* nextStep,
                          long stepLimit = runge2StepLimit);

}  // namespace kalix
