// Builtins that hand their work to ALGLIB's linear algebra: eigenvalues and
// eigenvectors of a general real matrix, and dense linear solves with a
// condition estimate.
#include <cmath>
#include <vector>

#include "builtins/alglib_library.h"
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
// the columns re + i im and re - i im. vr is row-major n x n.
void copyEigenvectors(const double* wi, const double* vr, int n, double* out) {
    for (int j = 0; j < n; j++) {
        double* row = out + 2 * int64_t(j) * n;
        const double* v = vr + int64_t(j) * n;
        for (int k = 0; k < n;) {
            if (wi[k] != 0 && k + 1 < n) {
                row[2 * k] = row[2 * k + 2] = v[k];
                row[2 * k + 1] = v[k + 1];
                row[2 * k + 3] = -v[k + 1];
                k += 2;
            } else {
                row[2 * k] = v[k];
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
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return;
    std::vector<double> wr(n), wi(n), vr(vectors ? size_t(n) * n : 0);
    bool converged = false;
    if (!alglib->eigen(a.data, n, vectors, wr.data(), wi.data(), vr.data(), &converged)) {
        fail(errorFailed, "AlgLib solver aleigen returned an error!\n");
        return;
    }
    header* eigenvalues = pushComplexMatrix(1, n);
    if (!eigenvalues) return;
    double* e = matrixData(eigenvalues);
    for (int k = 0; k < n; k++) {
        e[2 * k] = wr[k];
        e[2 * k + 1] = wi[k];
    }
    if (!pushReal(converged ? 1 : 0)) return;
    if (vectors) {
        header* v = pushComplexMatrix(n, n);
        if (!v) return;
        copyEigenvectors(wi.data(), vr.data(), n, matrixData(v));
    }
    moveResults(first, eigenvalues);
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
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return;
    header* x = pushRealMatrix(n, m);
    if (!x) return;
    int64_t info = 0;
    double r1 = 0;
    if (!alglib->solve(a.data, n, b.data, m, refine, matrixData(x), &info, &r1)) {
        fail(errorFailed, "AlgLib solver alsolve returned an error!\n");
        return;
    }
    if (!pushReal(double(info)) || !pushReal(r1)) return;
    moveResults(first, x);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"aleigen", 2, 0, builtinAleigen},
    {"alsolve", 3, 0, builtinAlsolve},
};
KALIX_BUILTIN_FAMILY(alglibBuiltins, rows);
