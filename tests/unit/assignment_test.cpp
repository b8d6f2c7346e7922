// Storing values under targets: globals at the top level, locals of a
// frame that grow and shrink, caller variables, views, string subvectors
// and function values; the statement endings of executeAssignment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "global_store_fixture.h"
#include "interpreter/assignment.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"
#include "settings_folder.h"

namespace kalix {

namespace {

class AssignmentTest : public GlobalStoreTest {
  protected:
    // Makes the records pushed since `start` the variables of the frame.
    void makeFrame(char* start) {
        startlocal = start;
        endlocal = newram;
    }

    header* local(const char* name) const {
        for (char* p = startlocal; p < endlocal; p += recordAt(p)->size)
            if (std::strcmp(recordAt(p)->name, name) == 0) return recordAt(p);
        return nullptr;
    }

    header* pushMatrix(int rows, int columns, std::initializer_list<double> values,
                       const char* name = "") {
        header* m = pushRealMatrix(rows, columns, name);
        std::copy(values.begin(), values.end(), matrixData(m));
        return m;
    }

    header* pushRow(std::initializer_list<double> values) {
        return pushMatrix(1, int(values.size()), values);
    }

    header* pushStrings(std::initializer_list<const char*> texts, const char* name = "") {
        std::string bytes;
        for (const char* t : texts) bytes += std::string(t) + '\0';
        bytes += '\1';
        char* data = pushHeader(kindStringMatrix, headerSize + bytes.size(), name);
        std::memcpy(data, bytes.data(), bytes.size());
        return recordAt(data - headerSize);
    }

    static std::vector<std::string> stringsOf(header* vector) {
        std::vector<std::string> texts;
        for (const char* p = dataOf(vector); *p != 1; p += std::strlen(p) + 1) texts.push_back(p);
        return texts;
    }

