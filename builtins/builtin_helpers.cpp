// Small helpers shared by the builtin library: comparators, magic squares
// and the arguments of builtins that call a function the user names.
#include "builtins/builtin_helpers.h"

#include <cmath>
#include <cstring>

#include "builtins/function_evaluation.h"
#include "interpreter/output.h"

namespace kalix {

int compareRows(const double* a, const double* b, int n) {
    for (int k = 0; k < n; k++) {
        if (a[k] > b[k]) return 1;
        if (a[k] < b[k]) return -1;
    }
    return 0;
}

int compareDoublesNanLast(double a, double b) {
    bool nanA = std::isnan(a), nanB = std::isnan(b);
    if (nanA || nanB) return nanA == nanB ? 0 : nanA ? 1 : -1;
    return a > b ? 1 : a < b ? -1 : 0;
}

namespace {

// Siamese construction of an odd order into a row-major n x n array.
void buildOddSquare(double* square, int n) {
    int row = 0, column = (n - 1) / 2;
    int64_t last = int64_t(n) * n;
    for (int64_t v = 1; v <= last; v++) {
        square[int64_t(row) * n + column] = double(v);
        if (v % n == 0) {
            row = (row + 1) % n;
        } else {
            row = (row + n - 1) % n;
            column = (column + 1) % n;
        }
    }
}

// Order a multiple of 4: 1..n^2 by rows, complemented where the row and the
// column fall into the same class.
void buildDoublyEvenSquare(double* square, int n) {
    double top = double(n) * n + 1;
    for (int r = 0; r < n; r++) {
        int rowClass = ((r + 1) % 4) / 2;
        for (int c = 0; c < n; c++) {
            double v = double(r) * n + c + 1;
            square[int64_t(r) * n + c] = rowClass == ((c + 1) % 4) / 2 ? top - v : v;
        }
    }
}

enum LuxMark { markL, markU, markX };

// Order 4m + 2: each cell of an odd square of order 2m + 1 becomes a 2x2
// block filled in the L, U or X pattern of its row. Of the block's four
// values a < b < d < e, the upper row holds e, a under an L and a, e
// otherwise; the lower row b, d, except under an X: d, b.
void buildSinglyEvenSquare(double* square, int n) {
    int half = n / 2, m = (half - 1) / 2;
    char* top = newram;
    double* odd =
        reinterpret_cast<double*>(reserveStack(int64_t(half) * half * sizeof(double), "magic"));
    if (errorCode) return;
    buildOddSquare(odd, half);
    for (int r = 0; r < half; r++) {
        for (int c = 0; c < half; c++) {
            LuxMark mark = r <= m ? markL : r == m + 1 ? markU : markX;
            if (c == m && r == m) mark = markU;
            if (c == m && r == m + 1) mark = markL;
            double v = odd[int64_t(r) * half + c];
            double a = 4 * v - 3, b = 4 * v - 2, d = 4 * v - 1, e = 4 * v;
            double* upper = square + int64_t(2 * r) * n + 2 * c;
            double* lower = upper + n;
            upper[0] = mark == markL ? e : a;
            upper[1] = mark == markL ? a : e;
            lower[0] = mark == markX ? d : b;
            lower[1] = mark == markX ? b : d;
        }
    }
    newram = top;
}

}  // namespace

void buildMagicSquare(double* square, int n) {
    if (n <= 0) return;
    if (n % 2 == 1)
        buildOddSquare(square, n);
    else if (n % 4 == 0)
        buildDoublyEvenSquare(square, n);
    else if (n >= 6)
        buildSinglyEvenSquare(square, n);
    else
        for (int k = 0; k < 4; k++) square[k] = k + 1;  // order 2 has no magic square
}

namespace {

// Runs before the base class resolves the arguments.
header* findingExtras(header* first, int fixedCount, ExtraArguments* extras) {
    *extras = findExtraArguments(first, fixedCount);
    return first;
}

}  // namespace

CallArguments::CallArguments(header* first, const Signature& signature, int fixedCount,
                             ExtraArguments* extras)
    : Arguments(findingExtras(first, fixedCount, extras), signature) {}

CallArguments::CallArguments(header* first, const Signature& signature, int fixedCount,
                             NamedFunction* f)
    : CallArguments(first, signature, fixedCount, &f->extras) {
    if (!*this) return;
    f->name = text(0);
    f->builtin = signature.builtin;
}

void failAfterCall(const char* message) {
    if (!errorCode) errorCode = errorFailed;
    printText(message);
}

}  // namespace kalix
