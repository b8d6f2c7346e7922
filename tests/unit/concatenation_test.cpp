// The joins "|" and "_", ranges, transpose and promoteToComplex.
#include <climits>
#include <cmath>
#include <functional>

#include "arithmetic_fixture.h"
#include "builtins/concatenation.h"
#include "interpreter/builtin_table.h"

namespace kalix {

class ConcatenationTest : public OperatorTest {
  public:
    header* stringVector(std::vector<std::string> items) {
        std::string bytes;
        for (const std::string& s : items) bytes += s + '\0';
        bytes += '\1';
        char* data = pushHeader(kindStringMatrix, headerSize + int64_t(bytes.size()), "");
        std::memcpy(data, bytes.data(), bytes.size());
        return recordAt(data - headerSize);
    }
};

using Push = std::function<void(ConcatenationTest&)>;

struct JoinCase {
    const char* what;
    Push push;
    int kind;
    std::vector<int> shape;
    std::vector<double> expected;
};

TEST_F(ConcatenationTest, NumericJoins) {
    const JoinCase horizontal[] = {
        {"row and column",
         [](auto& t) {
             t.row({1, 2});
             t.column({3, 4});
         },
         kindRealMatrix,
         {2, 3},
         {1, 2, 3, 0, 0, 4}},
        {"scalar repeats",
         [](auto& t) {
             pushReal(5);
             t.column({1, 2});
         },
         kindRealMatrix,
         {2, 2},
         {5, 1, 5, 2}},
        {"1x1 interval matrix pads",
         [](auto& t) {
             t.pairs(kindIntervalMatrix, 1, 1, {1, 2});
             t.pairs(kindIntervalMatrix, 2, 1, {3, 3, 4, 4});
         },
         kindIntervalMatrix,
         {2, 2},
         {1, 2, 3, 3, 0, 0, 4, 4}},
        {"real promoted to complex",
         [](auto&) {
             pushReal(1);
             pushComplex(0, 2);
         },
         kindComplexMatrix,
         {1, 2},
         {1, 0, 0, 2}},
        {"complex then real",
         [](auto&) {
             pushComplex(0, 2);
             pushReal(1);
         },
         kindComplexMatrix,
         {1, 2},
         {0, 2, 1, 0}},
        {"real promoted to interval",
         [](auto&) {
             pushReal(1);
             pushInterval(1, 2);
         },
         kindIntervalMatrix,
         {1, 2},
         {1, 1, 1, 2}},
        {"empty left",
         [](auto& t) {
             t.matrix(0, 0, {});
             t.row({1, 2});
         },
         kindRealMatrix,
         {1, 2},
         {1, 2}},
    };
    for (const JoinCase& c : horizontal) {
        SCOPED_TRACE(c.what);
        header* first = apply([&] { c.push(*this); }, concatenateHorizontally);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(onlyResult(first)->kind, c.kind);
        EXPECT_EQ(shape(first), c.shape);
        EXPECT_EQ(elements(first), c.expected);
    }
    const JoinCase vertical[] = {
        {"scalar fills its row",
         [](auto& t) {
             t.row({1, 2, 3});
             pushReal(7);
         },
         kindRealMatrix,
         {2, 3},
         {1, 2, 3, 7, 7, 7}},
        {"short row padded",
         [](auto& t) {
             t.row({1, 2});
             t.row({3, 4, 5});
         },
         kindRealMatrix,
         {2, 3},
         {1, 2, 0, 3, 4, 5}},
        {"no columns adds no rows",
         [](auto& t) {
             t.matrix(3, 0, {});
             t.row({1, 2});
         },
         kindRealMatrix,
         {1, 2},
         {1, 2}},
        {"real under complex",
         [](auto& t) {
             t.pairs(kindComplexMatrix, 1, 1, {1, 1});
             pushReal(2);
         },
         kindComplexMatrix,
         {2, 1},
         {1, 1, 2, 0}},
    };
    for (const JoinCase& c : vertical) {
        SCOPED_TRACE(c.what);
        header* first = apply([&] { c.push(*this); }, concatenateVertically);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(onlyResult(first)->kind, c.kind);
        EXPECT_EQ(shape(first), c.shape);
        EXPECT_EQ(elements(first), c.expected);
    }
}

TEST_F(ConcatenationTest, RefusedJoins) {
    struct Case {
        const char* what;
        void (*join)(header*);
        Push push;
        const char* message;
        int code;
    } cases[] = {
        {"complex with interval", concatenateHorizontally,
         [](auto&) {
             pushComplex(0, 2);
             pushInterval(1, 2);
         },
         "Need matrices or strings for |\n", 26},
        {"interval with complex", concatenateVertically,
         [](auto&) {
             pushInterval(1, 2);
             pushComplex(0, 2);
         },
         "Need matrices for _\n", 26},
        {"strings stacked", concatenateVertically,
         [](auto&) {
             pushCString("a");
             pushCString("b");
         },
         "Need matrices for _\n", 26},
        {"no second operand", concatenateHorizontally, [](auto&) { pushReal(1); },
         "Need matrices or strings for |\n", 26},
        {"string after a matrix", concatenateHorizontally,
         [](auto& t) {
             t.row({1, 2});
             pushCString("s");
         },
         "Can only append a string to an empty vector!\n", 10},
        {"matrix after a string", concatenateHorizontally,
         [](auto& t) {
             pushCString("s");
             t.row({1, 2});
         },
         "Need matrices or strings for |\n", 26},
        {"complex matrix after a string", concatenateHorizontally,
         [](auto& t) {
             pushCString("s");
             t.pairs(kindComplexMatrix, 1, 2, {1, 1, 2, 2});
         },
         "Need matrices or strings for |\n", 26},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        apply([&] { c.push(*this); }, c.join);
        expectRefused(c.message, c.code);
    }
}

TEST_F(ConcatenationTest, StringsWithNumbers) {
    std::strcpy(formatState.scalarFormat, "%g");
    std::strcpy(formatState.joinFormat, "%0.12g");
    const uint64_t nanBits = 0xFFF8000000000000ull;
    double negativeNan;
    std::memcpy(&negativeNan, &nanBits, 8);
    struct Case {
        const char* what;
        Push push;
        int zeroRoundingOn;
        const char* expected;
    } cases[] = {
        {"two strings",
         [](auto&) {
             pushCString("ab");
             pushCString("cd");
         },
         0, "abcd"},
        {"real after a string",
         [](auto&) {
             pushCString("x");
             pushReal(0.25);
         },
         0, "x0.25"},
        {"tiny real rounded",
         [](auto&) {
             pushCString("x");
             pushReal(1e-13);
         },
         1, "x0"},
        {"tiny real kept",
         [](auto&) {
             pushCString("x");
             pushReal(1e-13);
         },
         0, "x1e-13"},
        {"NaN after a string",
         [negativeNan](auto&) {
             pushCString("x");
             pushReal(negativeNan);
         },
         0, "xNAN"},
        {"complex after a string",
         [](auto&) {
             pushCString("z=");
             pushComplex(1, -2);
         },
         0, "z=1-2i"},
        {"complex before a string",
         [](auto&) {
             pushComplex(1, -2);
             pushCString(" z");
         },
         0, "1+-2i z"},
        {"complex part rounded",
         [](auto&) {
             pushCString("z=");
             pushComplex(1, -1e-14);
         },
         1, "z=1+0i"},
        {"interval after a string",
         [](auto&) {
             pushCString("i=");
             pushInterval(1, 2.5);
         },
         0, "i=~1,2.5~"},
        {"interval before a string",
         [](auto&) {
             pushInterval(-1, 2);
             pushCString("!");
         },
         0, "~-1,2~!"},
        {"real before a string",
         [](auto&) {
             pushReal(3);
             pushCString("km");
         },
         0, "3km"},
        {"empty matrix after a string",
         [](auto& t) {
             pushCString("s");
             t.matrix(0, 3, {});
         },
         0, "s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        formatState.zeroRounding = c.zeroRoundingOn;
        header* first = apply([&] { c.push(*this); }, concatenateHorizontally);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(onlyResult(first)->kind, kindString);
        EXPECT_STREQ(stringOf(first), c.expected);
    }
}

TEST_F(ConcatenationTest, StringVectors) {
    struct Case {
        const char* what;
        Push push;
        std::vector<std::string> expected;
    } cases[] = {
        {"string and vector",
         [](auto& t) {
             pushCString("a");
             t.stringVector({"b", "c"});
         },
         {"a", "b", "c"}},
        {"vector and string",
         [](auto& t) {
             t.stringVector({"a", "b"});
             pushCString("c");
         },
         {"a", "b", "c"}},
        {"two vectors",
         [](auto& t) {
             t.stringVector({"a"});
             t.stringVector({"", "d"});
         },
         {"a", "", "d"}},
        {"empty matrix and string",
         [](auto& t) {
             t.matrix(1, 0, {});
             pushCString("s");
         },
         {"s"}},
        {"vector and empty matrix",
         [](auto& t) {
             t.stringVector({"a", "b"});
             t.matrix(0, 0, {});
         },
         {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        header* first = apply([&] { c.push(*this); }, concatenateHorizontally);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(onlyResult(first)->kind, kindStringMatrix);
        EXPECT_EQ(strings(first), c.expected);
        EXPECT_EQ(first->size % 8, 0);
    }
}

TEST_F(ConcatenationTest, Utf8FlagPassesToTheResult) {
    header* first = pushCString("\xc3\xa9");
    first->flags = flagUtf8;
    pushCString("x");
    concatenateHorizontally(first);
    EXPECT_EQ(first->flags & flagUtf8, flagUtf8);

    newram = endlocal;
    first = stringVector({"a"});
    header* second = pushCString("\xc3\xa9");
    second->flags = flagUtf8;
    concatenateHorizontally(first);
    EXPECT_EQ(first->flags & flagUtf8, flagUtf8);

    newram = endlocal;
    first = pushCString("a");
    pushCString("b");
    concatenateHorizontally(first);
    EXPECT_EQ(first->flags, 0);
}

// --- ranges ----------------------------------------------------------------------------

TEST_F(ConcatenationTest, Ranges) {
    struct Case {
        double from, step, to;
        std::vector<double> expected;
    } cases[] = {
        {1, 1, 5, {1, 2, 3, 4, 5}},
        {5, 1, 1, {}},
        {5, -1, 1, {5, 4, 3, 2, 1}},
        {0, 0.1, 0.3, {0, 0.1, 0.2, 0.30000000000000004}},
        {1, 2, 6, {1, 3, 5}},
        {1, -1, 5, {}},
        {2, 1, 2, {2}},
        {0, INFINITY, 5, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << ":" << c.step << ":" << c.to);
        header* first =
            apply([&] { pushReal(c.from), pushReal(c.step), pushReal(c.to); }, buildRangeVector);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(onlyResult(first)->kind, kindRealMatrix);
        EXPECT_EQ(shape(first), (std::vector<int>{1, int(c.expected.size())}));
        EXPECT_EQ(elements(first), c.expected);
    }
    newram = endlocal;
    header* first = pushReal(0);
    pushReal(0.1);
    pushReal(1);
    buildRangeVector(first);
    EXPECT_EQ(matrixColumns(first), 11);
}

TEST_F(ConcatenationTest, RefusedRanges) {
    struct Case {
        const char* what;
        Push push;
        const char* message;
        int code;
    } cases[] = {
        {"step 0",
         [](auto&) {
             pushReal(1);
             pushReal(0);
             pushReal(5);
         },
         "A step size of 0 is not allowed in : \n", 401},
        {"NaN end",
         [](auto&) {
             pushReal(1);
             pushReal(1);
             pushReal(NAN);
         },
         "Illegal value NAN in : operator.\n", 1},
        {"string start",
         [](auto&) {
             pushCString("a");
             pushReal(1);
             pushReal(5);
         },
         "The : allows only real arguments!\n", 15},
        {"matrix end",
         [](auto& t) {
             pushReal(1);
             pushReal(1);
             t.row({1, 2});
         },
         "The : allows only real arguments!\n", 15},
        {"too long",
         [](auto&) {
             pushReal(0);
             pushReal(1);
             pushReal(3e9);
         },
         "A vector can only have 2147483647 elements\n", 402},
        {"infinite",
         [](auto&) {
             pushReal(0);
             pushReal(1);
             pushReal(INFINITY);
         },
         "A vector can only have 2147483647 elements\n", 402},
        {"infinite both",
         [](auto&) {
             pushReal(INFINITY);
             pushReal(1);
             pushReal(INFINITY);
         },
         "A vector can only have 2147483647 elements\n", 402},
        {"longer than the stack",
         [](auto&) {
             pushReal(1);
             pushReal(1);
             pushReal(2e6);
         },
         "Stack overflow!\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        apply([&] { c.push(*this); }, buildRangeVector);
        expectRefused(c.message, c.code);
    }
}

// --- transpose ---------------------------------------------------------------------------

TEST_F(ConcatenationTest, Transpose) {
    header* first = matrix(2, 3, {1, 2, 3, 4, 5, 6});
    transposeValue(first);
    EXPECT_EQ(shape(onlyResult(first)), (std::vector<int>{3, 2}));
    EXPECT_EQ(elements(first), (std::vector<double>{1, 4, 2, 5, 3, 6}));

    newram = endlocal;
    first = pairs(kindComplexMatrix, 1, 2, {1, 2, 3, -4});
    transposeValue(first);
    EXPECT_EQ(first->kind, kindComplexMatrix);
    EXPECT_EQ(shape(first), (std::vector<int>{2, 1}));
    EXPECT_EQ(elements(first), (std::vector<double>{1, 2, 3, -4}));

    newram = endlocal;
    first = pushComplex(1, 2);
    transposeValue(first);
    EXPECT_EQ(elements(onlyResult(first)), (std::vector<double>{1, 2}));

    // Larger than one tile in both directions.
    newram = endlocal;
    std::vector<double> values(70 * 45);
    for (size_t k = 0; k < values.size(); k++) values[k] = double(k);
    first = matrix(70, 45, values);
    transposeValue(first);
    ASSERT_EQ(shape(first), (std::vector<int>{45, 70}));
    std::vector<double> t = elements(first);
    bool same = true;
    for (int i = 0; i < 70; i++)
        for (int j = 0; j < 45; j++)
            same = same && t[size_t(j) * 70 + i] == values[size_t(i) * 45 + j];
    EXPECT_TRUE(same);
}

TEST_F(ConcatenationTest, TransposeRefusals) {
    header* first = pushCString("abc");
    transposeValue(first);
    EXPECT_EQ(output(), "' not defined for this value!\n");
    EXPECT_EQ(errorCode, 24);
}

TEST_F(ConcatenationTest, TransposeOfACompressedMatrix) {
    sortBuiltins();  // the operator calls the builtin cpxtranspose
    header* first = pushCompressedMatrix(2, 3, 0);
    transposeValue(first);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindCompressedMatrix);
    EXPECT_EQ(sparseRows(first), 3);
    EXPECT_EQ(sparseColumns(first), 2);
}

// --- promoteToComplex -----------------------------------------------------------------------

TEST_F(ConcatenationTest, PromotionKeepsTheFollowingArgument) {
    header* first = row({1, 2, 3});
    pushCString("next");
    promoteToComplex(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(first->kind, kindComplexMatrix);
    EXPECT_EQ(first->size, 64 + 16 * 3);
    EXPECT_EQ(elements(first), (std::vector<double>{1, 0, 2, 0, 3, 0}));
    header* next = nextValue(first);
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(stringOf(next), "next");
    EXPECT_EQ(endOf(next), newram);
}

TEST_F(ConcatenationTest, PromotionOfAReferenceLeavesTheVariable) {
    header* x = variable(1, 2, {1, 2}, "x");
    header* first = pushReference(x, "x");
    pushReal(9);
    promoteToComplex(first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(x->kind, kindRealMatrix);
    EXPECT_EQ(first->kind, kindComplexMatrix);
    EXPECT_EQ(elements(first), (std::vector<double>{1, 0, 2, 0}));
    EXPECT_EQ(realOf(nextValue(first)), 9);
    EXPECT_EQ(endOf(nextValue(first)), newram);

    newram = endlocal;
    first = pushReal(4);
    promoteToComplex(first);
    EXPECT_EQ(first->kind, kindComplex);
    EXPECT_EQ(first->size, 72);
    EXPECT_EQ(elements(first), (std::vector<double>{4, 0}));
}

TEST_F(ConcatenationTest, PromotionRefusals) {
    header* first = pushInterval(1, 2);
    promoteToComplex(first);
    EXPECT_EQ(output(), "Cannot convert from interval to complex.\n");
    EXPECT_EQ(errorCode, 1);

    errorCode = 0;
    newram = endlocal;
    first = pushCString("s");
    promoteToComplex(first);
    EXPECT_EQ(output(), "Need real matrix for complex\n");
    EXPECT_EQ(errorCode, 26);

    // 40000 reals take 320000 bytes and need as many more as complex; the
    // 416000 bytes above them leave less than that free.
    errorCode = 0;
    newram = endlocal;
    first = matrix(200, 200, std::vector<double>(40000, 1.0));
    matrix(260, 200, std::vector<double>(52000, 2.0));
    char* top = newram;
    promoteToComplex(first);
    EXPECT_EQ(output(), "Memory overflow!\n");
    EXPECT_EQ(errorCode, 180);
    EXPECT_EQ(newram, top);
    EXPECT_EQ(first->kind, kindRealMatrix);
}

}  // namespace kalix