    static std::vector<double> doublesOf(header* m, int count) {
        return std::vector<double>(matrixData(m), matrixData(m) + count);
    }
};

// --- top level: the global store ------------------------------------------------

TEST_F(AssignmentTest, TopLevelNamesGoToTheGlobalStore) {
    header* target = pushReference(nullptr, "x");
    header* stored = assignVariable(target, pushReal(5));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(stored, findGlobal("x"));
    EXPECT_EQ(realOf(stored), 5);
    EXPECT_EQ(endlocal, ramstart);  // nothing was made on the stack

    // An existing global, reached by pointer or by name.
    newram = endlocal;
    header* bigger =
        assignVariable(pushReference(findGlobal("x"), "x"), pushMatrix(1, 3, {1, 2, 3}));
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(findGlobal("x"), bigger);
    EXPECT_EQ(bigger->kind, kindRealMatrix);
    header* byName = pushReference(nullptr, "x");
    byName->flags |= flagGlobalReference;
    assignVariable(byName, pushReal(9));
    EXPECT_EQ(realOf(findGlobal("x")), 9);
}

TEST_F(AssignmentTest, PercentStaysOnTheStackAndMayHoldNoValue) {
    header* value = pushReal(7);
    header* percent = assignVariable(pushReference(nullptr, "%"), value);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(reinterpret_cast<char*>(percent), ramstart);
    EXPECT_EQ(endlocal, ramstart + 64);
    EXPECT_EQ(topEndLocal, endlocal);
    EXPECT_EQ(findGlobal("%"), nullptr);

    newram = endlocal;
    assignVariable(pushReference(percent, "%"), pushMarker(markerNoResult));
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(local("%")->kind, kindString);

    newram = endlocal;
    EXPECT_EQ(assignVariable(pushReference(nullptr, "y"), pushMarker(markerNoResult)), nullptr);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "A function returned no value. Cannot assign this to a variable.\n");
}

// --- inside a function: the frame -------------------------------------------------

TEST_F(AssignmentTest, LocalsGrowAndShrinkAndTheRecordsAboveFollow) {
    pushReal(1, "caller");
    char* frame = newram;
    header* a = pushReal(1, "a");
    pushCString("keep me", "b");
    makeFrame(frame);
    functionState = functionRunning;
    int64_t aOffset = reinterpret_cast<char*>(a) - ramstart;

    header* result = assignVariable(pushReference(a, "a"), pushMatrix(2, 2, {1, 2, 3, 4}));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(reinterpret_cast<char*>(result) - ramstart, aOffset);
    EXPECT_STREQ(result->name, "a");
    EXPECT_EQ(result->kind, kindRealMatrix);
    EXPECT_EQ(endlocal, frame + 96 + 72);
    ASSERT_NE(local("b"), nullptr);
    EXPECT_STREQ(stringOf(local("b")), "keep me");

    newram = endlocal;
    result = assignVariable(pushReference(local("a"), "a"), pushReal(3));
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(realOf(result), 3);
    EXPECT_EQ(endlocal, frame + 64 + 72);
    EXPECT_STREQ(stringOf(local("b")), "keep me");

    // A new name becomes the last variable of the frame; the protected flag
    // of the value is not taken over.
    newram = endlocal;
    header* value = pushReal(4);
    value->flags = flagProtected;
    result = assignVariable(pushReference(nullptr, "c"), value);
    EXPECT_EQ(reinterpret_cast<char*>(result), frame + 136);
    EXPECT_EQ(local("c"), result);
    EXPECT_EQ(result->flags & flagProtected, 0);
    EXPECT_EQ(findGlobal("c"), nullptr);

    // Names ending in "$$" always go to the global store.
    newram = endlocal;
    assignVariable(pushReference(nullptr, "g$$"), pushReal(8));
    EXPECT_EQ(realOf(findGlobal("g$$")), 8);
}

TEST_F(AssignmentTest, CallerVariablesKeepTheirShape) {
    header* caller = pushMatrix(1, 2, {1, 2}, "v");
    makeFrame(newram);
    functionState = functionRunning;
    header* argument = pushReference(caller, "p");
    makeFrame(reinterpret_cast<char*>(argument));

    assignVariable(pushReference(argument, ""), pushMatrix(1, 2, {5, 6}));
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(doublesOf(caller, 2), (std::vector<double>{5, 6}));
    EXPECT_STREQ(caller->name, "v");

    newram = endlocal;
    assignVariable(argument, pushMatrix(2, 1, {7, 8}));
    EXPECT_EQ(errorCode, 12);
    EXPECT_EQ(output(), "Cannot change type of non-local variable p!\n");
    EXPECT_EQ(doublesOf(caller, 2), (std::vector<double>{5, 6}));
}

TEST_F(AssignmentTest, FrameOverflowIsRefused) {
    header* a = pushReal(1, "a");
    makeFrame(ramstart);
    functionState = functionRunning;
    header* target = pushReference(a, "a");
    header* value = pushRealMatrix(1, 100);
    ramend = newram + 100;  // the matrix exists, the room to grow does not
    char* top = newram;
    EXPECT_EQ(assignVariable(target, value), nullptr);
    EXPECT_EQ(errorCode, 501);
    EXPECT_EQ(output(), "Memory overflow in assignment.\n");
    EXPECT_EQ(newram, top);
    EXPECT_EQ(realOf(a), 1);

    errorCode = 0;
    EXPECT_EQ(assignVariable(pushReference(nullptr, "n"), value), nullptr);
    EXPECT_EQ(errorCode, 500);
    EXPECT_EQ(output(), "Memory overflow assigning to n\n");
}

TEST_F(AssignmentTest, FunctionValuesAreInsertedAtTheBottom) {
    pushReal(1, "%");
    makeFrame(ramstart);
    header* value = pushFunction();
    char* oldEnd = endlocal;
    header* function = assignVariable(pushReference(nullptr, "f"), value);
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(reinterpret_cast<char*>(function), ramstart);
    EXPECT_STREQ(function->name, "f");
    EXPECT_EQ(functionsEnd, ramstart + 72);
    EXPECT_EQ(startlocal, ramstart + 72);
    EXPECT_EQ(endlocal, oldEnd + 72);
    EXPECT_STREQ(recordAt(startlocal)->name, "%");

    newram = endlocal;
    EXPECT_EQ(assignVariable(pushReference(recordAt(startlocal), "%"), pushFunction()), nullptr);
    EXPECT_EQ(errorCode, 320);
    EXPECT_EQ(output(), "Cannot assign a UDF to a variable!\n");
}

// --- views and string subvectors ---------------------------------------------------

struct ViewCase {
    const char* name;
    std::vector<double> value;
    int valueRows, valueColumns;  // 0 x 0: a real scalar
    std::vector<double> expected;
    const char* message;
};

TEST_F(AssignmentTest, RealViews) {
    const ViewCase cases[] = {
        {"same shape", {7, 8, 9, 10, 11, 12}, 2, 3, {1, 2, 3, 7, 8, 9, 10, 11, 12}, ""},
        {"one value into all", {0}, 0, 0, {1, 2, 3, 0, 0, 0, 0, 0, 0}, ""},
        {"1x1 matrix into all", {5}, 1, 1, {1, 2, 3, 5, 5, 5, 5, 5, 5}, ""},
        {"shape differs",
         {1, 2, 3},
         1,
         3,
         {1, 2, 3, 4, 5, 6, 7, 8, 9},
         "Illegal assignment!\nRow or column numbers do not agree!\n"},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.name);
        newram = endlocal = startlocal = ramstart;
        errorCode = 0;
        output();
        header* base = pushMatrix(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, "A");
        makeFrame(ramstart);
        functionState = functionRunning;
        header* rows = pushRow({2, 3});
        header* view = pushView(base, rows, pushCommand(commandAllIndices), kindSubmatrix, 0);
        ASSERT_EQ(errorCode, 0);
        header* value =
            c.valueRows == 0 ? pushReal(c.value[0]) : pushRealMatrix(c.valueRows, c.valueColumns);
        if (c.valueRows) std::copy(c.value.begin(), c.value.end(), matrixData(value));
        header* result = assignVariable(view, value);
        EXPECT_EQ(output(), c.message);
        EXPECT_EQ(result == base, *c.message == 0);
        EXPECT_EQ(doublesOf(base, 9), c.expected);
    }
}

