// The builtin table: assembly from families, order, lookup by name and
// argument count, calls, and the alias map.
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "interpreter/builtin_table.h"
#include "stack_fixture.h"

namespace kalix {

namespace {

std::vector<std::string> calls;

void recordCall(const char* what, header* first) {
    calls.push_back(std::string(what) + (first ? "" : " without arguments"));
}

void diag1(header* first) { recordCall("diag1", first); }
void diag2(header* first) { recordCall("diag2", first); }
void diag3(header* first) { recordCall("diag3", first); }
void diag4(header* first) { recordCall("diag4", first); }
void size(header* first) { recordCall("size", first); }
void sqrt1(header* first) { recordCall("sqrt", first); }
void zeros(header* first) { recordCall("zeros", first); }
void upperE(header* first) { recordCall("E", first); }
void pi(header*) { pushReal(M_PI); }

const BuiltinRecord rowsA[] = {
    {"zeros", 2, 0, zeros}, {"diag", 3, 0, diag3}, {"sqrt", 1, 0, sqrt1},
    {"diag", 1, 0, diag1},  {"pi", 0, 0, pi},      {"missing", 1, 0, nullptr},
};
const BuiltinRecord rowsB[] = {
    {"size", -1, 0, size}, {"diag", 4, 0, diag4},  {"E", 0, 0, upperE},
    {"diag", 2, 0, diag2}, {"zeros", 1, 0, zeros},
};
KALIX_BUILTIN_FAMILY(testBuiltinsA, rowsA);
KALIX_BUILTIN_FAMILY(testBuiltinsB, rowsB);
const BuiltinFamily* const testFamilies[] = {&testBuiltinsA, nullptr, &testBuiltinsB};

}  // namespace

class BuiltinTableTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        sortBuiltinFamilies(testFamilies, 3);
        clearAliases();
        calls.clear();
    }
    void TearDown() override {
        clearAliases();
        sortBuiltins();
        SmallStack::TearDown();
    }
};

TEST_F(BuiltinTableTest, RowsLeftOutAreSaidOnStandardError) {
    const BuiltinRecord twice[] = {{"pi", 0, 0, [](header*) {}}};
    const BuiltinFamily again = {twice, 1};
    const BuiltinFamily* const families[] = {&testBuiltinsA, &again};
    testing::internal::CaptureStderr();
    sortBuiltinFamilies(families, 2);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("\"missing\" is left out: it has no name or no handler"), std::string::npos)
        << said;
    EXPECT_NE(said.find("\"pi\" is left out: its name and count are taken"), std::string::npos)
        << said;
}

TEST_F(BuiltinTableTest, TableIsAssembledSortedAndClosed) {
    std::vector<std::string> order;
    for (int i = 0; i < builtinCount; i++)
        order.push_back(std::string(builtinTable[i].name) + "/" +
                        std::to_string(builtinTable[i].nargs));
    EXPECT_EQ(order, (std::vector<std::string>{"E/0", "diag/1", "diag/2", "diag/3", "diag/4",
                                               "pi/0", "size/-1", "sqrt/1", "zeros/1", "zeros/2"}));
    EXPECT_EQ(builtinTable[builtinCount].name, nullptr);
}

TEST_F(BuiltinTableTest, CompareBuiltins) {
    BuiltinRecord upper{"NAN", 0, 0, nullptr}, lower{"abs", 1, 0, nullptr};
    BuiltinRecord one{"d", 1, 0, nullptr}, two{"d", 2, 0, nullptr}, any{"d", -1, 0, nullptr};
    BuiltinRecord high{"\xE4", 1, 0, nullptr};
    EXPECT_LT(compareBuiltins(&upper, &lower), 0);
    EXPECT_LT(compareBuiltins(&one, &two), 0);
    EXPECT_GT(compareBuiltins(&two, &one), 0);
    EXPECT_EQ(compareBuiltins(&any, &two), 0);
    EXPECT_EQ(compareBuiltins(&one, &any), 0);
    EXPECT_GT(compareBuiltins(&high, &lower), 0);  // bytes compare unsigned
}

TEST_F(BuiltinTableTest, FindByNameAndCount) {
    struct Case {
        const char* name;
        int n;
        BuiltinHandler expected;  // null: no row
        int nargs;
    };
    const Case cases[] = {
        {"diag", 3, diag3, 3},
        {"diag", 5, nullptr, 0},
        {"diag", -1, diag1, 1},
        {"diag", 0, nullptr, 0},
        {"size", 7, size, -1},
        {"size", 0, size, -1},
        {"zeros", 3, nullptr, 0},
        {"zeros", 2, zeros, 2},
        {"E", 0, upperE, 0},
        {"e", 0, nullptr, 0},
        {"unknown", 1, nullptr, 0},
        {"missing", 1, nullptr, 0},  // a row without a handler is never in the table
        {"", 0, nullptr, 0},
    };
    for (const Case& c : cases) {
        const BuiltinRecord* row = findBuiltin(c.name, c.n);
        if (!c.expected) {
            EXPECT_EQ(row, nullptr) << c.name << "/" << c.n;
            continue;
        }
        ASSERT_NE(row, nullptr) << c.name << "/" << c.n;
        EXPECT_EQ(row->handler, c.expected) << c.name << "/" << c.n;
        EXPECT_EQ(row->nargs, c.nargs) << c.name << "/" << c.n;
    }
}

