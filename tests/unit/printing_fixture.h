// Test fixture for number formats and printing: the small stack with
// captured output (the format state is put back by the base fixture).
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

namespace kalix {

class PrintingTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        lineLength = 70;
        formatsAtStart = formatState;
    }

    // Puts the format state back as the test began (between table cases).
    FormatState formatsAtStart;
    void restoreFormats() { formatState = formatsAtStart; }

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

}  // namespace kalix
