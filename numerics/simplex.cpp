// The simplex tableau: row i stands for slack(i) = b[i] - A[i] x_N >= 0,
// the objective for z = const + c x_N. The index array names the variable
// at each position: entries 0..n-1 the non-basic variable of each column,
// n..n+m-1 the basic variable of each row; variables 0..n-1 are x, n..n+m-1
// the slacks. A locked position holds the complement of its variable (< 0):
// a locked column never enters, a locked row never leaves.
#include "numerics/simplex.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kalix {

namespace {

int signWithin(double v, double eps) { return v > eps ? 1 : v < -eps ? -1 : 0; }

// r -= f * p over n elements (distinct rows, so the loop vectorises).
void subtractMultiple(double* __restrict r, const double* __restrict p, double f, int n) {
    for (int j = 0; j < n; j++) r[j] -= f * p[j];
}

struct Tableau {
    int m, n;
    double eps;
    double** rows;
    double* b;
    double* c;
    int* index;     // n + m
    int* equation;  // m signs
    int* restriction;

    bool columnFree(int j) const { return index[j] >= 0; }
    bool rowFree(int i) const { return index[n + i] >= 0; }
    void lockColumn(int j) { index[j] = ~index[j]; }
    void lockRow(int i) { index[n + i] = ~index[n + i]; }
    int basicOf(int i) const { return index[n + i]; }

    // The exchange step at row p, column q. Whole rows are updated and
    // column q is set afterwards, which keeps the loops free of branches.
    void pivot(int p, int q) {
        double* rp = rows[p];
        const double a = rp[q];
        const double inverse = 1 / a;
        for (int j = 0; j < n; j++) rp[j] /= a;
        rp[q] = inverse;
        b[p] /= a;
        for (int i = 0; i < m; i++) {
            if (i == p) continue;
            double* ri = rows[i];
            const double f = ri[q];
            if (f == 0) continue;
            subtractMultiple(ri, rp, f, n);
            b[i] -= f * b[p];
            ri[q] = -f / a;
        }
        const double cq = c[q];
        subtractMultiple(c, rp, cq, n);
        c[q] = -cq / a;
        const int t = index[q];
        index[q] = index[n + p];
        index[n + p] = t;
    }

    // The unlocked row with the largest |A[i][j]| above eps (the first of
    // equal ones), or -1.
    int largestInColumn(int j) const {
        int best = -1;
        double largest = eps;
        for (int i = 0; i < m; i++) {
            if (!rowFree(i)) continue;
            const double v = std::fabs(rows[i][j]);
            if (v > largest) largest = v, best = i;
        }
        return best;
    }

    int largestInRow(int i) const {
        int best = -1;
        double largest = eps;
        for (int j = 0; j < n; j++) {
            if (!columnFree(j)) continue;
            const double v = std::fabs(rows[i][j]);
            if (v > largest) largest = v, best = j;
        }
        return best;
    }
};

bool interrupted(const LinearProgram& lp) { return lp.interrupted && lp.interrupted(lp.context); }

// Scales every row to unit size, turns >= rows into <= rows and x <= 0
// columns into x >= 0 columns.
void normalise(Tableau& t) {
    for (int i = 0; i < t.m; i++) {
        double* r = t.rows[i];
        double s = std::fabs(t.b[i]);
        for (int j = 0; j < t.n; j++) s += std::fabs(r[j]);
        if (s > t.eps) {
            for (int j = 0; j < t.n; j++) r[j] /= s;
            t.b[i] /= s;
        }
        if (t.equation[i] == 1) {
            for (int j = 0; j < t.n; j++) r[j] = -r[j];
            t.b[i] = -t.b[i];
        }
    }
    for (int j = 0; j < t.n; j++) {
        if (t.restriction[j] != -1) continue;
        for (int i = 0; i < t.m; i++) t.rows[i][j] = -t.rows[i][j];
        t.c[j] = -t.c[j];
    }
}

// Free variables become basic in the row where they weigh most and stay
// there; a free variable in no row makes the program unbounded when the
// objective wants it.
bool placeFreeVariables(Tableau& t, int direction, SimplexResult* result) {
    for (int j = 0; j < t.n; j++) {
        if (t.restriction[j] != 0) continue;
        const int p = t.largestInColumn(j);
        if (p >= 0) {
            t.pivot(p, j);
            t.lockRow(p);
            if (t.equation[p] == 0) t.lockColumn(j);
            continue;
        }
        if ((direction >= 0 && t.c[j] > t.eps) || (direction < 0 && t.c[j] < -t.eps)) {
            *result = simplexUnbounded;
            return false;
        }
        t.lockColumn(j);
    }
    return true;
}

// Equality rows put their slack out of the basis for good.
bool placeEqualities(Tableau& t, SimplexResult* result) {
    for (int i = 0; i < t.m; i++) {
        if (!t.rowFree(i) || t.equation[i] != 0) continue;
        const int q = t.largestInRow(i);
        if (q < 0) {
            if (std::fabs(t.b[i]) > t.eps) {
                *result = simplexInfeasible;
                return false;
            }
            t.lockRow(i);
            continue;
        }
        t.pivot(i, q);
        t.lockColumn(q);
    }
    return true;
}

// Exchange steps until every unlocked right-hand side is >= 0.
bool makeFeasible(Tableau& t, const LinearProgram& lp, SimplexResult* result) {
    for (;;) {
        int p = -1;
        for (int i = 0; i < t.m; i++)
            if (t.rowFree(i) && t.b[i] < -t.eps && (p < 0 || t.basicOf(i) < t.basicOf(p))) p = i;
        if (p < 0) return true;
        int q = -1;
        for (int j = 0; j < t.n; j++)
            if (t.columnFree(j) && t.rows[p][j] < -t.eps && (q < 0 || t.index[j] < t.index[q]))
                q = j;
        if (q < 0) {
            *result = simplexInfeasible;
            return false;
        }
        t.pivot(p, q);
        if (interrupted(lp)) {
            *result = simplexInterrupted;
            return false;
        }
    }
}

SimplexResult optimise(Tableau& t, const LinearProgram& lp, int direction) {
    for (;;) {
        int q = -1;
        for (int j = 0; j < t.n; j++) {
            const bool improves = direction < 0 ? t.c[j] < -t.eps : t.c[j] > t.eps;
            if (t.columnFree(j) && improves && (q < 0 || t.index[j] < t.index[q])) q = j;
        }
        if (q < 0) return simplexOptimal;
        int p = -1;
        double ratio = 0;
        for (int i = 0; i < t.m; i++) {
            if (!t.rowFree(i) || !(t.rows[i][q] > t.eps)) continue;
            const double r = t.b[i] / t.rows[i][q];
            if (p < 0 || r < ratio - t.eps ||
                (std::fabs(r - ratio) <= t.eps && t.basicOf(i) < t.basicOf(p))) {
                p = i;
                ratio = r;
            }
        }
        if (p < 0) return simplexUnbounded;
        t.pivot(p, q);
        if (interrupted(lp)) return simplexInterrupted;
    }
}

template <typename T>
T* carve(char*& at, size_t count) {
    T* p = reinterpret_cast<T*>(at);
    at += (count * sizeof(T) + 7) & ~size_t(7);
    return p;
}

}  // namespace