TEST_F(AssignmentTest, ViewsRefuseOtherKinds) {
    header* base = pushMatrix(1, 2, {1, 2}, "A");
    makeFrame(ramstart);
    functionState = functionRunning;
    struct Case {
        header* (*push)();
        const char* message;
    };
    const Case cases[] = {
        {[] { return pushCString("text"); }, "Cannot assign a string to real!\n"},
        {[] { return pushStringVector(); }, "Cannot assign a string to real!\n"},
        {[] { return pushCollection(); }, "Cannot assign this value to real!\n"},
    };
    for (const Case& c : cases) {
        errorCode = 0;
        newram = endlocal;
        header* view = pushSubmatrix(base, 1);
        EXPECT_EQ(assignVariable(view, c.push()), nullptr);
        EXPECT_EQ(errorCode, 45);
        EXPECT_EQ(output(), c.message);
    }

    errorCode = 0;
    newram = endlocal;
    header* intervals = pushIntervalMatrix(1, 1);
    header* view = pushIntervalSubmatrix(intervals, 1);
    assignVariable(view, pushComplex(1, 1));
    EXPECT_EQ(errorCode, 45);
    EXPECT_EQ(output(), "Cannot assign this type to intervals!\n");
}

TEST_F(AssignmentTest, RealValueIntoIntervalAndComplexViews) {
    header* intervals = pushIntervalMatrix(1, 2, "I");
    double bounds[] = {0, 0, 0, 0};
    std::memcpy(matrixData(intervals), bounds, sizeof bounds);
    header* complexes = pushComplexMatrix(1, 1, "C");
    makeFrame(ramstart);
    functionState = functionRunning;

    assignVariable(pushIntervalSubmatrix(intervals, 2), pushReal(3));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(doublesOf(intervals, 4), (std::vector<double>{0, 0, 3, 3}));
    newram = endlocal;
    assignVariable(pushComplexSubmatrix(complexes, 1), pushReal(4));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(doublesOf(complexes, 2), (std::vector<double>{4, 0}));
}

