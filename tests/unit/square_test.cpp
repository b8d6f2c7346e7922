// The power with exponent 2: the correctly rounded square x*x, over
// scalars, matrices and variables, and the power's own rules where the
// square is no normal number.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "arithmetic_fixture.h"
#include "interpreter/arithmetic.h"
#include "interpreter/element_functions.h"
#include "interpreter/elementwise.h"
#include "interpreter/interval_operators.h"

namespace kalix {

namespace {

class SquareTest : public OperatorTest {
  protected:
    // x^2 through the operator, its record's value.
    double power(double x) {
        errorCode = 0;
        newram = endlocal;
        header* first = pushReal(x);
        pushReal(2);
        raisePower(first);
        return realOf(first);
    }
    double product(double x) {
        errorCode = 0;
        newram = endlocal;
        header* first = pushReal(x);
        pushReal(x);
        multiplyValues(first);
        return realOf(first);
    }
    static bool sameDouble(double a, double b) {
        return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
    }
};

// Values whose square is a normal number, 0, infinite or NaN (subnormal
// and NaN arguments among them; a negative base whose square underflows
// is an error of the power); the last two are squares that the library's
// pow rounds one unit off.
const std::vector<double> squares = {
    0.0,
    -0.0,
    1,
    -1,
    3,
    0.1,
    1.0 / 3,
    -7.25,
    1e154,
    -1e154,
    DBL_MIN,
    4.9e-324,
    1e-300,
    INFINITY,
    -INFINITY,
    NAN,
    -NAN,
    -2.5423628546144986e17,
    4.2895796826674482e-23,
};

TEST_F(SquareTest, SquareOfAScalarIsTheProduct) {
    for (double x : squares) {
        double p = power(x);
        EXPECT_EQ(errorCode, 0) << x << " " << output();
        EXPECT_TRUE(sameDouble(p, product(x))) << x << ": " << p;
        EXPECT_EQ(errorCode, 0);
    }
}

TEST_F(SquareTest, SquareOfAMatrixIsTheProduct) {
    const std::vector<double>& finite = squares;
    const int n = int(finite.size());
    // A temporary matrix, and a variable reached through a reference.
    for (bool variable : {false, true}) {
        SCOPED_TRACE(variable ? "variable" : "temporary");
        newram = endlocal;
        header* first = matrix(1, n, finite, variable ? "x" : "");
        if (variable) {
            endlocal = newram;
            first = pushReference(first, "x");
        }
        pushReal(2);
        raisePower(first);
        ASSERT_EQ(errorCode, 0) << output();
        ASSERT_EQ(first->kind, kindRealMatrix);
        ASSERT_EQ(newram, reinterpret_cast<char*>(first) + matrixRecordSize(1, n, 8));
        for (int k = 0; k < n; k++)
            EXPECT_TRUE(sameDouble(matrixData(first)[k], finite[k] * finite[k])) << finite[k];
        endlocal = startlocal;
    }
}

// Where the square underflows into the subnormal numbers or overflows, the
// element function decides as for any exponent: each value alone and all
// in one matrix give what the engine gives and report what it reports.
TEST_F(SquareTest, OtherSquaresFollowThePowerRules) {
    const std::vector<double> values = {1e-160, 1e-154, -1e-160, -DBL_MIN, 1e200, -1e200, DBL_MAX};
    std::vector<std::vector<double>> operands;
    for (double x : values) operands.push_back({3, x});
    operands.push_back(values);
    struct Switches {
        int underflows, errors;
    } cases[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (const Switches& c : cases) {
        underflowsOn = c.underflows;
        errorsOff = c.errors;
        for (const std::vector<double>& operand : operands) {
            SCOPED_TRACE(testing::Message() << "underflows " << c.underflows << " errors off "
                                            << c.errors << " first " << operand[1]);
            std::string runs[2];
            for (bool engine : {false, true}) {
                errorCode = 0;
                newram = endlocal;
                header* first = matrix(1, int(operand.size()), operand);
                pushReal(2);
                if (engine) {
                    mapBinary(powerReal, powerComplex, powerInterval, first, "^");
                    if (errorCode == errorMathLibrary) printText("Underflow or overflow error.\n");
                    reportErrorIn("^");
                } else {
                    raisePower(first);
                }
                runs[engine] = std::to_string(errorCode) + " " + output();
                for (int k = 0; !errorCode && k < int(operand.size()); k++) {
                    char text[32];
                    std::snprintf(text, sizeof text, " %a", matrixData(first)[k]);
                    runs[engine] += text;
                }
            }
            EXPECT_EQ(runs[0], runs[1]);
        }
    }
    underflowsOn = errorsOff = 0;
    EXPECT_EQ(power(1e-160), 0);
    EXPECT_EQ(errorCode, 0);
}

}  // namespace

}  // namespace kalix
