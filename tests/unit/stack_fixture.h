// A small interpreter stack for unit tests, with output captured.
#pragma once

#include <gtest/gtest.h>

#include "interpreter_state_fixture.h"

#include <cstring>
#include <string>
#include <vector>

#include "interpreter/output.h"
#include "interpreter/stack.h"

namespace kalix {

class SmallStack : public InterpreterStateTest {
  protected:
    static constexpr size_t stackBytes = 4096;
    static constexpr unsigned char guardPattern = 0xA5;

    std::vector<uint64_t> block;  // 8-aligned
    char captured[8192];

    void SetUp() override {
        InterpreterStateTest::SetUp();
        block.assign((stackBytes + stackGuardBytes) / 8, 0);
        ramstart = reinterpret_cast<char*>(block.data());
        ramend = ramstart + stackBytes;
        std::memset(ramend, guardPattern, stackGuardBytes);
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
        errorCode = 0;
        indexCopyMode = 0;
        relaxedFunctionMode = 0;
        captured[0] = 0;
        captureDestination = captured;
        captureLimit = captured + sizeof captured;
        captureOverflow = 0;
    }

    void TearDown() override {
        captureDestination = nullptr;
        captureLimit = nullptr;
        errorCode = 0;
        indexCopyMode = 0;
        relaxedFunctionMode = 0;
        ramstart = ramend = newram = startlocal = endlocal = nullptr;
        functionsEnd = topStartLocal = topEndLocal = nullptr;
        InterpreterStateTest::TearDown();
    }

    // Everything printed since the last call.
    std::string output() {
        std::string text = captured;
        captured[0] = 0;
        captureDestination = captured;
        return text;
    }

    // Guard bytes from `from` beyond ramend that still hold the pattern.
    bool guardIntactFrom(size_t from) {
        for (size_t i = from; i < stackGuardBytes; i++)
            if (static_cast<unsigned char>(ramend[i]) != guardPattern) return false;
        return true;
    }

    header* pushRow(std::initializer_list<double> values) {
        header* record = pushRealMatrix(1, int(values.size()));
        std::copy(values.begin(), values.end(), matrixData(record));
        return record;
    }

    // A rows x columns real matrix holding 1, 2, 3, ... row by row.
    header* pushCounting(int rows, int columns, const char* name = "") {
        header* record = pushRealMatrix(rows, columns, name);
        for (int i = 0; i < rows * columns; i++) matrixData(record)[i] = i + 1;
        return record;
    }

    std::vector<double> elementsOf(header* record) {
        double* data = matrixData(record);
        return std::vector<double>(data,
                                   data + int64_t(matrixRows(record)) * matrixColumns(record));
    }
};

}  // namespace kalix
