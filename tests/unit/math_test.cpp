// Element-wise mathematical builtins through the builtin table: values at
// the edges, domain errors with their messages and codes, the switches for
// errors and underflows, the power operator, rounding, bit operations, the
// complex functions and the random generators.
#include <cmath>
#include <cstring>
#include <functional>

#include "builtins/math.h"
#include "math_fixture.h"

namespace kalix {

class MathBuiltinTest : public MathTest {};

TEST_F(MathBuiltinTest, RealValues) {
    struct Case {
        const char* name;
        double x, y;  // y is NaN for one argument
        double expected;
    };
    const double pi = M_PI;
    const Case cases[] = {
        {"sign", NAN, NAN, 1},
        {"sign", -0.0, NAN, 0},
        {"sign", -3, NAN, -1},
        {"arg", -2, NAN, pi},
        {"arg", NAN, NAN, pi},
        {"arg", 0, NAN, 0},
        {"atan2", 1, 1, pi / 4},
        {"atan2", 0, 1, pi / 2},
        {"arctan2", 0, 0, 0},
        {"mod", -1, 3, 2},
        {"mod", 5, 0, 5},
        {"mod", 7, 3, 1},
        {"mod", -1, -3, -1},
        {"mod", 1, -3, -2},
        {"mod", -6, -3, 0},
        {"round", 2.5, NAN, 3},
        {"round", -2.5, NAN, -3},
        {"round", 3.14159, 2, 3.14},
        {"round", 1234, -2, 1200},
        {"round", 0.5, 20, 0.5},
        {"bitand", -1, 255, 255},
        {"bitnot", 1, NAN, 4294967294},
        {"bitnot", 0, NAN, 4294967295},
        {"bitor", 1, 6, 7},
        {"bitxor", 5, 1, 4},
        {"bitand", 1e300, 255, 255},
        {"bitnot", NAN, NAN, 4294967295},
        {"bitand", -1e300, 4294967295, 0},
        {"fac", 5, NAN, 120},
        {"fac", -3, NAN, 1},
        {"fac", 1.9, NAN, 1},
        {"fac", 171, NAN, INFINITY},
        {"fac", 3e9, NAN, 1},
        {"fac", 2e9, NAN, INFINITY},
        {"logfac", 1, NAN, 0},
        {"logfac", 4, NAN, std::log(24.0)},
        {"bin", 5, 2, 10},
        {"bin", 5, 0, 1},
        {"bin", 5, -1, 1},
        {"bin", 3, 5, 0},
        {"bin", 0.5, 2, -0.125},
        {"bin", 1e300, 1e18, INFINITY},
        {"logbin", 5, 2, std::log(10.0)},
        {"logbin", 5, 0, 0},
        {"max", 1, 2, 2},
        {"max", NAN, 2, 2},
        {"min", 1, 2, 1},
        {"floor", -1.5, NAN, -2},
        {"ceil", -1.5, NAN, -1},
        {"abs", -2, NAN, 2},
        {"re", 3, NAN, 3},
        {"im", 3, NAN, 0},
        {"isNAN", NAN, NAN, 1},
        {"conj", 3, NAN, 3},
        {"atan", 1, NAN, pi / 4},
        {"tan", 0, NAN, 0},
        {"relerror", 5, 0, 5},
        {"relerror", 1.5, 1, 0.5},
        {"exp", -700, NAN, 0},
        {"sqrt", 4, NAN, 2},
        {"ln", 1, NAN, 0},
    };
    for (const Case& c : cases) {
        errorCode = 0;
        double r = std::isnan(c.y) && std::string(c.name) != "bitand" ? real(c.name, c.x)
                                                                      : real(c.name, c.x, c.y);
        std::string what =
            std::string(c.name) + "(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ")";
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(r)) << what;
        } else if (std::isinf(c.expected)) {
            EXPECT_EQ(r, c.expected) << what;
        } else {
            EXPECT_NEAR(r, c.expected, 1e-13 * std::fmax(1, std::fabs(c.expected)))
                << what << " " << output();
            EXPECT_EQ(errorCode, 0) << what;
        }
    }
    EXPECT_TRUE(std::isfinite(real("fac", 170)));
}

