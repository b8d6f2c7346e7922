// Variable lookup with its scoping rules, removal, and the value helpers.
#include <cmath>
#include <cstring>

#include "interpreter/evaluator.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/variables.h"
#include "stack_fixture.h"

namespace kalix {

class VariablesTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        clearGlobals();
        functionState = functionTopLevel;
        useGlobalMode = 0;
        easyUnitsMode = 0;
    }
    void TearDown() override {
        clearGlobals();
        functionState = functionTopLevel;
        useGlobalMode = 0;
        easyUnitsMode = 0;
        SmallStack::TearDown();
    }

    // Top-level variables from functionsEnd; the frame starts with them.
    void makeTopLevel(std::initializer_list<const char*> names, int32_t flags = 0) {
        for (const char* name : names) pushReal(1, name)->flags |= flags;
        topEndLocal = endlocal = newram;
    }

    // A function frame above the top level: its records start a new frame.
    void enterFunction(std::initializer_list<const char*> names) {
        startlocal = newram;
        for (const char* name : names) pushReal(2, name);
        endlocal = newram;
        functionState = functionRunning;
    }

    void putGlobalReal(const char* name, double x, int32_t flags = 0) {
        header* value = pushReal(x);
        putGlobal(name, value, flags);
        newram = reinterpret_cast<char*>(value);
    }
};

TEST_F(VariablesTest, TopLevelGlobalWinsOverStackVariable) {
    makeTopLevel({"x"});
    putGlobalReal("x", 5);
    header* found = findVariable("x");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(realOf(found), 5);
    EXPECT_EQ(findVariable("x"), findGlobal("x"));
    EXPECT_EQ(findVariable("%"), nullptr);
}

TEST_F(VariablesTest, FrameVariableIsFound) {
    makeTopLevel({"a", "b", "c"});
    header* b = findVariable("b");
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->name, "b");
    EXPECT_EQ(findVariable("d"), nullptr);
    EXPECT_EQ(findVariable("a name much longer than any field could hold"), nullptr);
}

TEST_F(VariablesTest, FunctionSeesOnlyItsFrameUnlessAsked) {
    makeTopLevel({"x"});
    putGlobalReal("g", 3);
    enterFunction({"y"});
    EXPECT_EQ(findVariable("x"), nullptr);
    EXPECT_EQ(findVariable("g"), nullptr);
    ASSERT_NE(findVariable("y"), nullptr);

    useGlobalMode = 1;
    ASSERT_NE(findVariable("x"), nullptr);
    EXPECT_EQ(realOf(findVariable("x")), 1);
    ASSERT_NE(findVariable("g"), nullptr);
    EXPECT_EQ(realOf(findVariable("g")), 3);
}

TEST_F(VariablesTest, SetGlobalMakesATopLevelVariableVisible) {
    makeTopLevel({"x"}, flagSetGlobal);
    putGlobalReal("h", 4, flagSetGlobal);
    enterFunction({});
    ASSERT_NE(findVariable("x"), nullptr);
    ASSERT_NE(findVariable("h"), nullptr);
    EXPECT_EQ(realOf(findVariable("h")), 4);
}

TEST_F(VariablesTest, DollarNamesReachGlobalsAndTopLevel) {
    makeTopLevel({"u$"});
    putGlobalReal("v$", 6);
    putGlobalReal("w$$", 7);
    enterFunction({});
    EXPECT_NE(findVariable("u$"), nullptr);
    EXPECT_NE(findVariable("v$"), nullptr);
    EXPECT_NE(findVariable("w$$"), nullptr);

    // A "$$" name is only ever a global.
    functionState = functionTopLevel;
    startlocal = functionsEnd;
    pushReal(1, "s$$");
    endlocal = newram;
    EXPECT_EQ(findVariable("s$$"), nullptr);
}

TEST_F(VariablesTest, ReferenceArgumentsAnswerToTheCallersName) {
    makeTopLevel({"outer"});
    header* outer = recordAt(functionsEnd);
    startlocal = newram;
    header* inner = pushReference(outer);
    pushReference(inner);  // a chain of two unnamed references
    endlocal = newram;
    functionState = functionRunning;
    EXPECT_EQ(findVariable("outer"), nullptr);
    useGlobalMode = 1;
    EXPECT_EQ(findVariable("outer"), recordAt(startlocal));
}

TEST_F(VariablesTest, EasyUnitsFindTheDollarVariable) {
    putGlobalReal("km$", 1000);
    EXPECT_EQ(findVariable("km"), nullptr);
    easyUnitsMode = 1;
    ASSERT_NE(findVariable("km"), nullptr);
    EXPECT_EQ(realOf(findVariable("km")), 1000);
    enterFunction({});
    EXPECT_EQ(findVariable("km"), nullptr);  // only at the top level or in strings
    functionState = functionEvaluatingString;
    EXPECT_NE(findVariable("km"), nullptr);
}

