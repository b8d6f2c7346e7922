// Value resolution, in-place copies of references, tokens of stored bodies,
// skipping operands and matrix literals built in place.
#include <cmath>
#include <cstring>
#include <string>

#include "interpreter/evaluator.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/matrix_literals.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"
#include "stack_fixture.h"

namespace kalix {

class EvaluatorTest : public SmallStack {
  protected:
    char text[256];

    void SetUp() override {
        SmallStack::SetUp();
        clearGlobals();
        functionState = functionTopLevel;
        easyUnitsMode = 0;
        matlabMode = 0;
    }
    void TearDown() override {
        clearGlobals();
        functionState = functionTopLevel;
        scanPointer = inputLine;
        inputLine[0] = 0;
        SmallStack::TearDown();
    }

    // Frame variables at the top level.
    header* makeVariable(header* value) {
        endlocal = topEndLocal = newram;
        return value;
    }

    void scan(const char* source) {
        std::strcpy(text, source);
        scanPointer = text;
    }

    std::vector<double> pairsOf(header* record) {
        double* data = matrixData(record);
        return std::vector<double>(data,
                                   data + 2 * int64_t(matrixRows(record)) * matrixColumns(record));
    }
};

TEST_F(EvaluatorTest, ReferenceChainResolvesToTheValueItself) {
    header* value = makeVariable(pushReal(7, "x"));
    header* a = pushReference(value, "a");
    header* b = pushReference(a, "b");
    header* c = pushReference(b, "c");
    char* top = newram;
    EXPECT_EQ(resolveValue(c), value);
    EXPECT_EQ(newram, top);
    EXPECT_EQ(followReference(c), value);
}

TEST_F(EvaluatorTest, OneByOneMatricesResolveByKind) {
    header* real = pushRealMatrix(1, 1);
    matrixData(real)[0] = 3;
    header* interval = pushIntervalMatrix(1, 1);
    matrixData(interval)[0] = 1;
    matrixData(interval)[1] = 2;
    header* resolved = resolveValue(real);
    EXPECT_EQ(resolved->kind, kindReal);
    EXPECT_EQ(realOf(resolved), 3);
    EXPECT_EQ(resolveValue(interval), interval);
}

TEST_F(EvaluatorTest, ViewsResolveToScalarsOrMatrices) {
    header* base = makeVariable(pushCounting(3, 4, "A"));
    header* rows = pushCommand(commandAllIndices);
    header* columns = pushRow({2, 4});
    header* view = pushView(base, rows, columns, kindSubmatrix, 0);
    ASSERT_EQ(errorCode, 0);
    header* value = resolveValue(view);
    ASSERT_EQ(value->kind, kindRealMatrix);
    EXPECT_EQ(matrixRows(value), 3);
    EXPECT_EQ(matrixColumns(value), 2);
    EXPECT_EQ(elementsOf(value), (std::vector<double>{2, 4, 6, 8, 10, 12}));

    header* element = pushSubmatrix(base, 12);
    header* scalar = resolveValue(element);
    ASSERT_EQ(scalar->kind, kindReal);
    EXPECT_EQ(realOf(scalar), 12);
}

TEST_F(EvaluatorTest, StringVectorItemsAndSubvectors) {
    const char strings[] = "ab\0cde\0\1";
    header* vector = pushStringVector("v");
    char* data = pushHeader(kindStringMatrix, headerSize + sizeof strings, "v");
    std::memcpy(data, strings, sizeof strings);
    vector = recordAt(data - headerSize);
    vector->flags = flagUtf8;
    EXPECT_STREQ(getStringVectorItem(vector, 1), "ab");
    EXPECT_STREQ(getStringVectorItem(vector, 2), "cde");
    EXPECT_STREQ(getStringVectorItem(vector, 3), "");
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Index 3 in string vector out of bounds!\n");
    errorCode = 0;

    header* item = pushStringSubvector(vector, 2);
    header* value = resolveValue(item);
    ASSERT_EQ(value->kind, kindString);
    EXPECT_STREQ(stringOf(value), "cde");
    EXPECT_EQ(value->flags, flagUtf8);
}

TEST_F(EvaluatorTest, UnboundNameIsReportedWithTheErrorString) {
    header* reference = pushReference(nullptr, "nosuch");
    header* value = resolveValue(reference);
    EXPECT_EQ(errorCode, 10);
    EXPECT_EQ(output(), "Variable nosuch not found!\n");
    ASSERT_EQ(value->kind, kindString);
    EXPECT_STREQ(stringOf(value), "Error");
}

TEST_F(EvaluatorTest, ValueListCopiesGrowingAndShrinkingValuesInOrder) {
    makeVariable(pushCounting(2, 3, "big"));
    pushReal(5, "small");
    makeVariable(nullptr);
    struct Case {
        const char* source;
        int firstKind;
        int secondKind;
    };
    const Case cases[] = {
        {"{small, big}", kindReal, kindRealMatrix},
        {"{big, small}", kindRealMatrix, kindReal},
    };
    for (const Case& c : cases) {
        char* entry = newram;
        scan(c.source);
        header* first = evaluateToValues();
        ASSERT_EQ(errorCode, 0) << c.source << output();
        EXPECT_EQ(reinterpret_cast<char*>(first), entry);
        header* second = nextValue(first);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(first->kind, c.firstKind) << c.source;
        EXPECT_EQ(second->kind, c.secondKind) << c.source;
        header* matrix = first->kind == kindRealMatrix ? first : second;
        header* real = first->kind == kindReal ? first : second;
        EXPECT_EQ(elementsOf(matrix), (std::vector<double>{1, 2, 3, 4, 5, 6})) << c.source;
        EXPECT_EQ(realOf(real), 5) << c.source;
        EXPECT_EQ(endOf(second), newram) << c.source;
        newram = entry;
    }
}

TEST_F(EvaluatorTest, TokenBytesCountOnlyInStoredBodies) {
    // Typed text: byte 2 is an ordinary character.
    scan(
        "\x02"
        "abc");
    evaluateExpression();
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Syntax error in expression, or unfinished expression!\n");
    errorCode = 0;

    // A stored body below functionsEnd: byte 2 and a double.
    char* body = ramstart;
    double x = 2.5;
    body[0] = numberToken;
    std::memcpy(body + 1, &x, 8);
    std::strcpy(body + 9, "*2");
    functionsEnd = endlocal = topEndLocal = startlocal = newram = ramstart + 64;
    scanPointer = body;
    header* value = evaluateExpression();
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(realOf(value), 5);

    // A command token with an index outside the table.
    newram = functionsEnd;
    body[0] = commandToken;
    int32_t index = 99999;
    std::memcpy(body + 1, &index, 4);
    std::memset(body + 5, 0, 4);
    body[9] = 0;
    scanPointer = body;
    evaluateExpression();
    EXPECT_EQ(errorCode, 5000);
    EXPECT_EQ(output(), "Command name \"?\" used as variable!\n");
}

TEST_F(EvaluatorTest, SkipOperandStopsAtTheEndOfTheOperand) {
    struct Case {
        const char* source;
        const char* rest;
    };
    const Case cases[] = {
        {"f(a, b), 3", ", 3"}, {"\"x, y\"; 4", "; 4"}, {"a[1,2] then 5", "then 5"},
        {"b) + 1", ") + 1"},   {"c ## a comment", ""}, {"[1,(2;3)]", ""},
    };
    for (const Case& c : cases) {
        scan(c.source);
        skipOperand();
        EXPECT_STREQ(scanPointer, c.rest) << c.source;
    }
}

TEST_F(EvaluatorTest, ShortCircuitInsideBrackets) {
    scan("(0 or 1) + 1");
    header* value = evaluateExpression();
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(realOf(value), 2);
}

TEST_F(EvaluatorTest, MatrixLiteralWidensElementsInPlace) {
    header* row = makeVariable(pushRow({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    setRecordName(row, "v");
    struct Case {
        const char* source;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"[2i, v]",
         {0, 2, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 9, 0, 10, 0, 11, 0, 12, 0}},
        {"[v, 2i]",
         {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 9, 0, 10, 0, 11, 0, 12, 0, 0, 2}},
        {"[1, ~2,3~]", {1, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        char* entry = newram;
        scan(c.source);
        header* value = evaluateExpression();
        ASSERT_EQ(errorCode, 0) << c.source << output();
        EXPECT_EQ(pairsOf(value), c.expected) << c.source;
        EXPECT_EQ(endOf(value), newram) << c.source;
        newram = entry;
    }
}

TEST_F(EvaluatorTest, MatrixLiteralPadsAndWidensRows) {
    struct Case {
        const char* source;
        int rows, columns;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"[1,2;3]", 2, 2, {1, 2, 3, 0}},
        {"[1;2,3;4]", 3, 2, {1, 0, 2, 3, 4, 0}},
        {"[]", 1, 0, {}},
        {"[0,[1,2],3]", 1, 4, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        char* entry = newram;
        scan(c.source);
        header* value = evaluateExpression();
        ASSERT_EQ(errorCode, 0) << c.source << output();
        EXPECT_EQ(matrixRows(value), c.rows) << c.source;
        EXPECT_EQ(matrixColumns(value), c.columns) << c.source;
        EXPECT_EQ(elementsOf(value), c.expected) << c.source;
        EXPECT_EQ(value->size, headerSize + 8 + 8 * int64_t(c.expected.size())) << c.source;
        newram = entry;
    }
}

TEST_F(EvaluatorTest, EvaluatedStringsBindArgumentsByPosition) {
    struct Case {
        const char* text;
        std::vector<double> arguments;
        double expected;
    };
    const Case cases[] = {
        {"x^2", {3}, 9},
        {"x-y", {5, 2}, 3},
        {"@(a,b) a-b", {5, 2}, 3},
        {"@(a) a*x", {3}, -1},
    };
    for (const Case& c : cases) {
        char* entry = newram;
        header* source = pushCString(c.text);
        header* first = recordAt(newram);
        for (double x : c.arguments) pushReal(x);
        evaluateString(source, first, int(c.arguments.size()), 0);
        if (c.expected == -1) {
            EXPECT_EQ(errorCode, 10) << c.text;
            output();
            errorCode = 0;
        } else {
            ASSERT_EQ(errorCode, 0) << c.text << output();
            EXPECT_EQ(realOf(first), c.expected) << c.text;
            EXPECT_EQ(endOf(first), newram);
        }
        newram = entry;
    }
}

}  // namespace kalix