TEST_F(MathBuiltinTest, DomainErrorsAndTheirSwitches) {
    struct Case {
        const char* name;
        double x;
        const char* message;
        int code;
    };
    const Case cases[] = {
        {"sqrt", -4, "Floating point error!\nError in sqrt\n", 51},
        {"log", 0, "log defined only for positive numbers!\nError in log\n", 50},
        {"log", -1, "log defined only for positive numbers!\nError in log\n", 50},
        {"asin", 2, "Floating point error!\nError in asin\n", 51},
        {"acos", -2, "Floating point error!\nError in acos\n", 51},
        {"exp", 700, "Floating point error!\nError in exp\n", 51},
        {"sin", INFINITY, "Error in sin\n", 51},  // the library's domain error
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errorCode = 0;
        EXPECT_TRUE(std::isnan(real(c.name, c.x)));
        EXPECT_EQ(errorCode, c.code);
        EXPECT_EQ(output(), c.message);
        errorCode = 0;
        errorsOff = 1;
        double r = real(c.name, c.x);
        errorsOff = 0;
        EXPECT_EQ(errorCode, 0);
        EXPECT_EQ(output(), "");
        EXPECT_TRUE(std::isnan(r));
    }
    // One failing matrix reports once.
    errorCode = 0;
    newram = endlocal;
    call("sqrt", 1, row({-1, -2, 4}));
    EXPECT_EQ(output(), "Floating point error!\nError in sqrt\n");
    // With errors off the pass runs to its end.
    errorCode = 0;
    errorsOff = 1;
    newram = endlocal;
    header* first = call("sqrt", 1, row({-1, -2, 4}));
    errorsOff = 0;
    ASSERT_EQ(errorCode, 0);
    EXPECT_TRUE(std::isnan(elements(first)[1]));
    EXPECT_EQ(elements(first)[2], 2);
}

TEST_F(MathBuiltinTest, UnderflowsOnlyWhenAskedFor) {
    EXPECT_EQ(real("exp", -700), 0);
    EXPECT_EQ(errorCode, 0);
    underflowsOn = 1;
    EXPECT_TRUE(std::isnan(real("exp", -700)));
    EXPECT_EQ(errorCode, 51);
    EXPECT_EQ(output(), "Floating point error!\nError in exp\n");
    underflowsOn = 0;
}

TEST_F(MathBuiltinTest, ComplexPrefixTurnsLogAndSqrtComplex) {
    complexExpressionFlag = 1;
    header* first = call("sqrt", 1, pushReal(-4));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(first->kind, kindComplex);
    EXPECT_NEAR(pair(first)[0], 0, 1e-15);
    EXPECT_NEAR(pair(first)[1], 2, 1e-15);
    newram = endlocal;
    first = call("log", 1, pushReal(-1));
    EXPECT_NEAR(pair(first)[0], 0, 1e-15);
    EXPECT_NEAR(pair(first)[1], M_PI, 1e-15);
    newram = endlocal;
    first = pushReal(-8);
    pushReal(0.5);
    raisePower(first);
    EXPECT_EQ(first->kind, kindComplex);
    EXPECT_NEAR(pair(first)[1], std::sqrt(8.0), 1e-14);
    complexExpressionFlag = 0;
}

// --- power ---------------------------------------------------------------------------

TEST_F(MathBuiltinTest, PowerOfReals) {
    struct Case {
        double a, b, expected;
    };
    const Case cases[] = {
        {-8, 1.0 / 3, -2}, {0, 0, 1},     {0, -1, 0},    {-2, 3, -8},    {-2, 2, 4},
        {-2, 0, 1},        {2, 10, 1024}, {2, -2000, 0}, {-32, 0.2, -2}, {NAN, 0, 1},
    };
    for (const Case& c : cases) {
        errorCode = 0;
        newram = endlocal;
        header* first = pushReal(c.a);
        pushReal(c.b);
        raisePower(first);
        EXPECT_EQ(errorCode, 0) << c.a << "^" << c.b << " " << output();
        EXPECT_NEAR(realOf(first), c.expected, 1e-14) << c.a << "^" << c.b;
    }
}

TEST_F(MathBuiltinTest, PowerErrors) {
    header* first = pushReal(-8);
    pushReal(0.5);
    raisePower(first);
    EXPECT_EQ(errorCode, 26);
    EXPECT_EQ(
        output(),
        "^ defined for positive numbers or integer exponent!\nUse complex numbers?\nError in ^\n");

    errorCode = 0;
    newram = endlocal;
    first = pushReal(2);
    pushReal(2000);
    raisePower(first);
    EXPECT_EQ(errorCode, 51);
    EXPECT_EQ(output(), "Underflow or overflow error.\nError in ^\n");

    errorCode = 0;
    underflowsOn = 1;
    newram = endlocal;
    first = pushReal(2);
    pushReal(-2000);
    raisePower(first);
    underflowsOn = 0;
    EXPECT_EQ(errorCode, 51);
    EXPECT_EQ(output(), "Underflow or overflow error.\nError in ^\n");

    errorCode = 0;
    errorsOff = 1;
    newram = endlocal;
    first = pushReal(-8);
    pushReal(0.5);
    raisePower(first);
    errorsOff = 0;
    EXPECT_EQ(errorCode, 0);
    EXPECT_TRUE(std::isnan(realOf(first)));
}

