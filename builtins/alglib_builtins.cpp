// Builtins that hand their work to ALGLIB's linear algebra: eigenvalues and
// eigenvectors of a general real matrix, and dense linear solves with a
// condition estimate. ALGLIB's exceptions stop at these handlers.
#include <cmath>

#include <linalg.h>
#include <solvers.h>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace {

// A resolved real matrix argument (a real scalar is 1 x 1).
struct RealMatrix {
    int rows, columns;
    double* data;
};

bool readRealMatrix(header* record, RealMatrix* m) {
    if (record->kind == kindReal) {
        m->rows = m->columns = 1;
        m->data = reinterpret_cast<double*>(dataOf(record));
        return true;
    }
    if (record->kind != kindRealMatrix) return false;
    m->rows = matrixRows(record);
    m->columns = matrixColumns(record);
    m->data = matrixData(record);
    return true;
}

// The arguments from `first` on, resolved; false when one is missing.
template <int n>
bool resolveArguments(header* first, header* (&values)[n]) {
    header* records[n];
    header* record = first;
    for (int i = 0; i < n; i++, record = record ? nextValue(record) : nullptr) records[i] = record;
    for (int i = 0; i < n; i++) {
        values[i] = records[i] ? resolveValue(records[i]) : nullptr;
        if (errorCode) return false;
    }
    return true;
}

// A real flag: nonzero or NaN means yes.
bool flagSet(header* flag) { return realOf(flag) != 0; }

// --- aleigen -----------------------------------------------------------------

// Column k of the eigenvectors: a complex pair k, k+1 (wi[k] != 0) shares
// the columns re + i im and re - i im.
void copyEigenvectors(const alglib::real_1d_array& wi, const alglib::real_2d_array& vr, int n,
                      double* out) {
    for (int j = 0; j < n; j++) {
        double* row = out + 2 * int64_t(j) * n;
        for (int k = 0; k < n;) {
            if (wi[k] != 0 && k + 1 < n) {
                row[2 * k] = row[2 * k + 2] = vr[j][k];
                row[2 * k + 1] = vr[j][k + 1];
                row[2 * k + 3] = -vr[j][k + 1];
                k += 2;
            } else {
                row[2 * k] = vr[j][k];
                row[2 * k + 1] = 0;
                k += 1;
            }
        }
    }
}

void builtinAleigen(header* first) {
    header* values[2];
    if (!resolveArguments(first, values)) return;
    RealMatrix a;
    if (!values[1] || values[1]->kind != kindReal || !readRealMatrix(values[0], &a)) {
        reportNeed("real matrix and flag", "aleigen");
        return;
    }
    if (a.rows != a.columns || a.rows < 1) {
        reportNeed("real symmetric matrix", "aleigen");
        return;
    }
    const int n = a.rows;
    const bool vectors = flagSet(values[1]);
    try {
        alglib::real_2d_array matrix, vl, vr;
        alglib::real_1d_array wr, wi;
        matrix.setcontent(n, n, a.data);
        const bool success = alglib::rmatrixevd(matrix, n, vectors ? 1 : 0, wr, wi, vl, vr);
        header* eigenvalues = pushComplexMatrix(1, n);
        if (!eigenvalues) return;
        double* e = matrixData(eigenvalues);
        for (int k = 0; k < n; k++) {
            e[2 * k] = wr[k];
            e[2 * k + 1] = wi[k];
        }
        if (!pushReal(success ? 1 : 0)) return;
        if (vectors) {
            header* v = pushComplexMatrix(n, n);
            if (!v) return;
            copyEigenvectors(wi, vr, n, matrixData(v));
        }
        moveResults(first, eigenvalues);
    } catch (const alglib::ap_error&) {
        fail(errorFailed, "AlgLib solver aleigen returned an error!\n");
    }
}

// --- alsolve -----------------------------------------------------------------------

void builtinAlsolve(header* first) {
    header* values[3];
    if (!resolveArguments(first, values)) return;
    RealMatrix a, b;
    if (!values[2] || values[2]->kind != kindReal || !readRealMatrix(values[0], &a) ||
        !readRealMatrix(values[1], &b)) {
        reportNeed("real square matrix, column vector, accuracy flag", "alsolve");
        return;
    }
    const int n = a.rows, m = b.columns;
    if (n < 1 || a.columns != n || b.rows != n || m < 1) {
        fail(errorFailed, "Need nxn matrix and nxm vector in alsolve, got %dx%d and %dx%d.\n",
             a.rows, a.columns, b.rows, b.columns);
        return;
    }
    const bool refine = flagSet(values[2]);
    try {
        alglib::real_2d_array matrix;
        matrix.setcontent(n, n, a.data);
        alglib::ae_int_t info = 0;
        alglib::densesolverreport report;
        header* x = pushRealMatrix(n, m);
        if (!x) return;
        double* out = matrixData(x);
        if (m == 1) {
            alglib::real_1d_array rhs, solution;
            rhs.setcontent(n, b.data);
            alglib::rmatrixsolve(matrix, n, rhs, info, report, solution);
            for (int i = 0; i < n; i++) out[i] = solution[i];
        } else {
            alglib::real_2d_array rhs, solution;
            rhs.setcontent(n, m, b.data);
            alglib::rmatrixsolvem(matrix, n, rhs, m, refine, info, report, solution);
            for (int i = 0; i < n; i++)
                for (int j = 0; j < m; j++) out[int64_t(i) * m + j] = solution[i][j];
        }
        if (!pushReal(double(info)) || !pushReal(report.r1)) return;
        moveResults(first, x);
    } catch (const alglib::ap_error&) {
        fail(errorFailed, "AlgLib solver alsolve returned an error!\n");
    }
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"aleigen", 2, 0, builtinAleigen},
    {"alsolve", 3, 0, builtinAlsolve},
};
KALIX_BUILTIN_FAMILY(alglibBuiltins, rows);