TEST_F(AssignmentTest, AnIntervalValueTurnsARealBaseIntoIntervals) {
    pushMatrix(1, 2, {1, 2}, "A");
    makeFrame(ramstart);
    functionState = functionRunning;
    pushString("next", 4, "z");
    makeFrame(ramstart);
    header* view = pushSubmatrix(local("A"), 2);
    header* result = assignVariable(view, pushInterval(5, 6));
    ASSERT_EQ(errorCode, 0) << output();
    ASSERT_EQ(result, local("A"));
    EXPECT_EQ(result->kind, kindIntervalMatrix);
    EXPECT_EQ(doublesOf(result, 4), (std::vector<double>{1, 1, 5, 6}));
    EXPECT_STREQ(stringOf(local("z")), "next");
}

TEST_F(AssignmentTest, AGlobalBaseTurnedIntoIntervalsStaysGlobal) {
    putGlobal("A", pushMatrix(2, 2, {1, 2, 3, 4}), 0);
    newram = endlocal;
    header* view = pushSubmatrix(findGlobal("A"), 4);
    header* result = assignVariable(view, pushInterval(-1, 1));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(result, findGlobal("A"));
    EXPECT_EQ(result->kind, kindIntervalMatrix);
    EXPECT_EQ(doublesOf(result, 8), (std::vector<double>{1, 1, 2, 2, 3, 3, -1, 1}));
    EXPECT_EQ(endlocal, ramstart);
}

TEST_F(AssignmentTest, ViewsThatNoLongerFitTheirBaseAreRefused) {
    header* base = pushMatrix(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, "A");
    makeFrame(ramstart);
    functionState = functionRunning;
    header* view = pushSubmatrix(base, 9);
    // An earlier target of the same statement shrank the base.
    matrixRows(base) = 1;
    matrixColumns(base) = 1;
    EXPECT_EQ(assignVariable(view, pushReal(0)), nullptr);
    EXPECT_EQ(errorCode, 43);
    EXPECT_EQ(output(), "Internal variable error!\n");
}

TEST_F(AssignmentTest, StringSubvectors) {
    header* vector = pushStrings({"a", "bb", "c"}, "s");
    makeFrame(ramstart);
    functionState = functionRunning;
    pushReal(1, "after");
    makeFrame(ramstart);

    header* result =
        assignVariable(pushStringSubvector(local("s"), 2), pushCString("a longer text"));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(result, local("s"));
    EXPECT_EQ(stringsOf(result), (std::vector<std::string>{"a", "a longer text", "c"}));
    EXPECT_EQ(realOf(local("after")), 1);

    newram = endlocal;
    assignVariable(pushStringSubvector(local("s"), 3), pushCString(""));
    EXPECT_EQ(stringsOf(local("s")), (std::vector<std::string>{"a", "a longer text", ""}));

    struct Case {
        int index;
        bool text;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {5, true, 12, "Index 5 out of range in string vector s!\n"},
        {0, true, 12, "Index 0 out of range in string vector s!\n"},
        {1, false, 12, "Can only assign a string to an element of the string vector s!\n"},
    };
    for (const Case& c : cases) {
        errorCode = 0;
        newram = endlocal;
        header* target = pushStringSubvector(local("s"), c.index);
        assignVariable(target, c.text ? pushCString("x") : pushReal(1));
        EXPECT_EQ(errorCode, c.code);
        EXPECT_EQ(output(), c.message);
    }
    (void)vector;
}

// --- protection and overwriting ----------------------------------------------------

class OverwriteTest : public AssignmentTest {
  protected:
    std::optional<PrivateSettingsFolder> config;

    void SetUp() override {
        AssignmentTest::SetUp();
        config.emplace();
        writeIntSetting("allowoverwrite", 0);
        writeIntSetting("allowvaroverwrite", 0);
    }

