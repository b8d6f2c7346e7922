// Test fixture for number formats and printing: the small stack with
// captured output, and the format state put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interpreter/formats.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/printing.h"
#include "interpreter/stack.h"
#include "stack_fixture.h"

// Every global of the format state and the printing switches, copied out
// and back byte for byte.
class FormatSnapshot {
    struct Field {
        void* address;
        size_t size;
    };
#define FORMAT_FIELD(x) \
    Field { &(x), sizeof(x) }
    const std::vector<Field> fields = {
        FORMAT_FIELD(formatMode),       FORMAT_FIELD(formatTotal),
        FORMAT_FIELD(formatDigits),     FORMAT_FIELD(fieldWidth),
        FORMAT_FIELD(normalFormat),     FORMAT_FIELD(extremeFormat),
        FORMAT_FIELD(joinFormat),       FORMAT_FIELD(smallLimit),
        FORMAT_FIELD(largeLimit),       FORMAT_FIELD(columnWidth),
        FORMAT_FIELD(realColumns),      FORMAT_FIELD(intervalFormat),
        FORMAT_FIELD(intervalWidth),    FORMAT_FIELD(intervalColumns),
        FORMAT_FIELD(fractionEpsilon),  FORMAT_FIELD(scalarFormatOn),
        FORMAT_FIELD(scalarDigits),     FORMAT_FIELD(scalarFormat),
        FORMAT_FIELD(scalarSmallLimit), FORMAT_FIELD(scalarLargeLimit),
        FORMAT_FIELD(denseOutput),      FORMAT_FIELD(zeroRounding),
        FORMAT_FIELD(userFormat),       FORMAT_FIELD(largeMatricesOn),
        FORMAT_FIELD(lineLength),
    };
#undef FORMAT_FIELD
    std::vector<std::vector<char>> saved;

  public:
    void take() {
        saved.clear();
        for (const Field& f : fields) {
            const char* bytes = static_cast<const char*>(f.address);
            saved.emplace_back(bytes, bytes + f.size);
        }
    }
    void put() const {
        for (size_t k = 0; k < fields.size(); k++)
            memcpy(fields[k].address, saved[k].data(), fields[k].size);
    }
};

class PrintingTest : public SmallStack {
  protected:
    FormatSnapshot formats;

    void SetUp() override {
        SmallStack::SetUp();
        formats.take();
        lineLength = 70;
    }

    void TearDown() override {
        formats.put();
        SmallStack::TearDown();
    }

    header* realMatrix(int rows, int columns, std::vector<double> elements) {
        header* m = pushRealMatrix(rows, columns);
        memcpy(matrixData(m), elements.data(), elements.size() * sizeof(double));
        return m;
    }

    header* pairMatrix(int kind, int rows, int columns, std::vector<double> pairs) {
        header* m = kind == kindComplexMatrix ? pushComplexMatrix(rows, columns)
                                              : pushIntervalMatrix(rows, columns);
        memcpy(matrixData(m), pairs.data(), pairs.size() * sizeof(double));
        return m;
    }

    // The real entry of x as printRealEntry prints it.
    std::string realEntry(double x) {
        output();
        printRealEntry(x);
        return output();
    }
    std::string realText(double x) {
        char text[numberTextSize];
        formatRealText(text, x);
        return text;
    }
};
