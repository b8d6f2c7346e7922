// The matrix builtins on a small stack: work space that does not fit is
// refused with the builtin's message before anything is written beyond
// the stack, and work space that fits is gone when the results are down.
#include <string>

#include "interpreter/builtin_table.h"
#include "stack_fixture.h"

namespace kalix {

namespace {

class MatrixBuiltinsTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        sortBuiltins();
    }

    void call(const char* name, int n, header* first) {
        const BuiltinRecord* row = findBuiltin(name, n);
        ASSERT_NE(row, nullptr) << name;
        row->handler(first);
    }

    // A string vector of n copies of `text`.
    header* pushStrings(int n, const char* text) {
        const int64_t length = int64_t(std::strlen(text)) + 1;
        char* data = pushHeader(kindStringMatrix, headerSize + n * length + 1, "");
        header* record = recordAt(data - headerSize);
        for (int i = 0; i < n; i++, data += length) std::memcpy(data, text, size_t(length));
        *data = 1;
        return record;
    }

    void expectRefused(const char* what, const char* message, int code) {
        EXPECT_EQ(output(), message) << what;
        EXPECT_EQ(errorCode, code) << what;
        EXPECT_TRUE(guardIntactFrom(0)) << what;
        errorCode = 0;
        newram = ramstart;
    }
};

TEST_F(MatrixBuiltinsTest, WorkSpaceThatDoesNotFitIsRefused) {
    call("sort", 1, pushCounting(1, 100));
    expectRefused("sort", "Out of memory!\n", 120);

    call("unique", 1, pushCounting(1, 80));
    expectRefused("unique", "Out of memory!\n", 120);

    call("lexsort", 1, pushCounting(150, 1));
    expectRefused("lexsort", "Out of memory!\n", 120);

    call("mnonzeros", 1, pushCounting(1, 200));
    expectRefused("mnonzeros", "Out of Memory!\n", 120);

    call("sort", 1, pushStrings(300, "a"));
    expectRefused("sort of strings", "Out of Memory!\n", 120);

    header* v = pushStrings(450, "a");
    pushStrings(2, "b");
    call("find", 2, v);
    expectRefused("find in strings", "Out of Memory!\n", 120);
}

TEST_F(MatrixBuiltinsTest, ResultsStandAloneAfterTheWork) {
    header* first = pushRow({3, 1, 2});
    call("sort", 1, first);
    ASSERT_EQ(errorCode, 0);
    header* positions = nextValue(first);
    ASSERT_NE(positions, nullptr);
    EXPECT_EQ(elementsOf(first), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(elementsOf(positions), (std::vector<double>{2, 3, 1}));
    EXPECT_EQ(endOf(positions), newram);

    newram = ramstart;
    first = pushRow({2, 2, 1});
    call("unique", 1, first);
    ASSERT_EQ(errorCode, 0);
    positions = nextValue(first);
    ASSERT_NE(positions, nullptr);
    EXPECT_EQ(elementsOf(first), (std::vector<double>{1, 2}));
    EXPECT_EQ(elementsOf(positions), (std::vector<double>{3, 2}));
    EXPECT_EQ(endOf(positions), newram);

    newram = ramstart;
    first = pushStrings(3, "s");
    call("sort", 1, first);
    ASSERT_EQ(errorCode, 0);
    positions = nextValue(first);
    ASSERT_NE(positions, nullptr);
    EXPECT_EQ(elementsOf(positions), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(endOf(positions), newram);
}

TEST_F(MatrixBuiltinsTest, ResultsBeyondTheStackOverflowCleanly) {
    header* first = pushRow({1, 2});
    pushReal(1000);
    call("count", 2, first);
    EXPECT_EQ(output(), "Stack overflow!\n");
    EXPECT_EQ(errorCode, 2);
    EXPECT_TRUE(guardIntactFrom(headerSize));
}

}  // namespace

}  // namespace kalix
