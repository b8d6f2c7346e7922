// The interpreter stack: record layout, pushes at the bounds, results
// copied down, views and copies of selections, removals and sizes.
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "interpreter/error_codes.h"
#include "interpreter/value_helpers.h"
#include "stack_fixture.h"

namespace kalix {

using StackTest = SmallStack;

namespace {

template <typename T>
T fieldAt(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

std::vector<int> rowIndicesOf(header* view) {
    return std::vector<int>(viewRowIndices(view), viewRowIndices(view) + viewRows(view));
}

std::vector<int> columnIndicesOf(header* view) {
    return std::vector<int>(viewColumnIndices(view), viewColumnIndices(view) + viewColumns(view));
}

}  // namespace

TEST_F(StackTest, RecordLayoutIsByteExact) {
    header* record = pushReal(2.5, "ab");
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(reinterpret_cast<char*>(record), ramstart);
    EXPECT_EQ(fieldAt<int64_t>(record, 0), 64);
    EXPECT_STREQ(reinterpret_cast<char*>(record) + 8, "ab");
    EXPECT_EQ(fieldAt<int32_t>(record, 40), 'a' ^ 'b');
    EXPECT_EQ(fieldAt<int32_t>(record, 44), kindReal);
    EXPECT_EQ(fieldAt<int32_t>(record, 48), 0);
    EXPECT_EQ(fieldAt<double>(record, 56), 2.5);
    EXPECT_EQ(newram, ramstart + 64);

    header* matrix = pushRealMatrix(2, 3);
    EXPECT_EQ(matrix->size, 64 + 8 * 6);
    EXPECT_EQ(fieldAt<int32_t>(matrix, 56), 3);  // columns first
    EXPECT_EQ(fieldAt<int32_t>(matrix, 60), 2);
    EXPECT_EQ(fieldAt<int64_t>(matrix, 8), 0);  // temporaries have an empty name
    EXPECT_EQ(matrix->hash, 0);
}

TEST_F(StackTest, RecordSizesOfEveryConstructor) {
    struct Case {
        const char* what;
        header* (*push)();
        int kind;
        int64_t size;
    };
    const Case cases[] = {
        {"real", [] { return pushReal(1); }, kindReal, 64},
        {"complex", [] { return pushComplex(1, 2); }, kindComplex, 72},
        {"interval", [] { return pushInterval(1, 2); }, kindInterval, 72},
        {"complex matrix", [] { return pushComplexMatrix(2, 2); }, kindComplexMatrix, 64 + 64},
        {"interval matrix", [] { return pushIntervalMatrix(1, 3); }, kindIntervalMatrix, 64 + 48},
        {"empty matrix", [] { return pushRealMatrix(0, 5); }, kindRealMatrix, 64},
        {"reference", [] { return pushReference(nullptr); }, kindReference, 64},
        {"command", [] { return pushCommand(commandAllIndices); }, kindCommand, 64},
        {"function", [] { return pushFunction("f"); }, kindFunction, 72},
        {"string vector", [] { return pushStringVector(); }, kindStringMatrix, 64},
        {"sparse", [] { return pushCompressedMatrix(3, 3, 1); }, kindCompressedMatrix, 88},
        {"subvector", [] { return pushStringSubvector(nullptr, 2); }, kindStringSubvector, 72},
        {"collection", [] { return pushCollection(); }, kindCollection, 56},
    };
    for (const Case& c : cases) {
        char* before = newram;
        header* record = c.push();
        EXPECT_EQ(errorCode, 0) << c.what;
        EXPECT_EQ(reinterpret_cast<char*>(record), before) << c.what;
        EXPECT_EQ(record->kind, c.kind) << c.what;
        EXPECT_EQ(record->size, c.size) << c.what;
        EXPECT_EQ(newram, before + c.size) << c.what;
    }
}

TEST_F(StackTest, SpecialRecordContents) {
    header* function = pushFunction("f");
    EXPECT_EQ(fieldAt<int64_t>(function, 56), 64);
    EXPECT_EQ(fieldAt<int32_t>(function, 64), 0);
    EXPECT_EQ(fieldAt<int32_t>(function, 68), 0);

    header* vector = pushStringVector();
    EXPECT_EQ(stringOf(vector)[0], 0);
    EXPECT_EQ(stringOf(vector)[1], 1);

    header* sparse = pushCompressedMatrix(4, 5, 2);
    EXPECT_EQ(sparseColumns(sparse), 5);
    EXPECT_EQ(sparseRows(sparse), 4);
    EXPECT_EQ(sparseEntryCount(sparse), 2);
    EXPECT_EQ(sparse->size, 104);  // 68 + 32 rounded up

    header* colon = pushCommand(commandAllIndices);
    EXPECT_EQ(commandCode(colon), 20);
}

TEST_F(StackTest, HashNameSignExtendsBytes) {
    EXPECT_EQ(hashName(""), 0);
    EXPECT_EQ(hashName("x"), 'x');
    EXPECT_EQ(hashName("\x80"), -128);
    EXPECT_LT(hashName("\xC3\xA4\xC3"), 0);  // odd number of high bytes
    EXPECT_GT(hashName("\xC3\xA4"), 0);
}

TEST_F(StackTest, LongNamesAreCutToTheField) {
    const char* longName = "abcdefghijklmnopqrstuvwxyz0123456789";
    header* record = pushReal(1, longName);
    EXPECT_EQ(std::strlen(record->name), 31u);
    EXPECT_EQ(std::strncmp(record->name, longName, 31), 0);
    EXPECT_EQ(record->hash, hashName(record->name));
}

TEST_F(StackTest, PushThatExactlyFillsTheStackSucceeds) {
    char* data = pushHeader(kindString, int64_t(stackBytes), "");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(newram, ramend);
    EXPECT_TRUE(guardIntactFrom(0));
    EXPECT_EQ(output(), "");
}

TEST_F(StackTest, PushOneByteTooLargeOverflows) {
    pushReal(1);
    char* top = newram;
    char* data = pushHeader(kindString, ramend - newram + 1, "x");
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(errorCode, 2);
    EXPECT_EQ(output(), "Stack overflow!\n");
    EXPECT_EQ(newram, top);
    header* marker = recordAt(top);
    EXPECT_EQ(marker->size, 8);
    EXPECT_EQ(marker->kind, kindOverflow);
    EXPECT_EQ(marker->flags, 0);
    EXPECT_EQ(marker->hash, 0);
    EXPECT_EQ(fieldAt<int64_t>(marker, 8), 0);
}

TEST_F(StackTest, OverflowOnAFullStackKeepsToTheGuard) {
    pushHeader(kindString, int64_t(stackBytes), "");
    ASSERT_EQ(newram, ramend);
    // Typed constructors must not write their data when the head failed;
    // they give null, and the overflow marker stands at the top.
    header* record = pushReal(3.0);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(errorCode, 2);
    EXPECT_EQ(recordAt(ramend)->kind, kindOverflow);
    EXPECT_TRUE(guardIntactFrom(headerSize));
    errorCode = 0;
    pushCString("a long text that does not fit");
    pushRealMatrix(3, 3);
    EXPECT_TRUE(guardIntactFrom(headerSize));
}

TEST_F(StackTest, EveryPushGivesNullOnAFullStack) {
    pushHeader(kindString, int64_t(stackBytes), "");
    ASSERT_EQ(newram, ramend);
    header* base = recordAt(ramstart);
    const std::pair<const char*, std::function<header*()>> pushes[] = {
        {"real", [] { return pushReal(1); }},
        {"complex", [] { return pushComplex(1, 2); }},
        {"interval", [] { return pushInterval(1, 2); }},
        {"real matrix", [] { return pushRealMatrix(2, 2); }},
        {"complex matrix", [] { return pushComplexMatrix(2, 2); }},
        {"interval matrix", [] { return pushIntervalMatrix(2, 2); }},
        {"reference", [&] { return pushReference(base); }},
        {"command", [] { return pushCommand(1); }},
        {"string", [] { return pushCString("text"); }},
        {"function", [] { return pushFunction("f"); }},
        {"string vector", [] { return pushStringVector(); }},
        {"collection", [] { return pushCollection(); }},
        {"sparse", [] { return pushCompressedMatrix(2, 2, 1); }},
        {"marker", [] { return pushMarker(markerNone); }},
    };
    for (const auto& [what, push] : pushes) {
        errorCode = 0;
        EXPECT_EQ(push(), nullptr) << what;
        EXPECT_EQ(errorCode, 2) << what;
        EXPECT_EQ(newram, ramend) << what;
        EXPECT_TRUE(guardIntactFrom(headerSize)) << what;
    }
    errorCode = 0;
}

TEST_F(StackTest, HugeMatricesOverflowInsteadOfWrapping) {
    pushRealMatrix(100000, 100000);
    EXPECT_EQ(errorCode, 2);
    errorCode = 0;
    pushComplexMatrix(2147483647, 2147483647);
    EXPECT_EQ(errorCode, 2);
    errorCode = 0;
    // A negative size is refused before any size is worked out.
    pushRealMatrix(-1, 4);
    EXPECT_EQ(errorCode, errorMatrixSize);
    EXPECT_EQ(newram, ramstart);
    errorCode = 0;
    pushMatrixOfKind(kindIntervalMatrix, 1, -2);
    EXPECT_EQ(errorCode, errorMatrixSize);
    EXPECT_EQ(newram, ramstart);
}

TEST_F(StackTest, StringRecordSizes) {
    struct Case {
        int length;
        int64_t size;
    };
    const Case cases[] = {{0, 64}, {1, 64},  {6, 64},  {7, 72},
                          {8, 72}, {14, 72}, {15, 80}, {16, 80}};
    const char* text = "abcdefghijklmnopqrstuvwxyz";
    for (const Case& c : cases) {
        header* record = pushString(text, c.length);
        EXPECT_EQ(record->size, c.size) << c.length;
        EXPECT_EQ(record->kind, kindString);
        EXPECT_EQ(std::strlen(stringOf(record)), size_t(c.length));
        for (int64_t i = c.length; i < record->size - headerSize; i++)
            EXPECT_EQ(stringOf(record)[i], 0) << c.length << " at " << i;
    }
}

TEST_F(StackTest, StringCopyStopsAtNulAndPadsWithZeros) {
    header* record = pushString("ab\0cdefgh", 9);
    EXPECT_EQ(record->size, 72);  // sized for the length asked
    EXPECT_STREQ(stringOf(record), "ab");
    for (int i = 2; i < 16; i++) EXPECT_EQ(stringOf(record)[i], 0);
}

TEST_F(StackTest, StringFromScratchAtTheTopIsCopiedIntact) {
    const char* text = "built in scratch space above the stack top";
    size_t n = std::strlen(text);
    std::memcpy(newram, text, n);
    header* record = pushString(newram, int64_t(n));
    EXPECT_STREQ(stringOf(record), text);
}

TEST_F(StackTest, MarkersAndNone) {
    EXPECT_TRUE(isNoneMarker(nullptr));
    for (int code = 1; code <= 5; code++) {
        header* marker = pushMarker(code);
        EXPECT_EQ(marker->size, 64);
        EXPECT_TRUE(isNoneMarker(marker)) << code;
    }
    EXPECT_FALSE(isNoneMarker(pushCString("\x06")));
    EXPECT_FALSE(isNoneMarker(pushCString("a")));
    EXPECT_FALSE(isNoneMarker(pushCString("\x01\x01")));
    EXPECT_FALSE(isNoneMarker(pushReal(1)));
}

TEST_F(StackTest, MoveResultToItselfChangesNothing) {
    header* a = pushReal(1);
    pushReal(2);
    char* top = newram;
    EXPECT_EQ(moveResult(a, a), reinterpret_cast<char*>(a));
    EXPECT_EQ(newram, top);
    EXPECT_EQ(realOf(a), 1);
}

TEST_F(StackTest, MoveResultCopiesDownOverTheArguments) {
    header* first = pushReal(1, "x");
    pushCString("argument");
    reserveStack(40, "test");
    header* result = pushComplex(3, 4);
    char* top = moveResult(first, result);
    EXPECT_EQ(top, reinterpret_cast<char*>(first) + 72);
    EXPECT_EQ(newram, top);
    EXPECT_EQ(first->kind, kindComplex);
    EXPECT_EQ(complexOf(first)[0], 3);
    EXPECT_EQ(complexOf(first)[1], 4);
    EXPECT_EQ(first->name[0], 0);
}

TEST_F(StackTest, MoveResultOfARecordLargerThanTheRoomIsRefused) {
    // A stored global lives outside the stack and may not fit at the place.
    std::vector<uint64_t> outside(1024 / 8, 0);
    header* big = reinterpret_cast<header*>(outside.data());
    big->size = 1024;
    big->kind = kindString;
    pushHeader(kindString, int64_t(stackBytes) - 512, "");
    header* destination = recordAt(newram);
    pushReal(0);
    moveResult(destination, big);
    EXPECT_EQ(errorCode, 2);
    EXPECT_EQ(output(), "Stack overflow!\n");
    EXPECT_TRUE(guardIntactFrom(0));
}

TEST_F(StackTest, MoveResultsMovesARunOfResults) {
    header* first = pushReal(1);
    pushReal(2);
    header* firstResult = pushReal(10);
    pushCString("second result");
    int64_t run = newram - reinterpret_cast<char*>(firstResult);
    moveResults(first, firstResult);
    EXPECT_EQ(newram, reinterpret_cast<char*>(first) + run);
    EXPECT_EQ(realOf(first), 10);
    header* second = nextValue(first);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(stringOf(second), "second result");
    EXPECT_EQ(nextValue(second), nullptr);
}

TEST_F(StackTest, KeepResultDropsWhatFollowsTheRecord) {
    header* kept = pushReal(1);
    pushReal(2);
    EXPECT_EQ(keepResult(kept), reinterpret_cast<char*>(kept) + 64);
    EXPECT_EQ(newram, reinterpret_cast<char*>(kept) + 64);

    header* flagged = pushReal(3);
    flagged->flags |= flagResult;
    pushReal(4);
    char* top = newram;
    EXPECT_EQ(keepResult(flagged), top);
    EXPECT_EQ(newram, top);

    header* above = recordAt(newram);
    EXPECT_EQ(keepResult(above), reinterpret_cast<char*>(above));
    EXPECT_EQ(newram, top);
}

TEST_F(StackTest, NextValueStopsAtTheTop) {
    EXPECT_EQ(nextValue(nullptr), nullptr);
    header* a = pushReal(1);
    header* b = pushCString("b");
    EXPECT_EQ(nextValue(a), b);
    EXPECT_EQ(nextValue(b), nullptr);
}

TEST_F(StackTest, ReserveStackWithinAndBeyondTheRoom) {
    char* start = reserveStack(128, "test");
    EXPECT_EQ(start, ramstart);
    EXPECT_EQ(newram, ramstart + 128);
    char* top = newram;
    EXPECT_EQ(reserveStack(int64_t(stackBytes), "fold"), top);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(newram, top);
    EXPECT_EQ(output(), "Out of stack space in fold\n");
}

// --- views ------------------------------------------------------------------

struct ViewCase {
    const char* what;
    std::vector<double> rows;     // empty: ":"
    std::vector<double> columns;  // empty: ":"
    int origin;
    std::vector<int> rowIndices;
    std::vector<int> columnIndices;
};

class ViewTest : public SmallStack {
  protected:
    header* selector(const std::vector<double>& values) {
        if (values.empty()) return pushCommand(commandAllIndices);
        if (values.size() == 1) return pushReal(values[0]);
        header* record = pushRealMatrix(1, int(values.size()));
        std::copy(values.begin(), values.end(), matrixData(record));
        return record;
    }
};

TEST_F(ViewTest, SelectsRowsAndColumnsOfAThreeByFour) {
    const ViewCase cases[] = {
        {"colon and vector", {}, {2, 4}, 0, {0, 1, 2}, {1, 3}},
        {"last row", {-1}, {}, 0, {2}, {0, 1, 2, 3}},
        {"first row from the end", {-3}, {1}, 0, {0}, {0}},
        {"repeated and reordered", {3, 1, 3}, {4, 1}, 0, {2, 0, 2}, {3, 0}},
        {"fractions truncate", {2.9}, {1.5}, 0, {1}, {0}},
        {"zero-based", {0, 2}, {3}, 1, {0, 2}, {3}},
        {"zero-based last", {-1}, {0}, 1, {2}, {0}},
    };
    for (const ViewCase& c : cases) {
        header* base = pushCounting(3, 4);
        header* rows = selector(c.rows);
        header* columns = selector(c.columns);
        header* view = pushView(base, rows, columns, kindSubmatrix, c.origin);
        ASSERT_EQ(errorCode, 0) << c.what;
        EXPECT_EQ(view->kind, kindSubmatrix);
        EXPECT_EQ(viewBase(view), base);
        EXPECT_EQ(rowIndicesOf(view), c.rowIndices) << c.what;
        EXPECT_EQ(columnIndicesOf(view), c.columnIndices) << c.what;
        int64_t used = 72 + 4 * int64_t(c.rowIndices.size() + c.columnIndices.size());
        EXPECT_EQ(view->size, (used + 7) / 8 * 8) << c.what;
        EXPECT_EQ(newram, endOf(view)) << c.what;
    }
}

TEST_F(ViewTest, OutOfRangeIndicesAreSkippedWhenNotReported) {
    relaxedFunctionMode = 1;
    header* base = pushCounting(3, 3);
    header* view = pushView(base, selector({1, 9}), selector({1}), kindSubmatrix, 0);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(viewRows(view), 1);
    EXPECT_EQ(viewColumns(view), 1);
    EXPECT_EQ(rowIndicesOf(view), std::vector<int>{0});
    EXPECT_EQ(columnIndicesOf(view), std::vector<int>{0});
    EXPECT_EQ(view->size, 80);
    EXPECT_EQ(output(), "");

    header* none = pushView(base, selector({0, -4, NAN, INFINITY}), selector({}), kindSubmatrix, 0);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(viewRows(none), 0);
    EXPECT_EQ(viewColumns(none), 3);
}

TEST_F(ViewTest, OutOfRangeIndicesAreReported) {
    struct Case {
        std::vector<double> rows, columns;
        const char* message;
    };
    const Case cases[] = {
        {{1, 9}, {1}, "Row index 9 out of bounds!\n"},
        {{0}, {1}, "Row index 0 out of bounds!\n"},
        {{-4.5}, {1}, "Row index -4 out of bounds!\n"},
        {{1}, {5}, "Column index 5 out of bounds!\n"},
        {{1}, {NAN}, "Column index 0 out of bounds!\n"},
        {{1}, {1e300}, "Column index 2147483647 out of bounds!\n"},
    };
    for (const Case& c : cases) {
        header* base = pushCounting(3, 3);
        header* rows = selector(c.rows);
        header* columns = selector(c.columns);
        char* top = newram;
        pushView(base, rows, columns, kindSubmatrix, 0);
        EXPECT_EQ(errorCode, 1) << c.message;
        EXPECT_EQ(output(), c.message);
        EXPECT_EQ(newram, top);
        errorCode = 0;
        newram = ramstart;
    }
}

TEST_F(ViewTest, IllegalSelectors) {
    header* base = pushCounting(3, 3);
    header* square = pushCounting(2, 2);
    pushView(base, square, pushReal(1), kindSubmatrix, 0);
    EXPECT_EQ(errorCode, 41);
    EXPECT_EQ(output(), "Illegal index!\n");
    errorCode = 0;
    pushView(base, pushReal(1), pushCString("1"), kindSubmatrix, 0);
    EXPECT_EQ(errorCode, 41);
    errorCode = 0;
    pushView(base, pushCommand(3), pushReal(1), kindSubmatrix, 0);
    EXPECT_EQ(errorCode, 41);
}

TEST_F(ViewTest, ScalarBaseCountsAsOneByOne) {
    header* base = pushComplex(1, 2);
    header* view = pushView(base, selector({1}), selector({-1}), kindComplexSubmatrix, 0);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(rowIndicesOf(view), std::vector<int>{0});
    EXPECT_EQ(columnIndicesOf(view), std::vector<int>{0});
}

TEST_F(ViewTest, ColumnVectorSelector) {
    header* base = pushCounting(4, 2);
    header* rows = pushRealMatrix(2, 1);
    matrixData(rows)[0] = 4;
    matrixData(rows)[1] = 2;
    header* view = pushView(base, rows, selector({}), kindSubmatrix, 0);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(rowIndicesOf(view), (std::vector<int>{3, 1}));
}

TEST_F(ViewTest, OneElementViewByLinearIndex) {
    header* base = pushCounting(3, 4);
    struct Case {
        int k;
        int row, column;
    };
    for (Case c : {Case{5, 1, 0}, Case{4, 1, -1}, Case{1, 0, 0}, Case{12, 3, -1}}) {
        header* view = pushSubmatrix(base, c.k);
        ASSERT_EQ(errorCode, 0);
        EXPECT_EQ(view->size, 80);
        EXPECT_EQ(viewRows(view), 1);
        EXPECT_EQ(viewColumns(view), 1);
        EXPECT_EQ(viewRowIndices(view)[0], c.row) << c.k;
        EXPECT_EQ(viewColumnIndices(view)[0], c.column) << c.k;
        int element = viewRowIndices(view)[0] * 4 + viewColumnIndices(view)[0];
        EXPECT_EQ(matrixData(base)[element], c.k);
    }
    header* interval = pushIntervalMatrix(1, 2);
    EXPECT_EQ(pushIntervalSubmatrix(interval, 2)->kind, kindIntervalSubmatrix);
    EXPECT_EQ(pushComplexSubmatrix(pushComplex(1, 1), 1)->kind, kindComplexSubmatrix);
}

TEST_F(ViewTest, OneElementViewOfAnEmptyMatrix) {
    header* empty = pushRealMatrix(0, 0);
    pushSubmatrix(empty, 1);
    EXPECT_EQ(errorCode, 1031);
    EXPECT_EQ(output(), "Matrix is empty!\n");
}

// --- copies of selections ----------------------------------------------------

TEST_F(ViewTest, ExtractCopiesTheSelection) {
    header* base = pushCounting(3, 4);
    header* rows = selector({3, 1});
    header* columns = selector({});
    char* start = newram;
    header* result = extractSubmatrix(base, rows, columns, 0);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(reinterpret_cast<char*>(result), start);
    EXPECT_EQ(result->kind, kindRealMatrix);
    EXPECT_EQ(matrixRows(result), 2);
    EXPECT_EQ(matrixColumns(result), 4);
    EXPECT_EQ(elementsOf(result), (std::vector<double>{9, 10, 11, 12, 1, 2, 3, 4}));
    EXPECT_EQ(newram, endOf(result));
}

TEST_F(ViewTest, ExtractOfOneElementGivesAScalarOfTheFamily) {
    header* real = pushCounting(2, 2);
    header* result = extractSubmatrix(real, selector({2}), selector({-1}), 0);
    EXPECT_EQ(result->kind, kindReal);
    EXPECT_EQ(realOf(result), 4);

    header* complex = pushComplexMatrix(1, 2);
    double values[] = {1, 2, 3, 4};
    std::memcpy(matrixData(complex), values, sizeof values);
    result = extractSubmatrix(complex, selector({1}), selector({2}), 0);
    EXPECT_EQ(result->kind, kindComplex);
    EXPECT_EQ(complexOf(result)[0], 3);
    EXPECT_EQ(complexOf(result)[1], 4);

    header* interval = pushInterval(-1, 1);
    result = extractSubmatrix(interval, selector({1}), selector({}), 0);
    EXPECT_EQ(result->kind, kindInterval);
    EXPECT_EQ(intervalOf(result)[1], 1);
    EXPECT_EQ(errorCode, 0);
}

TEST_F(ViewTest, ExtractIndexRules) {
    struct Case {
        std::vector<double> rows;
        int origin;
        std::vector<double> expected;  // first column of the selected rows
    };
    const Case cases[] = {
        {{-1}, 0, {13}},         {{-4, 1}, 0, {1, 1}}, {{0}, 1, {1}},
        {{3}, 1, {13}},          {{-1}, 1, {13}},  // -1 is the last element in both origins
        {{0.5, 1.9}, 1, {1, 5}},
    };
    for (const Case& c : cases) {
        header* base = pushCounting(4, 4);
        header* result =
            extractSubmatrix(base, selector(c.rows), selector({1 - double(c.origin)}), c.origin);
        ASSERT_EQ(errorCode, 0);
        std::vector<double> got =
            result->kind == kindReal ? std::vector<double>{realOf(result)} : elementsOf(result);
        EXPECT_EQ(got, c.expected);
        newram = ramstart;
    }
}

TEST_F(ViewTest, ExtractOutOfRange) {
    header* base = pushCounting(3, 3);
    header* rows = selector({1, 9});
    header* columns = selector({1});
    char* start = newram;
    extractSubmatrix(base, rows, columns, 0);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Index 9 out of bounds!\n");
    EXPECT_EQ(newram, start);

    errorCode = 0;
    relaxedFunctionMode = 1;
    header* result = extractSubmatrix(base, rows, columns, 0);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(result->kind, kindReal);
    EXPECT_EQ(realOf(result), 1);
}

TEST_F(ViewTest, ExtractNeedsRoomForItsIndexLists) {
    header* base = pushCounting(1, 300);
    header* all = selector({});
    pushHeader(kindString, ramend - newram - 1000, "");
    extractSubmatrix(base, all, all, 0);
    EXPECT_EQ(errorCode, 710);
    EXPECT_EQ(output(), "Out of memory!\n");
}

TEST_F(ViewTest, SelectSubmatrixFollowsTheCopyMode) {
    header* base = pushComplexMatrix(2, 2);
    header* rows = selector({1});
    header* columns = selector({});
    EXPECT_EQ(selectSubmatrix(base, rows, columns, 0)->kind, kindComplexSubmatrix);
    indexCopyMode = 1;
    EXPECT_EQ(selectSubmatrix(base, rows, columns, 0)->kind, kindComplexMatrix);
    indexCopyMode = 0;
    EXPECT_EQ(selectSubmatrix(pushInterval(0, 1), rows, rows, 0)->kind, kindIntervalSubmatrix);
    EXPECT_EQ(selectSubmatrix(pushReal(2), rows, rows, 0)->kind, kindSubmatrix);
}

TEST_F(ViewTest, StringItemAsSubvectorOrCopy) {
    header* vector = recordAt(newram);
    ASSERT_NE(pushHeader(kindStringMatrix, 64, "v"), nullptr);
    std::memcpy(stringOf(vector), "ab\0cde\0\x01", 8);
    vector->flags |= flagUtf8;

    header* item = selectStringItem(vector, 2, "s");
    EXPECT_EQ(item->kind, kindStringSubvector);
    EXPECT_EQ(subvectorBase(item), vector);
    EXPECT_EQ(subvectorIndex(item), 2);

    indexCopyMode = 1;
    item = selectStringItem(vector, 2, "s");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->kind, kindString);
    EXPECT_STREQ(stringOf(item), "cde");
    EXPECT_STREQ(item->name, "s");
    EXPECT_TRUE(item->flags & flagUtf8);

