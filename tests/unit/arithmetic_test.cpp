// Arithmetic operators: kinds, broadcasting, messages, the matrix product,
// where results are built, and the common-kind promotion.
#include <cmath>
#include <functional>

#include "arithmetic_fixture.h"
#include "builtins/intervals.h"
#include "interpreter/arithmetic.h"

namespace kalix {

using Operation = void (*)(header*);

class ArithmeticTest : public OperatorTest {};

// --- broadcasting and shapes -------------------------------------------------

struct ShapeCase {
    const char* what;
    Operation op;
    std::function<header*(ArithmeticTest&)> left, right;
    std::vector<int> shape;  // empty: a real scalar
    std::vector<double> expected;
};

TEST_F(ArithmeticTest, RealOperandsBroadcast) {
    const ShapeCase cases[] = {
        {"row plus scalar",
         addValues,
         [](auto& t) {
             return t.row({1, 2, 3});
         },
         [](auto&) { return pushReal(1); },
         {1, 3},
         {2, 3, 4}},
        {"scalar minus row",
         subtractValues,
         [](auto&) { return pushReal(10); },
         [](auto& t) {
             return t.row({1, 2, 3});
         },
         {1, 3},
         {9, 8, 7}},
        {"column plus row",
         addValues,
         [](auto& t) {
             return t.column({1, 2});
         },
         [](auto& t) {
             return t.row({10, 20});
         },
         {2, 2},
         {11, 21, 12, 22}},
        {"row plus column",
         addValues,
         [](auto& t) {
             return t.row({1, 2, 3});
         },
         [](auto& t) {
             return t.column({10, 20});
         },
         {2, 3},
         {11, 12, 13, 21, 22, 23}},
        {"matrix times row",
         multiplyValues,
         [](auto& t) {
             return t.matrix(2, 2, {1, 2, 3, 4});
         },
         [](auto& t) {
             return t.row({10, 100});
         },
         {2, 2},
         {10, 200, 30, 400}},
        {"matrix over column",
         divideValues,
         [](auto& t) {
             return t.matrix(2, 2, {2, 4, 9, 12});
         },
         [](auto& t) {
             return t.column({2, 3});
         },
         {2, 2},
         {1, 2, 3, 4}},
        {"same shapes",
         subtractValues,
         [](auto& t) {
             return t.matrix(2, 2, {5, 5, 5, 5});
         },
         [](auto& t) {
             return t.matrix(2, 2, {1, 2, 3, 4});
         },
         {2, 2},
         {4, 3, 2, 1}},
        {"1x1 matrices give a scalar",
         multiplyValues,
         [](auto& t) { return t.row({6}); },
         [](auto& t) { return t.row({7}); },
         {},
         {42}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.what);
        header* first = apply([&] { c.left(*this), c.right(*this); }, c.op);
        ASSERT_EQ(errorCode, 0) << output();
        onlyResult(first);
        if (c.shape.empty()) {
            EXPECT_EQ(first->kind, kindReal);
        } else {
            EXPECT_EQ(first->kind, kindRealMatrix);
            EXPECT_EQ(shape(first), c.shape);
        }
        EXPECT_EQ(elements(first), c.expected);
    }
}

TEST_F(ArithmeticTest, RefusedShapesAndKinds) {
    struct Case {
        const char* what;
        Operation op;
        std::function<void(ArithmeticTest&)> push;
        const char* message;
        int code;
    } cases[] = {
        {"row lengths", addValues,
         [](auto& t) {
             t.row({1, 2});
             t.row({1, 2, 3});
         },
         "Cannot combine a 1x2 and a 1x3 matrix for +!\n", 10},
        {"2x3 and 3x2", subtractValues,
         [](auto& t) {
             t.matrix(2, 3, {1, 2, 3, 4, 5, 6});
             t.matrix(3, 2, {1, 2, 3, 4, 5, 6});
         },
         "Cannot combine a 2x3 and a 3x2 matrix for -!\n", 10},
        {"empty with scalar", multiplyValues,
         [](auto& t) {
             t.matrix(1, 0, {});
             pushReal(2);
         },
         "Cannot combine a 1x0 and a 1x1 matrix for *!\n", 10},
        {"complex times interval", multiplyValues,
         [](auto&) {
             pushComplex(1, 1);
             pushInterval(1, 2);
         },
         "Cannot combine complex and intervals in *!\n", 10},
        {"real divided by zero", divideValues,
         [](auto&) {
             pushReal(1);
             pushReal(0);
         },
         "Floating point error!\n", 1},
        {"zero in a divisor matrix", divideValues,
         [](auto& t) {
             t.row({1, 2});
             t.row({1, 0});
         },
         "Floating point error!\n", 1},
        {"complex divided by zero", divideValues,
         [](auto&) {
             pushComplex(1, 1);
             pushReal(0);
         },
         "Floating point error!\n", 1},
        {"string minus number", subtractValues,
         [](auto&) {
             pushCString("a");
             pushReal(1);
         },
         "Wrong argument.\nCannot use a string here.\n\n", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        apply([&] { c.push(*this); }, c.op);
        expectRefused(c.message, c.code);
    }
}

TEST_F(ArithmeticTest, DivisionByZeroWithErrorsOffGivesNan) {
    errorsOff = 1;
    header* first = row({1, -1, 0});
    pushReal(0);
    divideValues(first);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(output(), "");
    for (double x : elements(first)) EXPECT_TRUE(std::isnan(x));

    newram = endlocal;
    first = pushComplex(1, 2);
    pushComplex(0, 0);
    divideValues(first);
    EXPECT_EQ(errorCode, 0);
    EXPECT_TRUE(std::isnan(complexOf(first)[0]) && std::isnan(complexOf(first)[1]));
}

TEST_F(ArithmeticTest, SeveralResultsBeforeAnOperatorAreRefused) {
    header* first = pushReal(1);
    header* second = pushReal(2);
    second->flags |= flagResult;
    pushReal(3);
    addValues(first);
    EXPECT_EQ(output(), "Too many parameters for operator! (Multiple returns?)\n");
    EXPECT_EQ(errorCode, 10);
}

// --- complex and interval elements ----------------------------------------------

TEST_F(ArithmeticTest, ComplexElements) {
    struct Case {
        Operation op;
        double a[2], b[2], expected[2];
    } cases[] = {
        {addValues, {1, 2}, {3, 4}, {4, 6}},        {subtractValues, {1, 2}, {3, 4}, {-2, -2}},
        {multiplyValues, {1, 2}, {3, 4}, {-5, 10}}, {divideValues, {-5, 10}, {3, 4}, {1, 2}},
        {divideValues, {1, 0}, {0, 1}, {0, -1}},
    };
    for (const Case& c : cases) {
        newram = endlocal;
        header* first = pushComplex(c.a[0], c.a[1]);
        pushComplex(c.b[0], c.b[1]);
        c.op(first);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(first->kind, kindComplex);
        EXPECT_DOUBLE_EQ(complexOf(first)[0], c.expected[0]);
        EXPECT_DOUBLE_EQ(complexOf(first)[1], c.expected[1]);
    }
}

TEST_F(ArithmeticTest, RealWithComplexMatrixGivesComplexMatrix) {
    header* first = row({1, 2});
    pairs(kindComplexMatrix, 1, 2, {0, 1, 1, -1});
    addValues(first);
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(first->kind, kindComplexMatrix);
    EXPECT_EQ(elements(first), (std::vector<double>{1, 1, 3, -1}));
}

TEST_F(ArithmeticTest, IntervalsRoundOutward) {
    header* first = pushInterval(1, 2);
    pushInterval(3, 4);
    addValues(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindInterval);
    EXPECT_EQ(intervalOf(first)[0], 4);  // an exact sum keeps its bounds
    EXPECT_EQ(intervalOf(first)[1], 6);
    newram = endlocal;
    first = pushInterval(0.1, 0.1);
    pushInterval(0.2, 0.2);
    addValues(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_LT(intervalOf(first)[0], intervalOf(first)[1]);  // 0.1 + 0.2 was rounded

    // A real enters as the point interval.
    newram = endlocal;
    first = row({1, 2});
    pushInterval(-1, 1);
    multiplyValues(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindIntervalMatrix);
    std::vector<double> e = elements(first);
    EXPECT_LE(e[0], -1);
    EXPECT_GE(e[1], 1);
    EXPECT_LE(e[2], -2);
    EXPECT_GE(e[3], 2);

    newram = endlocal;
    first = pushInterval(1, 2);
    pushInterval(-1, 1);
    divideValues(first);
    EXPECT_EQ(output(), "Division by 0\n");
    EXPECT_EQ(errorCode, 1);
}

TEST_F(ArithmeticTest, NegationFlipsSigns) {
    header* first = pushReal(0);
    negateValue(first);
    EXPECT_TRUE(std::signbit(realOf(first)));

    newram = endlocal;
    first = row({1, -2, 0});
    negateValue(first);
    EXPECT_EQ(elements(first), (std::vector<double>{-1, 2, -0.0}));
    EXPECT_TRUE(std::signbit(elements(first)[2]));

    newram = endlocal;
    first = pushInterval(1, 2);
    negateValue(first);
    EXPECT_EQ(elements(first), (std::vector<double>{-2, -1}));

    newram = endlocal;
    first = pairs(kindComplexMatrix, 1, 1, {1, -2});
    negateValue(first);
    EXPECT_EQ(elements(first), (std::vector<double>{-1, 2}));

    newram = endlocal;
    first = pushCString("x");
    negateValue(first);
    EXPECT_NE(errorCode, 0);
}

// --- strings -------------------------------------------------------------------------

TEST_F(ArithmeticTest, PlusWithAStringJoins) {
    std::strcpy(formatState.scalarFormat, "%g");
    header* first = pushCString("x=");
    pushReal(1.5);
    addValues(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindString);
    EXPECT_STREQ(stringOf(first), "x=1.5");

    newram = endlocal;
    first = pushReal(2);
    pushCString(" apples");
    addValues(first);
    EXPECT_STREQ(stringOf(first), "2 apples");
}

// --- where results are built ----------------------------------------------------------

TEST_F(ArithmeticTest, VariablesAreNeverOverwritten) {
    header* x = variable(1, 3, {1, 2, 3}, "x");
    header* y = variable(1, 3, {10, 20, 30}, "y");
    // x + y, x - 1 and -x through references, as the evaluator passes names.
    for (Operation op : {addValues, subtractValues}) {
        newram = endlocal;
        header* first = pushReference(x, "x");
        pushReference(y, "y");
        op(first);
        ASSERT_EQ(errorCode, 0);
        onlyResult(first);
        EXPECT_EQ(first->name[0], 0);
    }
    EXPECT_EQ(elements(recordAt(endlocal)), (std::vector<double>{-9, -18, -27}));
    newram = endlocal;
    header* first = pushReference(x, "x");
    negateValue(first);
    EXPECT_EQ(elements(first), (std::vector<double>{-1, -2, -3}));
    EXPECT_EQ(elements(x), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(elements(y), (std::vector<double>{10, 20, 30}));
}

TEST_F(ArithmeticTest, ResultsOverOrBesideTemporaries) {
    // A temporary first operand of the result's shape takes the result.
    header* first = row({1, 2, 3});
    pushReal(1);
    addValues(first);
    EXPECT_EQ(elements(onlyResult(first)), (std::vector<double>{2, 3, 4}));

    // A scalar before a large temporary: the result would cover it.
    newram = endlocal;
    first = pushReal(100);
    row({1, 2, 3, 4, 5, 6});
    subtractValues(first);
    EXPECT_EQ(elements(onlyResult(first)), (std::vector<double>{99, 98, 97, 96, 95, 94}));

    // A row temporary broadcast with a column: the result is larger.
    newram = endlocal;
    first = row({1, 2, 3});
    column({10, 20, 30});
    addValues(first);
    EXPECT_EQ(shape(onlyResult(first)), (std::vector<int>{3, 3}));
    EXPECT_EQ(elements(first), (std::vector<double>{11, 12, 13, 21, 22, 23, 31, 32, 33}));
}

TEST_F(ArithmeticTest, ResultTooLargeForTheStack) {
    // A column of 400 with a row of 400 needs 1.28 MB, more than the stack.
    header* first = column(std::vector<double>(400, 1.0));
    row(std::vector<double>(400, 1.0));
    addValues(first);
    EXPECT_EQ(errorCode, 2);
    EXPECT_EQ(output(), "Stack overflow!\n");
}

// --- matrix product ----------------------------------------------------------------------

TEST_F(ArithmeticTest, MatrixProduct) {
    header* first = matrix(2, 2, {1, 2, 3, 4});
    header* second = column({5, 6});
    matrixProduct(first, second);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(shape(onlyResult(first)), (std::vector<int>{2, 1}));
    EXPECT_EQ(elements(first), (std::vector<double>{17, 39}));

    newram = endlocal;
    first = pairs(kindComplexMatrix, 1, 2, {1, 1, 0, 1});
    second = column({2, 3});
    matrixProduct(first, second);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindComplexMatrix);
    EXPECT_EQ(elements(first), (std::vector<double>{2, 5}));

    newram = endlocal;
    first = pairs(kindIntervalMatrix, 1, 2, {1, 2, -1, 1});
    second = column({1, 1});
    matrixProduct(first, second);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindIntervalMatrix);
    std::vector<double> e = elements(first);
    EXPECT_LE(e[0], 0);
    EXPECT_GE(e[1], 3);
    EXPECT_LT(e[1], 3.000001);
}

TEST_F(ArithmeticTest, MatrixProductFallsBackOrRefuses) {
    struct Case {
        const char* what;
        std::function<void(ArithmeticTest&)> push;
        const char* message;
        int code;
        std::vector<double> expected;
    } cases[] = {
        {"row by row",
         [](auto& t) {
             t.row({1, 2});
             t.row({1, 2});
         },
         "Cannot multiply 1x2 and 1x2 matrix\n",
         1,
         {}},
        {"scalar by row",
         [](auto& t) {
             pushReal(2);
             t.row({1, 2});
         },
         "",
         0,
         {2, 4}},
        {"column by scalar",
         [](auto& t) {
             t.column({1, 2});
             pushReal(3);
         },
         "",
         0,
         {3, 6}},
        {"row by scalar",
         [](auto& t) {
             t.row({1, 2});
             pushReal(3);
         },
         "Cannot dot multiply a real matrix and a real (incompatible dimensions).\n",
         1,
         {}},
        {"interval by string",
         [](auto& t) {
             t.pairs(kindIntervalMatrix, 1, 1, {1, 2});
             pushCString("s");
         },
         "Cannot dot multiply a interval matrix and a string (incompatible dimensions).\n",
         1,
         {}},
        {"complex by interval",
         [](auto& t) {
             t.pairs(kindComplexMatrix, 2, 1, {1, 1, 2, 2});
             t.pairs(kindIntervalMatrix, 1, 2, {1, 2, 1, 2});
         },
         "Cannot dot multiply a complex matrix and a interval matrix (incompatible dimensions).\n",
         1,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        header* first =
            apply([&] { c.push(*this); }, [](header* h) { matrixProduct(h, nextValue(h)); });
        expectRefused(c.message, c.code);
        if (!c.code) {
            EXPECT_EQ(elements(onlyResult(first)), c.expected);
        }
    }
}

// --- common kinds -----------------------------------------------------------------------------

TEST_F(ArithmeticTest, CommonKindPromotesInPlace) {
    header* a = row({1, 2, 3});
    header* b = pushComplex(0, 1);
    convertToCommonKind(&a, &b);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(a->kind, kindComplexMatrix);
    EXPECT_EQ(elements(a), (std::vector<double>{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(b->kind, kindComplex);
    EXPECT_EQ(nextValue(a), b);

    newram = endlocal;
    a = pushReal(2);
    b = row({1, 2});
    pushInterval(0, 1);
    EXPECT_TRUE(promoteConsecutive(a, 3));
    ASSERT_EQ(errorCode, 0);
    b = nextValue(a);
    header* c = nextValue(b);
    EXPECT_EQ(a->kind, kindInterval);
    EXPECT_EQ(b->kind, kindIntervalMatrix);
    EXPECT_EQ(elements(b), (std::vector<double>{1, 1, 2, 2}));
    EXPECT_EQ(c->kind, kindInterval);

    newram = endlocal;
    a = pushInterval(1, 2);
    b = pushComplex(0, 1);
    convertToCommonKind(&a, &b);
    EXPECT_EQ(output(), "Cannot convert from interval to complex.\n");
    EXPECT_EQ(errorCode, 1);
}

TEST_F(ArithmeticTest, CommonKindLeavesRealsAlone) {
    header* x = variable(1, 2, {1, 2}, "x");
    header* a = pushReference(x, "x");
    header* b = pushReal(3);
    convertToCommonKind(&a, &b);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(a, x);
    EXPECT_EQ(realOf(b), 3);
}

}  // namespace kalix
