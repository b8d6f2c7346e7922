// Minimisers without derivatives: Brent's method in one variable (after a
// bracketing march) and the Nelder-Mead downhill simplex in several. The
// function is reached through a callback that returns false when its
// evaluation failed; `interrupted` is polled once per step.
#pragma once

namespace kalix {

enum MinimiserStatus {
    minimiserOk = 0,
    minimiserEvaluationFailed,   // the callback returned false
    minimiserInterrupted,        // `interrupted` returned true
    minimiserTooManyIterations,  // an iteration or step limit was reached
    minimiserStartFailed,        // Nelder-Mead: a start vertex failed
    minimiserNoBracket,          // Brent: the bracketing march reached its limit
};

struct ScalarObjective {
    bool (*evaluate)(void* context, double x, double* value);
    bool (*interrupted)(void* context);
    void* context;
};

struct VectorObjective {
    bool (*evaluate)(void* context, const double* x, double* value);
    bool (*interrupted)(void* context);
    void* context;
};

// Steps of the bracketing march before it gives up (a function that keeps
// falling has no minimum to find; its growing steps leave the doubles in
// about 1500 steps).
constexpr long brentMarchLimit = 100000;
constexpr int brentIterationLimit = 1000;

// Marches from a with a first step of d (at least `epsilon`), each step the
// golden ratio times the one before, until the values turn (no bracket when
// the march leaves the doubles or exceeds `marchLimit` steps), then runs
// Brent's iteration on the bracket with relative tolerance `tol`
// and absolute tolerance `epsilon`; the abscissa of the minimum in *x.
MinimiserStatus minimiseBrent(const ScalarObjective& f, double a, double d, double tol,
                              double epsilon, double* x, long marchLimit = brentMarchLimit);

// Brent's iteration on a bracket l < m < r (or r < m < l) with f(m) below
// both ends; the abscissa in *x.
MinimiserStatus iterateBrent(const ScalarObjective& f, double l, double m, double r, double tol,
                             double epsilon, double* x);

constexpr int nelderEvaluationLimit = 5000;

// Doubles of work space Nelder-Mead needs for n variables.
inline long nelderWorkspaceSize(int n) { return long(n + 1) * n + (n + 1) + 2L * n; }

// Nelder-Mead from v (n >= 1 variables): vertex k is v with d added to
// component k, vertex n is v itself (d <= 0 means `epsilon`). It stops when
// twice the spread of the vertex values is below ftol (ftol <= 0 means
// `epsilon`), and writes the best vertex into `best`. `work` holds
// nelderWorkspaceSize(n) doubles.
MinimiserStatus minimiseNelderMead(const VectorObjective& f, const double* v, int n, double d,
                                   double ftol, double epsilon, double* work, double* best,
                                   int evaluationLimit = nelderEvaluationLimit);

}  // namespace kalix
