// Records outside the interpreter stack (globals' heap copies) may lie below
// or above it: classifying, replacing and moving records must not depend on
// which.
#include <cstring>
#include <vector>

#include "interpreter/value_helpers.h"
#include "stack_fixture.h"

namespace kalix {

namespace {

// A small stack with room for outside records below and above it in the
// same block, so that both sides are certain.
class RecordPlaces : public SmallStack {
  protected:
    static constexpr size_t sideBytes = 1024;
    std::vector<uint64_t> wide;

    void SetUp() override {
        SmallStack::SetUp();
        wide.assign((sideBytes + stackBytes + stackGuardBytes + sideBytes) / 8, 0);
        ramstart = reinterpret_cast<char*>(wide.data()) + sideBytes;
        ramend = ramstart + stackBytes;
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
    }

    char* below() { return reinterpret_cast<char*>(wide.data()); }
    char* above() { return ramend + stackGuardBytes; }

    // A real 1 x n matrix holding 100, 101, ... written at `at`.
    static header* rowAt(char* at, int n) {
        header* record = recordAt(at);
        std::memset(record, 0, sizeof(header));
        record->size = matrixRecordSize(1, n, 8);
        record->kind = kindRealMatrix;
        matrixRows(record) = 1;
        matrixColumns(record) = n;
        for (int i = 0; i < n; i++) matrixData(record)[i] = 100 + i;
        return record;
    }
};

TEST_F(RecordPlaces, OnlyTheStackBoundsClassify) {
    header* on = pushReal(1);
    EXPECT_TRUE(recordOnStack(on));
    EXPECT_TRUE(recordInArea(on, ramstart, newram));
    EXPECT_FALSE(recordInArea(on, newram, ramend));
    for (char* outside : {below(), above()}) {
        header* record = rowAt(outside, 4);
        EXPECT_FALSE(recordOnStack(record));
        EXPECT_FALSE(recordInArea(record, ramstart, ramend));
        EXPECT_FALSE(recordInArea(record, newram, ramend));
        EXPECT_EQ(nextValue(record), nullptr);
        EXPECT_EQ(keepResult(record), outside);
    }
    EXPECT_FALSE(recordOnStack(nullptr));
    EXPECT_FALSE(isOnStack(ramend));
    EXPECT_TRUE(isOnStack(ramend - 1));
}

// The value of a statement's reference is an outside record on either side
// of the stack, larger or smaller than the reference it replaces.
TEST_F(RecordPlaces, ReplaceRecordByAnOutsideValue) {
    for (char* outside : {below(), above()})
        for (int n : {1, 20, 100}) {
            SCOPED_TRACE(testing::Message()
                         << (outside == below() ? "below" : "above") << " " << n);
            newram = ramstart;
            header* first = pushReal(1, "first");
            header* reference = pushReference(nullptr, "A");
            header* after = pushCString("after");
            char* top = newram;
            header* value = rowAt(outside, n);
            int64_t delta = value->size - reference->size;
            char* end = replaceRecord(reinterpret_cast<char*>(reference), value, top);
            ASSERT_EQ(errorCode, 0) << output();
            ASSERT_EQ(end, top + delta);
            header* replaced = recordAt(reinterpret_cast<char*>(first) + first->size);
            EXPECT_EQ(replaced->kind, kindRealMatrix);
            EXPECT_EQ(matrixColumns(replaced), n);
            EXPECT_EQ(matrixData(replaced)[n - 1], 100 + n - 1);
            EXPECT_STREQ(stringOf(recordAt(endOf(replaced))), "after");
            EXPECT_EQ(matrixData(value)[0], 100);  // the outside record is only read
            (void)after;
        }
}

TEST_F(RecordPlaces, ReplaceRecordRefusesWhatDoesNotFit) {
    header* reference = pushReference(nullptr, "A");
    pushHeader(kindString, int64_t(stackBytes) - 200, "");
    char* top = newram;
    for (char* outside : {below(), above()}) {
        header* value = rowAt(outside, 40);
        EXPECT_EQ(replaceRecord(reinterpret_cast<char*>(reference), value, top), nullptr);
        EXPECT_EQ(errorCode, 2);
        EXPECT_EQ(output(), "Stack overflow!\n");
        errorCode = 0;
    }
}

TEST_F(RecordPlaces, MoveResultFromEitherSide) {
    for (char* outside : {below(), above()}) {
        newram = ramstart;
        header* destination = pushReal(0);
        pushReal(1);
        header* value = rowAt(outside, 10);
        char* end = moveResult(destination, value);
        ASSERT_EQ(errorCode, 0);
        EXPECT_EQ(end, reinterpret_cast<char*>(destination) + value->size);
        EXPECT_EQ(matrixData(destination)[9], 109);
    }
}

TEST_F(RecordPlaces, ResultsGoOnlyToTheStack) {
    pushReal(1);
    header* outside = rowAt(above(), 2);
    moveResult(outside, pushReal(2));
    EXPECT_EQ(errorCode, 2);
    EXPECT_EQ(matrixData(outside)[0], 100);
}

#ifdef KALIX_CHECK_RECORDS
TEST_F(RecordPlaces, CheckingBuildRefusesRecordsAcrossTheBounds) {
    header* across = rowAt(ramend - 64, 40);
    EXPECT_DEATH(recordOnStack(across), "Record check: stack record");
    header* into = rowAt(ramstart - 64, 40);
    EXPECT_DEATH(recordOnStack(into), "Record check: outside record");
}
#endif

}  // namespace

}  // namespace kalix