TEST_F(VariablesTest, RemoveVariableFromTheMiddleOfTheFrame) {
    makeTopLevel({"a", "b", "c"});
    header* temporary = pushCString("temporary");
    char* top = newram;
    (void)temporary;
    removeVariable("b");
    EXPECT_EQ(endlocal, functionsEnd + 128);
    EXPECT_EQ(newram, top - 64);
    ASSERT_NE(findVariable("a"), nullptr);
    ASSERT_NE(findVariable("c"), nullptr);
    EXPECT_EQ(findVariable("b"), nullptr);
    EXPECT_STREQ(stringOf(recordAt(endlocal)), "temporary");
}

TEST_F(VariablesTest, RemoveVariableAtTopLevelAlsoRemovesTheGlobal) {
    makeTopLevel({"a"});
    putGlobalReal("g", 1);
    char* top = newram;
    removeVariable("g");
    EXPECT_EQ(findGlobal("g"), nullptr);
    EXPECT_EQ(newram, top);

    putGlobalReal("g", 1);
    enterFunction({"g"});
    removeVariable("g");
    EXPECT_NE(findGlobal("g"), nullptr);  // inside a function only the frame
    EXPECT_EQ(endlocal, startlocal);
}

TEST_F(VariablesTest, GetMatrixOfEveryNumericKind) {
    int rows = 0, columns = 0;
    double* data = nullptr;
    header* real = pushReal(3);
    ASSERT_EQ(getMatrix(real, &rows, &columns, &data), 1);
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(columns, 1);
    EXPECT_EQ(data[0], 3);
    header* interval = pushIntervalMatrix(2, 3);
    ASSERT_EQ(getMatrix(interval, &rows, &columns, &data), 1);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(columns, 3);
    EXPECT_EQ(data, matrixData(interval));

    EXPECT_EQ(getMatrix(pushCString("x"), &rows, &columns, &data), 0);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Matrix expected!\n");
    errorCode = 0;
    EXPECT_EQ(getMatrixNamed(pushCollection(), "scalp", &rows, &columns, &data), 0);
    EXPECT_EQ(output(), "Matrix expected in scalp!\n");
}

TEST_F(VariablesTest, TypeNamesAndWrongArguments) {
    header* symbolic = pushCString("x^2");
    symbolic->flags |= flagSymbolic;
    EXPECT_STREQ(getTypeName(symbolic), "symbolic expression");
    EXPECT_TRUE(hasSymbolicFlag(symbolic));
    EXPECT_STREQ(getTypeName(pushCollection()), "collection");
    EXPECT_STREQ(getTypeName(pushCompressedMatrix(1, 1, 0)), "compress sparse matrix");
    header* function = pushFunction("f");
    function->flags |= flagSymbolic;
    EXPECT_FALSE(hasSymbolicFlag(function));

    reportWrongArgument(pushStringVector());
    EXPECT_EQ(errorCode, 10);
    EXPECT_EQ(output(), "Wrong argument.\nCannot use a string matrix here.\n\n");
    errorCode = 0;
    reportWrongArgument(symbolic);
    EXPECT_EQ(errorCode, 10);
    EXPECT_EQ(output(),
              "Wrong argument!\n\nCannot combine a symbolic expression here.\n"
              "Did you want to create a symbolic expression?\nThen start with &.\n\n");
}

TEST_F(VariablesTest, CollectionItems) {
    header* collection = pushCollection("list");
    pushReal(10, "a");
    pushCString("second", "b");
    collection->size = newram - reinterpret_cast<char*>(collection);

    header* index = pushReal(1.6);  // rounds to 2
    getCollectionItem(collection, index);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(index->kind, kindString);
    EXPECT_STREQ(stringOf(index), "second");
    EXPECT_EQ(newram, endOf(index));

    struct Case {
        double index;
        const char* message;
    };
    for (Case c : {Case{3, "Index 3 out of range for collection list.\n"},
                   Case{0.4, "Need an integer scalar as a list index.\n"},
                   Case{NAN, "Need an integer scalar as a list index.\n"},
                   Case{1e300, "Index 2147483647 out of range for collection list.\n"}}) {
        getCollectionItem(collection, pushReal(c.index));
        EXPECT_EQ(errorCode, 100) << c.index;
        EXPECT_EQ(output(), c.message);
        errorCode = 0;
    }
    getCollectionItem(collection, pushCString("1"));
    EXPECT_EQ(errorCode, 100);
    EXPECT_EQ(output(), "Need an integer scalar as a list index.\n");
}

TEST_F(VariablesTest, IndexIntoAnEmptyUnnamedCollection) {
    header* collection = pushCollection();
    getCollectionItem(collection, pushReal(1));
    EXPECT_EQ(errorCode, 100);
    EXPECT_EQ(output(), "Index 1 out of range for collection.\n");
}

}  // namespace kalix
