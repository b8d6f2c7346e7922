// An interpreter stack for the operator tests, with output captured, the
// tolerance and switches reset, and helpers to push and read values.
#pragma once

#include <gtest/gtest.h>

#include "interpreter_state_fixture.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "interpreter/formats.h"
#include "interpreter/output.h"
#include "interpreter/stack.h"

namespace kalix {

class OperatorTest : public InterpreterStateTest {
  public:
    static constexpr size_t stackBytes = 1 << 20;
    std::vector<uint64_t> block;  // 8-aligned
    std::vector<char> captured = std::vector<char>(1 << 16);
    char savedScalarFormat[16], savedJoinFormat[16];
    int savedZeroRounding;

    void SetUp() override {
        InterpreterStateTest::SetUp();
        block.assign((stackBytes + stackGuardBytes) / 8, 0);
        ramstart = reinterpret_cast<char*>(block.data());
        ramend = ramstart + stackBytes;
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
        errorCode = 0;
        indexCopyMode = 0;
        resetBuiltinState();
        std::memcpy(savedScalarFormat, formatState.scalarFormat, 16);
        std::memcpy(savedJoinFormat, formatState.joinFormat, 16);
        savedZeroRounding = formatState.zeroRounding;
        startCapture();
    }

    void TearDown() override {
        captureDestination = nullptr;
        captureLimit = nullptr;
        errorCode = 0;
        resetBuiltinState();
        std::memcpy(formatState.scalarFormat, savedScalarFormat, 16);
        std::memcpy(formatState.joinFormat, savedJoinFormat, 16);
        formatState.zeroRounding = savedZeroRounding;
        ramstart = ramend = newram = startlocal = endlocal = nullptr;
        functionsEnd = topStartLocal = topEndLocal = nullptr;
        InterpreterStateTest::TearDown();
    }

    void startCapture() {
        captured[0] = 0;
        captureDestination = captured.data();
        captureLimit = captured.data() + captured.size();
        captureOverflow = 0;
    }

    // Everything printed since the last call.
    std::string output() {
        std::string text(captured.data(), captureDestination);
        startCapture();
        return text;
    }

    header* matrix(int rows, int columns, std::vector<double> elements, const char* name = "") {
        header* m = pushRealMatrix(rows, columns, name);
        std::copy(elements.begin(), elements.end(), matrixData(m));
        return m;
    }
    header* pairs(int kind, int rows, int columns, std::vector<double> elements) {
        header* m = kind == kindComplexMatrix ? pushComplexMatrix(rows, columns)
                                              : pushIntervalMatrix(rows, columns);
        std::copy(elements.begin(), elements.end(), matrixData(m));
        return m;
    }
    header* row(std::vector<double> elements) { return matrix(1, int(elements.size()), elements); }
    header* column(std::vector<double> elements) {
        return matrix(int(elements.size()), 1, elements);
    }

    // A variable of the current frame: made below `endlocal`, so operators
    // must not overwrite it.
    header* variable(int rows, int columns, std::vector<double> elements, const char* name) {
        header* v = matrix(rows, columns, elements, name);
        endlocal = newram;
        return v;
    }

    // Elements of a matrix record, or the one or two doubles of a scalar.
    static std::vector<double> elements(header* record) {
        switch (record->kind) {
            case kindReal:
                return {realOf(record)};
            case kindComplex:
            case kindInterval:
                return {complexOf(record)[0], complexOf(record)[1]};
            default:
                break;
        }
        int width = record->kind == kindRealMatrix ? 1 : 2;
        double* data = matrixData(record);
        return std::vector<double>(
            data, data + int64_t(matrixRows(record)) * matrixColumns(record) * width);
    }
    static std::vector<int> shape(header* record) {
        return {matrixRows(record), matrixColumns(record)};
    }

    // The strings of a string vector.
    static std::vector<std::string> strings(header* vector) {
        std::vector<std::string> result;
        for (const char* p = stringOf(vector); *p != 1; p += std::strlen(p) + 1)
            result.push_back(p);
        return result;
    }

    // Pushes operands on an empty temporary area and applies `operation` to
    // the first of them, which it returns.
    template <class Operation>
    header* apply(const std::function<void()>& push, Operation operation) {
        newram = endlocal;
        errorCode = 0;
        header* first = recordAt(newram);
        push();
        operation(first);
        return first;
    }

    // The operation failed with this message and error code.
    void expectRefused(const std::string& message, int code) {
        EXPECT_EQ(output(), message);
        EXPECT_EQ(errorCode, code);
    }

    // The one record left at `first` must end at the stack top.
    header* onlyResult(header* first) {
        EXPECT_EQ(endOf(first), newram);
        return first;
    }
};

}  // namespace kalix