    void TearDown() override {
        settings.deleteRegistryKey();
        config.reset();
        AssignmentTest::TearDown();
    }
};

TEST_F(OverwriteTest, ProtectedVariablesAtTheTopLevel) {
    putGlobal("p", pushReal(1), flagProtected);
    newram = endlocal;
    EXPECT_EQ(assignVariable(pushReference(findGlobal("p"), "p"), pushReal(2)), nullptr);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Cannot change protected variable p!");

    // Through a view the base's protection counts.
    errorCode = 0;
    putGlobal("M", pushMatrix(1, 2, {1, 2}), flagProtected);
    newram = endlocal;
    assignVariable(pushSubmatrix(findGlobal("M"), 1), pushReal(5));
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Cannot change protected variable M!");
    EXPECT_EQ(matrixData(findGlobal("M"))[0], 1);

    errorCode = 0;
    writeIntSetting("allowvaroverwrite", 1);
    newram = endlocal;
    header* changed = assignVariable(pushReference(findGlobal("p"), "p"), pushReal(2));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(realOf(changed), 2);
    EXPECT_NE(changed->flags & flagProtected, 0);  // the global stays protected
}

TEST_F(OverwriteTest, InsideFunctionsProtectionDoesNotApply) {
    header* a = pushReal(1, "a");
    a->flags |= flagProtected;
    makeFrame(ramstart);
    functionState = functionRunning;
    header* result = assignVariable(pushReference(a, "a"), pushReal(2));
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(realOf(result), 2);
}

// --- isSameShape and names ---------------------------------------------------------

TEST_F(AssignmentTest, SameShape) {
    header* r1 = pushReal(1);
    header* r2 = pushReal(2);
    header* row = pushMatrix(1, 4, {1, 2, 3, 4});
    header* column = pushMatrix(4, 1, {1, 2, 3, 4});
    header* longText = pushCString("a longer string here");
    header* shortText = pushCString("ab");
    header* c = pushComplex(1, 2);
    struct Case {
        header* variable;
        header* value;
        bool same;
    };
    const Case cases[] = {
        {r1, r2, true},
        {row, row, true},
        {row, column, false},
        {r1, c, false},
        {longText, shortText, true},
        {shortText, longText, false},
    };
    for (const Case& k : cases) EXPECT_EQ(isSameShape(k.variable, k.value), k.same);
}

TEST_F(AssignmentTest, ValueNamesAreCutToTheField) {
    header* r = pushReal(1);
    EXPECT_EQ(setValueName(r, "abc"), hashName("abc"));
    EXPECT_STREQ(r->name, "abc");
    setValueName(r, "0123456789012345678901234567890123456789");
    EXPECT_EQ(std::strlen(r->name), 31u);
}

// --- statement endings (no assignment operator) -------------------------------------

TEST_F(AssignmentTest, StatementEndings) {
    struct Case {
        const char* rest;
        const char* printed;
        int code;
        const char* left;  // what remains for the next statement
    };
    const Case cases[] = {
        {"", "5\n", 0, ""},
        {", 2", "5\n", 0, " 2"},
        {"; 2", "", 0, " 2"},
        {") 2", "Found too many closing brackets, excessive )\n", 1000, ") 2"},
        {"] 2", "Found too many closing brackets, excessive ]\n", 1000, "] 2"},
        {" 2",
         "Commands must be separated by semicolon or comma!\nFound: 2 (character 50)\n"
         "You can disable this in the Options menu.\n",
         1000, "2"},
        {";2",
         "Space between commands expected!\nFound: 2 (character 50)\n"
         "You can disable this in the Options menu.\n",
         1000, "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rest);
        errorCode = 0;
        newram = endlocal;
        output();
        std::strcpy(inputLine, c.rest);
        scanPointer = inputLine;
        executeAssignment(pushReal(5));
        EXPECT_EQ(errorCode, c.code);
        EXPECT_EQ(output(), c.printed);
        EXPECT_STREQ(scanPointer, c.left);
    }
}

}  // namespace

}  // namespace kalix
