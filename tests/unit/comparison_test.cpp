// Comparison and logical operators: strings, NaN rules, the relative test,
// interval certainty, broadcasting and the messages of refused operands.
#include <cmath>
#include <functional>

#include "builtins/comparison.h"
#include "math_fixture.h"

namespace kalix {

class ComparisonTest : public MathTest {
  public:
    using Operator = void (*)(header*);

    // The real result of `op` on two pushed operands.
    double compare(Operator op, std::function<header*()> a, std::function<header*()> b) {
        newram = endlocal;
        header* first = a();
        b();
        op(first);
        EXPECT_EQ(endOf(first), newram);
        return errorCode || first->kind != kindReal ? NAN : realOf(first);
    }
    static std::function<header*()> number(double x) {
        return [x] { return pushReal(x); };
    }
    static std::function<header*()> text(const char* s) {
        return [s] { return pushCString(s); };
    }
    static std::function<header*()> interval(double lo, double hi) {
        return [=] { return pushInterval(lo, hi); };
    }
    static std::function<header*()> complex(double re, double im) {
        return [=] { return pushComplex(re, im); };
    }
};

TEST_F(ComparisonTest, ScalarResults) {
    struct Case {
        const char* what;
        Operator op;
        std::function<header*()> a, b;
        double expected;
    };
    const Case cases[] = {
        {"equal strings", compareEqual, text("abc"), text("abc"), 1},
        {"different strings", compareEqual, text("abc"), text("abd"), 0},
        {"string == number", compareEqual, text("3"), number(3), 0},
        {"number == string", compareEqual, number(3), text("3"), 0},
        {"string <> number", compareNotEqual, text("3"), number(3), 1},
        {"number <> string", compareNotEqual, number(3), text("3"), 1},
        {"strings <>", compareNotEqual, text("a"), text("a"), 0},
        {"abc < abd", compareLess, text("abc"), text("abd"), 1},
        {"b > abc", compareGreater, text("b"), text("abc"), 1},
        {"prefix is less", compareLess, text("ab"), text("abc"), 1},
        {"high bytes are unsigned", compareGreater, text("\xe4"), text("z"), 1},
        {"strings <=", compareLessEqual, text("a"), text("a"), 1},
        {"strings >=", compareGreaterEqual, text("a"), text("b"), 0},
        {"NAN == NAN", compareEqual, number(NAN), number(NAN), 1},
        {"NAN <> NAN", compareNotEqual, number(NAN), number(NAN), 1},
        {"NAN < 1", compareLess, number(NAN), number(1), 0},
        {"NAN >= 1", compareGreaterEqual, number(NAN), number(1), 0},
        {"1 ~= 1 + 1e-13", compareAboutEqual, number(1), number(1 + 1e-13), 1},
        {"1 ~= 1.001", compareAboutEqual, number(1), number(1.001), 0},
        {"0 ~= 1e-13", compareAboutEqual, number(0), number(1e-13), 1},
        {"1e-13 ~= 0", compareAboutEqual, number(1e-13), number(0), 1},
        {"1 ~= 0", compareAboutEqual, number(1), number(0), 0},
        {"complex ~=", compareAboutEqual, complex(1, 2), complex(1 + 1e-14, 2), 1},
        {"tiny imaginary parts", compareAboutEqual, complex(1, 1e-20), number(1), 1},
        {"complex ==", compareEqual, complex(1, 2), complex(1, 2), 1},
        {"complex <>", compareNotEqual, complex(1, 2), complex(1, 3), 1},
        {"~1,2~ < ~3,4~", compareLess, interval(1, 2), interval(3, 4), 1},
        {"~1,3~ < ~2,4~", compareLess, interval(1, 3), interval(2, 4), 0},
        {"~1,3~ <= ~3,4~", compareLessEqual, interval(1, 3), interval(3, 4), 1},
        {"~3,4~ > ~1,2~", compareGreater, interval(3, 4), interval(1, 2), 1},
        {"~3,4~ >= 3", compareGreaterEqual, interval(3, 4), number(3), 1},
        {"intervals ==", compareEqual, interval(1, 2), interval(1, 2), 1},
        {"intervals <>", compareNotEqual, interval(1, 2), interval(1, 3), 1},
        {"2 && 0", applyAnd, number(2), number(0), 0},
        {"2 && -1", applyAnd, number(2), number(-1), 1},
        {"NAN && 1", applyAnd, number(NAN), number(1), 1},
        {"0 || 0", applyOr, number(0), number(0), 0},
        {"0 || NAN", applyOr, number(0), number(NAN), 1},
    };
    for (const Case& c : cases) {
        errorCode = 0;
        EXPECT_EQ(compare(c.op, c.a, c.b), c.expected) << c.what << " " << output();
    }
}

TEST_F(ComparisonTest, NotOperator) {
    struct Case {
        std::function<header*()> x;
        double expected;
    };
    const Case cases[] = {
        {number(0), 1}, {number(2), 0}, {number(NAN), 0}, {complex(0, 0), 1}, {complex(0, 1), 0}};
    for (const Case& c : cases) {
        newram = endlocal;
        header* first = c.x();
        applyNot(first);
        ASSERT_EQ(errorCode, 0);
        EXPECT_EQ(realOf(first), c.expected);
    }
    newram = endlocal;
    applyNot(pushInterval(0, 1));
    EXPECT_EQ(errorCode, 3);
    EXPECT_EQ(output(),
              "Wrong argument.\nCannot use a interval here.\n\n"
              "This function can only use real or complex values!\nError in !\n");
}

TEST_F(ComparisonTest, MatricesBroadcast) {
    header* first = row({1, 2, 3});
    pushReal(2);
    compareEqual(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(elements(first), (std::vector<double>{0, 1, 0}));

    newram = endlocal;
    first = row({1, 2});
    column({2, 1});
    compareLess(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(shape(first), (std::vector<int>{2, 2}));
    EXPECT_EQ(elements(first), (std::vector<double>{1, 0, 0, 0}));
}

TEST_F(ComparisonTest, LogicalOperatorsOnIntervals) {
    header* first = pushInterval(1, 3);
    pushInterval(2, 4);
    applyAnd(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindInterval);
    EXPECT_EQ(pair(first), (std::vector<double>{2, 3}));

    newram = endlocal;
    first = pushInterval(1, 2);
    pushInterval(3, 4);
    applyOr(first);
    EXPECT_EQ(pair(first), (std::vector<double>{1, 4}));

    newram = endlocal;
    first = pushInterval(1, 2);
    pushInterval(3, 4);
    applyAnd(first);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Empty intersection.\nError in &&\n");
}

TEST_F(ComparisonTest, RefusedOperands) {
    struct Case {
        const char* what;
        Operator op;
        std::function<header*()> a, b;
        const char* message;
        int code;
    };
    const Case cases[] = {
        {"string < number", compareLess, text("a"), number(1),
         "Need two strings for <\nError in <\n", 26},
        {"number < string", compareLess, number(1), text("a"),
         "Wrong argument.\nCannot use a string here.\n\nError in <\n", 10},
        {"complex ordering", compareGreater, complex(1, 1), number(1),
         "Cannot evaluate > for complex values!\nError in >\n", 1},
        {"strings &&", applyAnd, text("a"), text("b"),
         "Wrong argument.\nCannot use a string here.\n\nError in &&\n", 10},
        {"complex ||", applyOr, complex(1, 1), number(1),
         "Cannot evaluate || for complex values!\nError in ||\n", 10},
        {"complex with interval ==", compareEqual, complex(1, 1), interval(1, 2),
         "Cannot combine complex and intervals in ==!\nError in ==\n", 1},
        {"strings ~=", compareAboutEqual, text("a"), text("a"),
         "Wrong argument.\nCannot use a string here.\n\nError in ~=\n", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errorCode = 0;
        newram = endlocal;
        header* first = c.a();
        c.b();
        c.op(first);
        EXPECT_EQ(errorCode, c.code);
        EXPECT_EQ(output(), c.message);
    }
}

TEST_F(ComparisonTest, RelativeTestFollowsTheTolerance) {
    currentEpsilon = 0.1;
    EXPECT_EQ(realAboutEqual(1, 1.05), 1);
    EXPECT_EQ(realAboutEqual(1, 1.2), 0);
    EXPECT_EQ(complexAboutEqual(1, 5, 1, 6), 0);
    currentEpsilon = defaultEpsilon;
}

}  // namespace kalix