TEST_F(BuiltinTableTest, AliasesAreFollowedOnceForUnknownNames) {
    addAlias("root", "sqrt");
    addAlias("twice", "root");
    addAlias("diag", "size");  // never consulted: diag is a builtin
    const BuiltinRecord* row = findBuiltin("root", 1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->handler, sqrt1);
    EXPECT_EQ(findBuiltin("root", 2), nullptr);
    EXPECT_EQ(findBuiltin("twice", 1), nullptr);
    EXPECT_EQ(findBuiltin("diag", 5), nullptr);
    addAlias("broken", "nothing");
    EXPECT_EQ(findBuiltin("broken", 1), nullptr);
}

TEST_F(BuiltinTableTest, AliasMap) {
    EXPECT_EQ(resolveAlias("a"), nullptr);
    addAlias("a", "first");
    addAlias("a", "second");
    ASSERT_NE(resolveAlias("a"), nullptr);
    EXPECT_STREQ(resolveAlias("a"), "second");
    clearAliases();
    EXPECT_EQ(resolveAlias("a"), nullptr);
}

TEST_F(BuiltinTableTest, CollectAliasNames) {
    addAlias("plotx", "plot");
    addAlias("ploty", "plot");
    addAlias("plain", "plot");
    addAlias("other", "x");
    const char* names[4] = {"kept", nullptr, nullptr, nullptr};

    int n = collectAliasNames("plo", names, 1, 4);
    EXPECT_EQ(n, 3);
    EXPECT_STREQ(names[0], "kept");
    std::set<std::string> found(names + 1, names + n);
    EXPECT_EQ(found, (std::set<std::string>{"plotx", "ploty"}));

    EXPECT_EQ(collectAliasNames("", names, 1, 3), 3);  // stops at the maximum
    EXPECT_EQ(collectAliasNames("p", names, 4, 4), 4);
    EXPECT_EQ(collectAliasNames("zzz", names, 0, 4), 0);
}

TEST_F(BuiltinTableTest, CallWithoutArgumentsPushesAtTheGivenPlace) {
    pushReal(1);
    char* place = newram;
    reserveStack(64, "test");  // the call must reset the top to the place
    ASSERT_EQ(callBuiltin("pi", 0, recordAt(place)), 1);
    header* result = recordAt(place);
    EXPECT_EQ(result->kind, kindReal);
    EXPECT_EQ(realOf(result), M_PI);
    EXPECT_EQ(newram, place + 64);
}

TEST_F(BuiltinTableTest, CallPassesTheFirstArgument) {
    header* first = pushReal(1);
    EXPECT_EQ(callBuiltin("diag", 1, first), 1);
    EXPECT_EQ(callBuiltin("size", 0, recordAt(newram)), 1);
    addAlias("root", "sqrt");
    EXPECT_EQ(callBuiltin("root", 1, first), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"diag1", "size without arguments", "sqrt"}));

    calls.clear();
    EXPECT_EQ(callBuiltin("diag", 5, first), 0);
    EXPECT_EQ(callBuiltin("nothing", 0, first), 0);
    EXPECT_TRUE(calls.empty());
}

TEST(BuiltinFamilies, RealTableIsSortedAndIndexed) {
    sortBuiltins();
    for (int i = 0; i < builtinCount; i++) {
        ASSERT_NE(builtinTable[i].name, nullptr);
        ASSERT_NE(builtinTable[i].handler, nullptr) << builtinTable[i].name;
        if (i > 0) {
            EXPECT_LE(compareBuiltins(&builtinTable[i - 1], &builtinTable[i]), 0)
                << builtinTable[i].name;
            bool sameName = std::strcmp(builtinTable[i - 1].name, builtinTable[i].name) == 0;
            if (sameName) {
                EXPECT_NE(builtinTable[i - 1].nargs, builtinTable[i].nargs) << builtinTable[i].name;
            }
        }
        EXPECT_NE(findBuiltin(builtinTable[i].name, builtinTable[i].nargs), nullptr)
            << builtinTable[i].name;
    }
    EXPECT_EQ(builtinTable[builtinCount].name, nullptr);
}

}  // namespace kalix