    EXPECT_EQ(selectStringItem(vector, 3, ""), nullptr);
    EXPECT_EQ(errorCode, 1);
}

// --- removals and helpers -----------------------------------------------------

TEST_F(StackTest, RemoveFunctionShiftsEverythingAbove) {
    pushFunction("f");
    pushFunction("g");
    functionsEnd = topStartLocal = startlocal = newram;
    pushReal(7, "%");
    topEndLocal = endlocal = newram;
    pushCString("temporary");
    char* top = newram;

    removeFunction("f");
    EXPECT_EQ(functionsEnd, ramstart + 72);
    EXPECT_EQ(startlocal, functionsEnd);
    EXPECT_EQ(topStartLocal, functionsEnd);
    EXPECT_EQ(endlocal, functionsEnd + 64);
    EXPECT_EQ(topEndLocal, endlocal);
    EXPECT_EQ(newram, top - 72);
    EXPECT_STREQ(recordAt(ramstart)->name, "g");
    EXPECT_EQ(realOf(recordAt(functionsEnd)), 7);
    EXPECT_STREQ(stringOf(recordAt(endlocal)), "temporary");

    removeFunction("nothing");
    EXPECT_EQ(newram, top - 72);
    removeFunction("%");  // not in the function area
    EXPECT_EQ(newram, top - 72);

    removeFunction("g");
    EXPECT_EQ(functionsEnd, ramstart);
    EXPECT_EQ(startlocal, ramstart);
    EXPECT_STREQ(recordAt(ramstart)->name, "%");
}

TEST_F(StackTest, RemoveFunctionRemovesOnlyTheFirstMatch) {
    pushFunction("f");
    pushFunction("f");
    functionsEnd = startlocal = endlocal = newram;
    removeFunction("f");
    EXPECT_EQ(functionsEnd, ramstart + 72);
    EXPECT_STREQ(recordAt(ramstart)->name, "f");
}

TEST_F(StackTest, ScalarsAndElements) {
    header* real = pushReal(2);
    header* complex = pushComplex(3, 4);
    header* one = pushCounting(1, 1);
    header* row = pushCounting(1, 3);
    header* text = pushCString("x");
    EXPECT_TRUE(isScalarValue(real));
    EXPECT_TRUE(isScalarValue(complex));
    EXPECT_TRUE(isScalarValue(pushInterval(1, 2)));
    EXPECT_TRUE(isScalarValue(one));
    EXPECT_FALSE(isScalarValue(row));
    EXPECT_FALSE(isScalarValue(text));

    EXPECT_EQ(getElementReal(real, 5), 2);
    EXPECT_EQ(getElementImag(real, 0), 0);
    EXPECT_EQ(getElementReal(complex, 0), 3);
    EXPECT_EQ(getElementImag(complex, 0), 4);
    EXPECT_EQ(getElementReal(row, 2), 3);
    EXPECT_EQ(getElementReal(row, 3), 0);  // outside the matrix
    EXPECT_EQ(getElementReal(row, -1), 0);
    EXPECT_EQ(getElementReal(text, 0), 0);
}

TEST_F(StackTest, HasSuffix) {
    EXPECT_TRUE(hasSuffix("km$", "$"));
    EXPECT_TRUE(hasSuffix("abc", ""));
    EXPECT_TRUE(hasSuffix("map", "map"));
    EXPECT_FALSE(hasSuffix("ap", "map"));
    EXPECT_FALSE(hasSuffix("abc", "b"));
}

TEST_F(StackTest, ReadSizeArguments) {
    struct Case {
        const char* what;
        std::vector<double> first;  // one value: a real, two: a 1x2 vector
        bool second;                // a second real argument 3
        int rows, columns;
    };
    // A single real takes any following argument as the column count, so
    // only the other forms can be followed by further arguments.
    const Case cases[] = {
        {"one real", {5}, false, 1, 5},
        {"zero", {0}, false, 1, 0},
        {"vector", {2, 3}, false, 2, 3},
        {"two reals", {2}, true, 2, 3},
    };
    for (const Case& c : cases) {
        for (bool followed : {false, true}) {
            if (followed && c.first.size() == 1 && !c.second) continue;
            header* first =
                c.first.size() == 1 ? pushReal(c.first[0]) : pushRow({c.first[0], c.first[1]});
            if (c.second) pushReal(3);
            header* rest = followed ? pushCString("rest") : nullptr;
            int rows = -1, columns = -1;
            header* after = readSizeArguments(first, &rows, &columns, "zeros");
            ASSERT_EQ(errorCode, 0) << c.what;
            EXPECT_EQ(rows, c.rows) << c.what;
            EXPECT_EQ(columns, c.columns) << c.what;
            EXPECT_EQ(after, rest) << c.what;
            newram = ramstart;
        }
    }
}

TEST_F(StackTest, ReadSizeArgumentsRefusals) {
    struct Case {
        const char* what;
        header* (*push)();
        const char* message;
    };
    const Case cases[] = {
        {"negative", [] { return pushReal(-1); }, "Illegal size 1, -1 in zeros\n"},
        {"not a number", [] { return pushReal(NAN); }, "Illegal size 1, nan in zeros\n"},
        {"too large", [] { return pushReal(2147483647.0); },
         "Illegal size 1, 2.14748e+09 in zeros\n"},
        {"vector out of range",
         [] {
             header* v = pushRealMatrix(1, 2);
             matrixData(v)[0] = 2;
             matrixData(v)[1] = -3;
             return v;
         },
         "Illegal size 2, -3 in zeros\n"},
        {"fraction",
         [] {
             header* v = pushRealMatrix(1, 2);
             matrixData(v)[0] = 2.7;
             matrixData(v)[1] = 3;
             return v;
         },
         "Illegal size 2.7, 3 in zeros\n"},
        {"fraction of two reals",
         [] {
             header* n = pushReal(2);
             pushReal(0.5);
             return n;
         },
         "Illegal size 2, 0.5 in zeros\n"},
        {"square", [] { return pushRealMatrix(2, 2); },
         "Matrix for size must be 1x2 not 2x2 in zeros\n"},
        {"string", [] { return pushCString("2"); }, "Expected size [n,m] or n, m in zeros\n"},
        {"string second",
         [] {
             header* n = pushReal(2);
             pushCString("3");
             return n;
         },
         "Expected size [n,m] or n, m in zeros\n"},
    };
    for (const Case& c : cases) {
        header* first = c.push();
        int rows = 0, columns = 0;
        EXPECT_EQ(readSizeArguments(first, &rows, &columns, "zeros"), nullptr) << c.what;
        EXPECT_EQ(errorCode, 1) << c.what;
        EXPECT_EQ(output(), c.message) << c.what;
        errorCode = 0;
        newram = ramstart;
    }
}

TEST_F(StackTest, StackRefsFollowTheirRecordsAcrossMoves) {
    header* a = pushReal(1);
    header* b = pushReal(2);
    header* c = pushReal(3);
    static header outside;
    StackRef below(a), moved(b), top(c), global(&outside), none;
    {
        StackRef gone(b);  // unregisters at the end of its scope
    }
    moveStackRegion(reinterpret_cast<char*>(b), 16);  // b and c move up
    EXPECT_EQ(below.get(), a);
    EXPECT_EQ(realOf(moved.get()), 2);
    EXPECT_EQ(reinterpret_cast<char*>(moved.get()), reinterpret_cast<char*>(b) + 16);
    EXPECT_EQ(realOf(top.get()), 3);
    EXPECT_EQ(global.get(), &outside);
    EXPECT_EQ(none.get(), nullptr);
    // Closing the gap takes them back down.
    closeStackGap(reinterpret_cast<char*>(b), 16);
    EXPECT_EQ(moved.get(), b);
    EXPECT_EQ(realOf(top.get()), 3);
    EXPECT_EQ(newram, endOf(c));
}

}  // namespace kalix
