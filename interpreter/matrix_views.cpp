// Numeric values seen as matrices.
#include "interpreter/matrix_views.h"

#include "interpreter/values.h"

namespace kalix {

bool readMatrixValue(header* value, MatrixValue* m) {
    m->family = numberFamily(value);
    if (m->family == numberNone) return false;
    m->width = m->family == numberReal ? 1 : 2;
    m->scalar =
        value->kind == kindReal || value->kind == kindComplex || value->kind == kindInterval;
    if (m->scalar) {
        m->rows = m->columns = 1;
        m->data = reinterpret_cast<double*>(dataOf(value));
    } else {
        m->rows = matrixRows(value);
        m->columns = matrixColumns(value);
        m->data = matrixData(value);
    }
    return true;
}

bool readNumericMatrix(header* value, NumericMatrix* m) {
    MatrixValue v;
    if (!readMatrixValue(value, &v) || v.family == numberInterval) return false;
    m->rows = v.rows;
    m->columns = v.columns;
    m->data = v.data;
    m->complex = v.family == numberComplex;
    m->matrix = !v.scalar;
    return true;
}

std::vector<double> complexElements(const NumericMatrix& m) {
    const int64_t n = m.elements();
    if (m.complex) return std::vector<double>(m.data, m.data + 2 * n);
    std::vector<double> pairs(size_t(2 * n), 0.0);
    for (int64_t k = 0; k < n; k++) pairs[size_t(2 * k)] = m.data[k];
    return pairs;
}

header* pushNumericMatrix(bool complex, int rows, int columns) {
    return pushMatrixOfKind(complex ? kindComplexMatrix : kindRealMatrix, rows, columns);
}

}  // namespace kalix