size_t simplexWorkspaceBytes(int m, int n) {
    auto rounded = [](size_t bytes) { return (bytes + 7) & ~size_t(7); };
    const size_t mm = size_t(m), nn = size_t(n);
    return rounded(mm * nn * 8) + rounded(mm * 8) + rounded(nn * 8) +
           rounded(mm * sizeof(double*)) + rounded((mm + nn) * 4) + rounded(mm * 4) +
           rounded(nn * 4);
}

SimplexResult solveLinearProgram(const LinearProgram& lp, void* workspace, double* x,
                                 double* marks) {
    const int m = lp.m, n = lp.n;
    const double eps = lp.epsilon;
    char* at = static_cast<char*>(workspace);
    double* data = carve<double>(at, size_t(m) * n);
    Tableau t{m, n, eps, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    t.b = carve<double>(at, size_t(m));
    t.c = carve<double>(at, size_t(n));
    t.rows = carve<double*>(at, size_t(m));
    t.index = carve<int>(at, size_t(m) + n);
    t.equation = carve<int>(at, size_t(m));
    t.restriction = carve<int>(at, size_t(n));
    for (int i = 0; i < m; i++) {
        t.rows[i] = data + int64_t(i) * n;
        for (int j = 0; j < n; j++) t.rows[i][j] = lp.a[int64_t(i) * n + j];
        t.b[i] = lp.b[i];
        t.equation[i] = lp.equationFlags
                            ? signWithin(lp.equationFlags[std::min(i, lp.equationCount - 1)], eps)
                            : -1;
    }
    for (int j = 0; j < n; j++) {
        t.c[j] = lp.c[j];
        t.restriction[j] =
            lp.restrictionFlags
                ? signWithin(lp.restrictionFlags[std::min(j, lp.restrictionCount - 1)], eps)
                : 1;
    }
    for (int k = 0; k < n + m; k++) t.index[k] = k;
    for (int j = 0; j < n; j++) x[j] = 0;
    const int direction = signWithin(lp.direction, eps);

    normalise(t);
    SimplexResult result = simplexOptimal;
    bool solved = placeFreeVariables(t, direction, &result) && placeEqualities(t, &result) &&
                  makeFeasible(t, lp, &result);
    if (solved && direction != 0) result = optimise(t, lp, direction);
    solved = solved && result != simplexInterrupted;
    if (solved) {
        for (int i = 0; i < m; i++) {
            const int k = t.index[n + i] < 0 ? ~t.index[n + i] : t.index[n + i];
            if (k < n) x[k] = t.restriction[k] == -1 ? 0.0 - t.b[i] : t.b[i];
        }
    }
    for (int i = 0; i < m; i++) marks[i] = 0;
    for (int j = 0; j < n; j++)
        if (t.index[j] >= n) marks[t.index[j] - n] = 1;
    return result;
}

}  // namespace kalix
