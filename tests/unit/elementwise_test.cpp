// The element-wise engines and wrappers: kinds and shapes of results, the
// families of binary operations, broadcasting, refusals with their messages
// and codes, stopping at the first failing element, several real
// parameters.
#include <cmath>
#include <functional>

#include "interpreter/elementwise.h"
#include "math_fixture.h"

namespace kalix {

class ElementwiseTest : public MathTest {};

namespace {

double twice(double x) { return 2 * x; }
void conjugate(const double* z, double* r) {
    r[0] = z[0];
    r[1] = -z[1];
}
void widen(const double* x, double* r) {
    r[0] = x[0] - 1;
    r[1] = x[1] + 1;
}
double modulus(const double* z) { return std::hypot(z[0], z[1]); }
double width(const double* x) { return x[1] - x[0]; }

void add(const double* a, const double* b, double* r) { *r = *a + *b; }
void addComplex(double a, double b, double c, double d, double* re, double* im) {
    *re = a + c;
    *im = b + d;
}
void hull(double a, double b, double c, double d, double* lo, double* hi) {
    *lo = std::fmin(a, c);
    *hi = std::fmax(b, d);
}
double sameReal(double a, double, double c, double) { return a == c; }
double sameUpper(double, double b, double, double d) { return b == d; }

// Fails at elements equal to 3.
double failAtThree(double x) {
    if (x == 3) errorCode = 77;
    return -x;
}

double sumOf(double** values, int n, int, const char*) {
    double s = 0;
    for (int k = 0; k < n; k++) s += *values[k];
    return s;
}

}  // namespace

// --- unary engines ------------------------------------------------------------------

TEST_F(ElementwiseTest, UnaryResultsKeepKindAndShape) {
    header* first = matrix(2, 3, {1, 2, 3, 4, 5, 6});
    mapRealComplex(twice, conjugate, first);
    ASSERT_EQ(errorCode, 0);
    onlyResult(first);
    EXPECT_EQ(first->kind, kindRealMatrix);
    EXPECT_EQ(shape(first), (std::vector<int>{2, 3}));
    EXPECT_EQ(elements(first), (std::vector<double>{2, 4, 6, 8, 10, 12}));

    newram = endlocal;
    first = pairs(kindComplexMatrix, 1, 2, {1, 2, 3, 4});
    mapRealComplex(twice, conjugate, first);
    EXPECT_EQ(first->kind, kindComplexMatrix);
    EXPECT_EQ(elements(first), (std::vector<double>{1, -2, 3, -4}));

    newram = endlocal;
    first = pushInterval(1, 2);
    mapRealComplexInterval(twice, conjugate, widen, first);
    EXPECT_EQ(first->kind, kindInterval);
    EXPECT_EQ(pair(first), (std::vector<double>{0, 3}));

    newram = endlocal;
    first = pushComplex(3, 4);
    mapToRealOrInterval(twice, modulus, widen, first);
    EXPECT_EQ(first->kind, kindReal);
    EXPECT_EQ(realOf(first), 5);

    newram = endlocal;
    first = pairs(kindIntervalMatrix, 1, 2, {1, 2, 3, 5});
    mapIntervalToReal(twice, width, first);
    EXPECT_EQ(first->kind, kindRealMatrix);
    EXPECT_EQ(elements(first), (std::vector<double>{1, 2}));

    newram = endlocal;
    first = matrix(0, 3, {});
    mapRealComplex(twice, nullptr, first);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(shape(first), (std::vector<int>{0, 3}));
}

TEST_F(ElementwiseTest, UnaryRefusals) {
    struct Case {
        const char* what;
        std::function<header*()> operand;
        std::function<void(header*)> map;
        const char* message;
    };
    const Case cases[] = {
        {"string to real or complex", [] { return pushCString("a"); },
         [](header* f) { mapRealComplex(twice, conjugate, f); },
         "Wrong argument.\nCannot use a string here.\n\nThis function can only use real or complex "
         "values!\n"},
        {"complex without a complex function", [] { return pushComplex(1, 2); },
         [](header* f) { mapRealComplex(twice, nullptr, f); },
         "Wrong argument.\nCannot use a complex here.\n\nThis function can only use real "
         "values!\n"},
        {"interval without an interval engine", [] { return pushInterval(1, 2); },
         [](header* f) { mapComplexToReal(twice, modulus, f); },
         "Wrong argument.\nCannot use a interval here.\n\nThis function can only use real or "
         "complex values!\n"},
        {"real to the interval engine", [] { return pushReal(1); },
         [](header* f) { EXPECT_EQ(applyInterval(widen, f), nullptr); },
         "Wrong argument.\nCannot use a real here.\n\nThis function can only use interval "
         "values!\n"},
        {"real to the interval-to-real engine", [] { return pushReal(1); },
         [](header* f) { EXPECT_EQ(applyIntervalToReal(width, f), nullptr); },
         "Wrong argument.\nCannot use a real here.\n\nThis function can only use interval "
         "values!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errorCode = 0;
        newram = endlocal;
        header* operand = c.operand();
        char* top = newram;
        c.map(operand);
        EXPECT_EQ(errorCode, 3);
        EXPECT_EQ(output(), c.message);
        EXPECT_EQ(newram, top);  // nothing moved, nothing left
    }
}

TEST_F(ElementwiseTest, LoopStopsAtTheFirstFailingElement) {
    header* first = row({1, 2, 3, 4});
    header* result = applyRealComplex(failAtThree, nullptr, first);
    EXPECT_EQ(errorCode, 77);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(matrixData(result)[2], -3);  // the failing element is written
    errorCode = 0;
    newram = endlocal;
    first = row({1, 2, 3, 4});
    char* top = newram;
    mapRealComplex(failAtThree, nullptr, first);
    EXPECT_EQ(errorCode, 77);
    EXPECT_EQ(elements(first), (std::vector<double>{1, 2, 3, 4}));  // not moved down
    EXPECT_GT(newram, top);
}

// --- binary engines -----------------------------------------------------------------

TEST_F(ElementwiseTest, BinaryFamiliesAndPromotion) {
    header* first = pushReal(1);
    pushComplex(2, 3);
    mapBinary(add, addComplex, hull, first, "+");
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindComplex);
    EXPECT_EQ(pair(first), (std::vector<double>{3, 3}));  // the real enters with imaginary part 0

    newram = endlocal;
    first = row({5, 0});
    pushInterval(1, 2);
    mapBinary(add, addComplex, hull, first, "+");
    EXPECT_EQ(first->kind, kindIntervalMatrix);
    EXPECT_EQ(elements(first), (std::vector<double>{1, 5, 0, 2}));  // reals enter as [x, x]

    newram = endlocal;
    first = pushInterval(1, 2);
    pushReal(2);
    mapBinaryToReal(add, sameReal, sameUpper, first, "?");
    EXPECT_EQ(first->kind, kindReal);
    EXPECT_EQ(realOf(first), 1);
}

TEST_F(ElementwiseTest, BroadcastShapes) {
    struct Case {
        const char* what;
        std::function<header*(ElementwiseTest&)> a, b;
        std::vector<int> shape;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"row with column: all pairs",
         [](auto& t) {
             return t.row({1, 2, 3});
         },
         [](auto& t) {
             return t.column({10, 20});
         },
         {2, 3},
         {11, 12, 13, 21, 22, 23}},
        {"column with row",
         [](auto& t) {
             return t.column({10, 20});
         },
         [](auto& t) {
             return t.row({1, 2, 3});
         },
         {2, 3},
         {11, 12, 13, 21, 22, 23}},
        {"row with every row of a matrix",
         [](auto& t) {
             return t.matrix(2, 2, {1, 2, 3, 4});
         },
         [](auto& t) {
             return t.row({10, 20});
         },
         {2, 2},
         {11, 22, 13, 24}},
        {"column with every column",
         [](auto& t) {
             return t.column({10, 20});
         },
         [](auto& t) {
             return t.matrix(2, 2, {1, 2, 3, 4});
         },
         {2, 2},
         {11, 12, 23, 24}},
        {"scalar with each element",
         [](auto&) { return pushReal(1); },
         [](auto& t) {
             return t.column({1, 2});
         },
         {2, 1},
         {2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        newram = endlocal;
        header* first = c.a(*this);
        c.b(*this);
        mapBinaryToReal(add, nullptr, nullptr, first, "+");
        ASSERT_EQ(errorCode, 0) << output();
        onlyResult(first);
        EXPECT_EQ(shape(first), c.shape);
        EXPECT_EQ(elements(first), c.expected);
    }
}

TEST_F(ElementwiseTest, BinaryRefusals) {
    using Push = std::function<header*(ElementwiseTest&)>;
    struct Case {
        const char* what;
        Push a, b;
        std::function<void(header*)> map;
        const char* message;
        int code;
    };
    const Push real = [](auto&) { return pushReal(1); };
    const Push complex = [](auto&) { return pushComplex(1, 1); };
    const Push interval = [](auto&) { return pushInterval(1, 2); };
    const Push string = [](auto&) { return pushCString("a"); };
    const auto all = [](header* f) { mapBinary(add, addComplex, hull, f, "op"); };
    const auto toReal = [](header* f) { mapBinaryToReal(add, nullptr, nullptr, f, "op"); };
    const Case cases[] = {
        {"complex with interval", complex, interval, all,
         "Cannot combine complex and intervals in op!\n", 10},
        {"no real function", real, real,
         [](header* f) { mapBinary(nullptr, addComplex, hull, f, "op"); },
         "Cannot evaluate op for reals!\n", 10},
        {"no complex function", real, complex,
         [](header* f) { mapBinary(add, nullptr, hull, f, "op"); },
         "Cannot evaluate op for complex values!\n", 10},
        {"no interval function", interval, real,
         [](header* f) { mapBinary(add, addComplex, nullptr, f, "op"); },
         "Cannot evaluate op for intervals!\n", 10},
        {"shapes",
         [](auto& t) {
             return t.matrix(2, 3, {1, 2, 3, 4, 5, 6});
         },
         [](auto& t) {
             return t.matrix(3, 2, {1, 2, 3, 4, 5, 6});
         },
         all, "Cannot combine a 2x3 and a 3x2 matrix for op!\n", 10},
        {"an empty matrix", [](auto& t) { return t.matrix(1, 0, {}); }, real, all,
         "Cannot combine a 1x0 and a 1x1 matrix for op!\n", 10},
        {"a string", real, string, all, "Wrong argument.\nCannot use a string here.\n\n", 10},
        {"real result: shapes",
         [](auto& t) {
             return t.row({1, 2});
         },
         [](auto& t) {
             return t.row({1, 2, 3});
         },
         toReal, "Cannot combine a 1x2 and a 1x3 matrix!\n", 1},
        {"real result: no interval function", interval, interval, toReal,
         "Cannot evaluate op for intervals!\n", 1},
        {"real result: a string", string, real, toReal,
         "Wrong argument.\nCannot use a string here.\n\n", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errorCode = 0;
        newram = endlocal;
        header* first = c.a(*this);
        c.b(*this);
        c.map(first);
        EXPECT_EQ(errorCode, c.code);
        EXPECT_EQ(output(), c.message);
    }
}

TEST_F(ElementwiseTest, TooManyParametersForAnOperator) {
    header* first = pushReal(1);
    header* second = pushReal(2);
    second->flags |= flagResult;
    pushReal(3);
    mapBinary(add, nullptr, nullptr, first, "+");
    EXPECT_EQ(errorCode, 10);
    EXPECT_EQ(output(), "Too many parameters for operator! (Multiple returns?)\n");

    errorCode = 0;
    newram = endlocal;
    first = pushReal(1);
    pushReal(2);
    pushReal(3);
    mapBinaryToReal(add, nullptr, nullptr, first, "<");
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Too many parameters for operator! (Multiple returns?)\n");

    errorCode = 0;
    newram = endlocal;
    first = pushReal(1);
    pushReal(2);
    pushReal(3);  // unflagged: only the next record is the operand
    mapBinary(add, nullptr, nullptr, first, "+");
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(realOf(onlyResult(first)), 3);
}

// --- several real parameters --------------------------------------------------------------

TEST_F(ElementwiseTest, SeveralRealParametersBroadcast) {
    header* first = row({1, 2, 3});
    column({10, 20});
    pushReal(100);
    mapRealArguments(first, 3, sumOf, "sum3");
    ASSERT_EQ(errorCode, 0) << output();
    onlyResult(first);
    EXPECT_EQ(shape(first), (std::vector<int>{2, 3}));
    EXPECT_EQ(elements(first), (std::vector<double>{111, 112, 113, 121, 122, 123}));

    newram = endlocal;
    first = pushReal(1);
    pushReal(2);
    mapRealArguments(first, 2, sumOf, "sum2");
    EXPECT_EQ(realOf(onlyResult(first)), 3);
}

TEST_F(ElementwiseTest, SeveralRealParametersRefusals) {
    header* first = pushReal(1);
    mapRealArguments(first, 2, sumOf, "f");
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Not enough parameters for f.\n");

    errorCode = 0;
    newram = endlocal;
    first = pushReal(1);
    pushComplex(1, 1);
    mapRealArguments(first, 2, sumOf, "f");
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Parameter 1 not real in call to f.\n");

    errorCode = 0;
    newram = endlocal;
    first = row({1, 2, 3});
    row({1, 2});
    mapRealArguments(first, 2, sumOf, "f");
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Cannot combine matrix sizes in f (found 1-2-matrix).\n");
}

TEST_F(ElementwiseTest, ErrorInLineOnlyAfterAnError) {
    reportErrorIn("sin");
    EXPECT_EQ(output(), "");
    errorCode = 1;
    reportErrorIn("sin");
    EXPECT_EQ(output(), "Error in sin\n");
}

}  // namespace kalix
