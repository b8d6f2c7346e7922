// The builtin simplex: linear programs in dense tableau form.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "numerics/simplex.h"
#include "platform/host.h"

namespace kalix {

namespace {

bool isRealValue(const header* v) { return v->kind == kindReal || v->kind == kindRealMatrix; }

int rowsOf(header* v) { return v->kind == kindReal ? 1 : matrixRows(v); }
int columnsOf(header* v) { return v->kind == kindReal ? 1 : matrixColumns(v); }
const double* elementsOf(header* v) {
    return v->kind == kindReal ? reinterpret_cast<const double*>(dataOf(v)) : matrixData(v);
}

bool containsNan(header* v) {
    const double* x = elementsOf(v);
    const int64_t count = int64_t(rowsOf(v)) * columnsOf(v);
    return std::any_of(x, x + count, [](double e) { return std::isnan(e); });
}

bool refuse(const char* message) {
    fail(errorWrongOperand, "%s", message);
    return false;
}

constexpr const char* programNeed =
    "simplex needs a real matrix A, a column vector b, and a row vector c.\n";

// A, b, c, e, r, d. Every given argument is resolved before any is checked,
// and too few are refused after that: all are optional to the reader.
constexpr ArgumentRule realPart = {.kinds = takesRealMatrix, .presence = Presence::optional};
constexpr ArgumentRule flagPart = {.kinds = takesAnything, .presence = Presence::optionalOrNone};
constexpr Signature simplexSignature = {
    .rules = {realPart, realPart, realPart, flagPart, flagPart, flagPart},
    .refusal = {errorWrongOperand, programNeed}};

// The optional e, r and d are null when absent (or given as none).
bool readProgram(header* first, LinearProgram* lp) {
    if (countArguments(first) > 6) return refuse(programNeed);
    const Arguments a(first, simplexSignature);
    if (!a) return false;
    if (!a.given(2)) return refuse(programNeed);
    header* const v[6] = {a[0], a[1], a[2], a[3], a[4], a[5]};
    if (columnsOf(v[1]) != 1) return refuse("simplex needs a column vector for b.\n");
    if (rowsOf(v[2]) != 1) return refuse("simplex needs a row vector for c.\n");
    const int m = rowsOf(v[0]), n = columnsOf(v[0]);
    if (rowsOf(v[1]) != m || columnsOf(v[2]) != n || m < 1 || n < 1)
        return refuse("Simplex needs a mxn matrix A, a mx1 vector b, and a 1xn vector c.\n");
    header* e = v[3];
    if (e && (!isRealValue(e) || columnsOf(e) != 1 || (rowsOf(e) != 1 && rowsOf(e) != m)))
        return refuse("In simplex: equation flags must be mx1 vector, or a real.\n");
    header* r = v[4];
    if (r && (!isRealValue(r) || rowsOf(r) != 1 || (columnsOf(r) != 1 && columnsOf(r) != n)))
        return refuse("In simplex: restriction flags must be 1xn vector, or a real.\n");
    header* d = v[5];
    if (d && d->kind != kindReal)
        return refuse("In simplex: optimization direction must be a real.\n");
    // Every comparison with NAN is false: the exchange steps would take it
    // for a value and end with an answer and result code 0.
    for (header* value : v)
        if (value && containsNan(value)) return refuse("In simplex: NAN in the data.\n");
    lp->m = m;
    lp->n = n;
    lp->a = elementsOf(v[0]);
    lp->b = elementsOf(v[1]);
    lp->c = elementsOf(v[2]);
    if (e) lp->equationFlags = elementsOf(e), lp->equationCount = rowsOf(e);
    if (r) lp->restrictionFlags = elementsOf(r), lp->restrictionCount = columnsOf(r);
    if (d) lp->direction = realOf(d);
    lp->epsilon = currentEpsilon;
    lp->interrupted = escapePressed;
    return true;
}

void builtinSimplex(header* first) {
    char* top = newram;
    LinearProgram lp;
    if (!readProgram(first, &lp)) return;
    // Values that resolving made at the top stay below the work space.
    char* base = newram;
    const size_t bytes = simplexWorkspaceBytes(lp.m, lp.n);
    std::vector<double> x(size_t(lp.n)), marks(size_t(lp.m));
    if (bytes > size_t(ramend - newram)) {
        fail(errorOutOfMemory, "Out of Memory!\n");
        newram = top;
        return;
    }
    newram += bytes;
    const SimplexResult result = solveLinearProgram(lp, base, x.data(), marks.data());
    newram = top;
    if (result == simplexInterrupted) {
        errorCode = errorSimplexStop;
        return;
    }
    header* xRecord = pushRealMatrix(lp.n, 1);
    if (!xRecord) return;
    std::copy(x.begin(), x.end(), matrixData(xRecord));
    header* marksRecord = pushReal(double(result)) ? pushRealMatrix(1, lp.m) : nullptr;
    if (!marksRecord) return;
    std::copy(marks.begin(), marks.end(), matrixData(marksRecord));
    moveResults(first, xRecord);
}

const BuiltinRecord rows[] = {
    {"simplex", -1, 0, builtinSimplex},
};

}  // namespace

KALIX_BUILTIN_FAMILY(linearProgrammingBuiltins, rows);

}  // namespace kalix