TEST_F(MathBuiltinTest, PowerOfComplexAndIntervals) {
    header* first = pushComplex(0, 1);
    pushReal(2);
    raisePower(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_NEAR(pair(first)[0], -1, 1e-15);
    EXPECT_NEAR(pair(first)[1], 0, 1e-15);
    newram = endlocal;
    first = pushComplex(0, 0);
    pushComplex(2, 0);
    raisePower(first);
    EXPECT_EQ(pair(first), (std::vector<double>{0, 0}));
    newram = endlocal;
    first = pushComplex(0, 0);
    pushComplex(0, 0);
    raisePower(first);
    EXPECT_EQ(pair(first), (std::vector<double>{1, 0}));

    newram = endlocal;
    first = pushInterval(-2, 3);
    pushInterval(2, 2);
    raisePower(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(pair(first)[0], 0);
    EXPECT_GE(pair(first)[1], 9);
    newram = endlocal;
    first = pushInterval(-2, 1);
    pushInterval(0.5, 0.5);
    raisePower(first);
    EXPECT_EQ(errorCode, 10);
    EXPECT_EQ(output(), "Cannot raise negative number to non-integer power.\nError in ^\n");
}

// --- complex numbers --------------------------------------------------------------------

TEST_F(MathBuiltinTest, ComplexFunctions) {
    struct Case {
        const char* name;
        double re, im, expectedRe, expectedIm;
    };
    const double pi = M_PI;
    const Case cases[] = {
        {"exp", 0, pi, -1, 0},
        {"log", -1, 0, 0, pi},
        {"sqrt", -4, 0, 0, 2},
        {"sqrt", 0, 2, 1, 1},
        {"sin", 0, 1, 0, std::sinh(1.0)},
        {"cos", 0, 1, std::cosh(1.0), 0},
        {"tan", 0, 1, 0, std::tanh(1.0)},
        {"conj", 1, 2, 1, -2},
        {"round", 1.234, -5.678, 1, -6},
        {"asin", 2, 0, pi / 2, -std::log(2 + std::sqrt(3.0))},
        {"acos", 0.5, 0, std::acos(0.5), 0},
        {"atan", 0, 0.5, 0, std::atanh(0.5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errorCode = 0;
        newram = endlocal;
        header* first = call(c.name, 1, pushComplex(c.re, c.im));
        ASSERT_EQ(errorCode, 0) << output();
        ASSERT_EQ(first->kind, kindComplex);
        EXPECT_NEAR(pair(first)[0], c.expectedRe, 1e-14);
        EXPECT_NEAR(std::fabs(pair(first)[1]), std::fabs(c.expectedIm), 1e-14);
    }
    // sin(asin z) and cos(acos z) return z.
    for (const char* names : {"asin sin", "acos cos", "atan tan"}) {
        std::string inverse(names, std::strchr(names, ' ')), forward(std::strchr(names, ' ') + 1);
        newram = endlocal;
        header* first = call(inverse.c_str(), 1, pushComplex(0.3, -1.7));
        call(forward.c_str(), 1, first);
        EXPECT_NEAR(pair(first)[0], 0.3, 1e-13) << names;
        EXPECT_NEAR(pair(first)[1], -1.7, 1e-13) << names;
    }
}

TEST_F(MathBuiltinTest, ComplexToReal) {
    struct Case {
        const char* name;
        double re, im, expected;
    };
    const Case cases[] = {
        {"abs", 3, 4, 5},        {"abs", 3e200, 4e200, 5e200},
        {"arg", 0, 1, M_PI / 2}, {"re", 1, 2, 1},
        {"im", 1, 2, 2},         {"real", 1, 1e-15, 1},
        {"isNAN", 1, NAN, 1},    {"isNAN", 1, 2, 0},
        {"relerror", 1, 1, 0},
    };
    for (const Case& c : cases) {
        newram = endlocal;
        header* first = pushComplex(c.re, c.im);
        if (std::string(c.name) == "relerror") {
            pushReal(2);
            call(c.name, 2, first);
            EXPECT_NEAR(realOf(first), std::sqrt(2.0) / 2 - 1, 1e-15);
            continue;
        }
        call(c.name, 1, first);
        ASSERT_EQ(errorCode, 0) << c.name << output();
        EXPECT_EQ(first->kind, kindReal);
        EXPECT_NEAR(realOf(first), c.expected, 1e-13 * std::fabs(c.expected)) << c.name;
    }
    newram = endlocal;
    call("real", 1, pushComplex(1, 1));
    EXPECT_EQ(errorCode, 50);
    EXPECT_EQ(output(), "Not a real number!\n");  // no "Error in" line
}

TEST_F(MathBuiltinTest, RefusedKindsNameTheBuiltin) {
    call("floor", 1, pushComplex(1, 1));
    EXPECT_EQ(errorCode, 3);
    EXPECT_EQ(
        output(),
        "Wrong argument.\nCannot use a complex here.\n\nThis function can only use real values!\n"
        "Error in floor\n");
    errorCode = 0;
    newram = endlocal;
    call("sin", 1, pushCString("a"));
    EXPECT_EQ(errorCode, 3);
    EXPECT_EQ(output(),
              "Wrong argument.\nCannot use a string here.\n\n"
              "This function can only use real or complex values!\nError in sin\n");
    errorCode = 0;
    newram = endlocal;
    header* first = pushReal(1);
    pushComplex(1, 1);
    call("atan2", 2, first);
    EXPECT_EQ(output(), "Cannot evaluate tan2 for complex values!\nError in tan2\n");
    errorCode = 0;
    newram = endlocal;
    first = pushReal(1);
    pushCString("a");
    call("round", 2, first);
    EXPECT_EQ(errorCode, 26);
    EXPECT_EQ(output(), "Need real, or real and int for round\n");
}

// --- intervals through the builtins --------------------------------------------------------

TEST_F(MathBuiltinTest, IntervalArguments) {
    header* first = call("cos", 1, pushInterval(0, 7));
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(pair(first), (std::vector<double>{-1, 1}));
    newram = endlocal;
    first = call("abs", 1, pushInterval(-3, 2));
    EXPECT_EQ(pair(first), (std::vector<double>{0, 3}));
    newram = endlocal;
    first = call("exp", 1, pairs(kindIntervalMatrix, 1, 2, {0, 0, 1, 1}));
    EXPECT_EQ(first->kind, kindIntervalMatrix);
    EXPECT_LT(elements(first)[0], 1.0);
    EXPECT_GT(elements(first)[1], 1.0);
    newram = endlocal;
    call("sqrt", 1, pushInterval(0, 1));
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Sqrt out of range\nError in sqrt\n");
    errorCode = 0;
    newram = endlocal;
    call("floor", 1, pushInterval(0, 1));
    EXPECT_EQ(errorCode, 3);
    errorCode = 0;
    output();
    newram = endlocal;
    first = pushInterval(1, 5);
    pushInterval(2, 3);
    call("max", 2, first);
    EXPECT_EQ(pair(first), (std::vector<double>{2, 5}));
}

TEST_F(MathBuiltinTest, DegreeAndPercent) {
    header* first = pushReal(90);
    degree(first);
    EXPECT_DOUBLE_EQ(realOf(first), M_PI / 2);
    newram = endlocal;
    first = pushReal(5);
    percent(first);
    EXPECT_DOUBLE_EQ(realOf(first), 0.05);
    newram = endlocal;
    first = pushInterval(180, 180);
    degree(first);
    EXPECT_LT(pair(first)[0], M_PI + 1e-15);
    EXPECT_GT(pair(first)[1], M_PI);
    newram = endlocal;
    degree(pushComplex(1, 1));
    EXPECT_EQ(errorCode, 3);
    EXPECT_EQ(
        output(),
        "Wrong argument.\nCannot use a complex here.\n\nThis function can only use real values!\n"
        "Error in degree\n");
    errorCode = 0;
    newram = endlocal;
    first = pushReal(5);
    fac(first);
    EXPECT_EQ(realOf(first), 120);
}

// --- complex and the random generators --------------------------------------------------------

TEST_F(MathBuiltinTest, ComplexBuiltin) {
    header* first = call("complex", 1, row({1, 2}));
    EXPECT_EQ(first->kind, kindComplexMatrix);
    EXPECT_EQ(elements(first), (std::vector<double>{1, 0, 2, 0}));
    newram = endlocal;
    first = call("complex", 1, pushCString("a"));
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindString);
    EXPECT_STREQ(stringOf(first), "a");
}

TEST_F(MathBuiltinTest, FastRandomGenerators) {
    header* first = call("fastrandom", 1, row({2, 3}));
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(shape(first), (std::vector<int>{2, 3}));
    for (double x : elements(first)) {
        EXPECT_GE(x, 0);
        EXPECT_LE(x, 1);
    }
    newram = endlocal;
    first = call("fastnormal", 1, row({1, 1000}));
    double sum = 0;
    for (double x : elements(first)) sum += x;
    EXPECT_LT(std::fabs(sum / 1000), 0.2);
    for (auto shapeRow :
         {std::vector<double>{2, 3, 4}, std::vector<double>{-1, 3}, std::vector<double>{NAN, 1}}) {
        errorCode = 0;
        newram = endlocal;
        call("fastrandom", 1, row(shapeRow));
        EXPECT_EQ(errorCode, 26);
        EXPECT_EQ(output(), "Need 1x2 vector for random\n");
    }
    errorCode = 0;
    newram = endlocal;
    call("fastnormal", 1, pushReal(1));
    EXPECT_EQ(output(), "Need 1x2 vector for normal\n");
}

}  // namespace kalix
