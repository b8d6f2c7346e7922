// Fixture for the element-wise builtins: the operator test stack, builtins
// called through the builtin table, and helpers for complex and interval
// values.
#pragma once

#include <cmath>

#include "arithmetic_fixture.h"
#include "interpreter/builtin_table.h"

namespace kalix {

class MathTest : public OperatorTest {
  public:
    void SetUp() override {
        OperatorTest::SetUp();
        sortBuiltins();
    }

    // Calls the builtin `name` with the n records from `first`; the record
    // left at `first` afterwards.
    header* call(const char* name, int n, header* first) {
        const BuiltinRecord* row = findBuiltin(name, n);
        EXPECT_NE(row, nullptr) << name;
        if (row) row->handler(first);
        return first;
    }

    // Runs the builtin on a fresh stack with one real argument; its real
    // result, or NaN after an error (the error code stays).
    double real(const char* name, double x) {
        newram = endlocal;
        header* first = call(name, 1, pushReal(x));
        return errorCode || first->kind != kindReal ? NAN : realOf(first);
    }
    double real(const char* name, double x, double y) {
        newram = endlocal;
        header* first = pushReal(x);
        pushReal(y);
        call(name, 2, first);
        return errorCode || first->kind != kindReal ? NAN : realOf(first);
    }

    static std::vector<double> pair(header* record) {
        return {complexOf(record)[0], complexOf(record)[1]};
    }
};

}  // namespace kalix
