// Fourier and Hartley transforms: `fft`, `ifft`, `fht` and `ifht`.
#include <algorithm>
#include <vector>

#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "numerics/fourier.h"

namespace kalix {

namespace {

constexpr int largestMatrixSize = 1 << 19;

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// fft (sign +1, unscaled) and ifft (sign -1, divided by the element
// count): a row (or a scalar) is transformed as a vector of any length with
// that sign. A matrix of more than one row (a column too) is transformed in
// two dimensions with the sign +1 by both, and the result conjugated, ifft
// then dividing by the element count: for real data the matrix fft has the
// sign -1, the opposite of the row's, and ifft(fft(M)) is M for any M.
constexpr Signature fftSignature = {
    "fft", "complex matrix", {{takesRealMatrix | takesComplexMatrix}}};
constexpr Signature ifftSignature = {
    "ifft", "complex matrix", {{takesRealMatrix | takesComplexMatrix}}};

void transform(header* first, int sign, const Signature& signature) {
    const char* name = signature.builtin;
    const Arguments a(first, signature);
    if (!a) return;
    header* value = a[0];
    NumericMatrix x;
    readNumericMatrix(value, &x);
    const int r = x.rows, c = x.columns;
    if (r > 1 &&
        (!isPowerOfTwo(r) || !isPowerOfTwo(c) || r > largestMatrixSize || c > largestMatrixSize)) {
        fail(errorFailed, "%s columns must be a power of 2\n", name);
        return;
    }
    reuseArgumentSpace(first, &value, 1);
    header* result = pushNumericMatrix(true, r, c);
    if (!result) return;
    double* out = matrixData(result);
    bool done = true;
    if (r == 1 && !x.complex) {
        done = fourierTransformReal(x.data, out, c, sign);
    } else if (r == 1) {
        done = fourierTransform(x.data, out, c, sign);
    } else if (r > 1) {
        const std::vector<double> pairs = x.complex ? std::vector<double>() : complexElements(x);
        done = fourierTransform2d(x.complex ? x.data : pairs.data(), out, r, c, 1);
        for (int64_t k = 1; done && k < 2 * x.elements(); k += 2) out[k] = -out[k];
    }
    if (!done) {
        fail(errorFailed, "Stack overflow in fft!\n");
        return;
    }
    if (sign < 0) {
        const double n = double(r) * c;
        for (int64_t k = 0; k < 2 * x.elements(); k++) out[k] /= n;
    }
    moveResult(first, result);
}

void builtinFft(header* first) { transform(first, 1, fftSignature); }
void builtinIfft(header* first) { transform(first, -1, ifftSignature); }

// fht and ifht take a real row vector; an empty one fails without a
// message.
constexpr Signature hartleySignature = {
    "fht", "real vector", {{.kinds = kindBit(kindRealMatrix), .rows = 1}}};

void hartley(header* first, bool inverse) {
    const Arguments a(first, hartleySignature);
    if (!a) return;
    header* value = a[0];
    const int n = matrixColumns(value);
    if (n == 0) {
        errorCode = errorFailed;
        return;
    }
    header* result = pushNumericMatrix(false, 1, n);
    if (!result) return;
    double* y = matrixData(result);
    std::copy_n(matrixData(value), n, y);
    if (!hartleyTransform(y, n)) {
        fail(errorFailed, "Stack overflow in fft!\n");
        return;
    }
    if (inverse)
        for (int k = 0; k < n; k++) y[k] /= n;
    moveResult(first, result);
}

void builtinFht(header* first) { hartley(first, false); }
void builtinIfht(header* first) { hartley(first, true); }

}  // namespace

static const BuiltinRecord rows[] = {
    {"fft", 1, 0, builtinFft},
    {"fht", 1, 0, builtinFht},
    {"ifft", 1, 0, builtinIfft},
    {"ifht", 1, 0, builtinIfht},
};
KALIX_BUILTIN_FAMILY(transformBuiltins, rows);

}  // namespace kalix
