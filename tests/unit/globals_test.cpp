// Global variables, global lists and their builtins, driven by records
// pushed on a small stack.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "global_store_fixture.h"
#include "interpreter/globals.h"
#include "interpreter/output.h"
#include "interpreter/stack.h"

namespace kalix {

namespace {

class GlobalsTest : public GlobalStoreTest {
  protected:
    // Pushes the arguments (reals and strings) and calls the handler;
    // returns the record left at the first argument's place.
    struct Arg {
        bool isText;
        double x;
        const char* text;
        Arg(double v) : isText(false), x(v), text(nullptr) {}
        Arg(const char* t) : isText(true), x(0), text(t) {}
    };
    header* call(void (*handler)(header*), const std::vector<Arg>& args) {
        errorCode = 0;
        newram = endlocal;
        header* first = recordAt(newram);
        for (const Arg& a : args) a.isText ? pushCString(a.text) : pushReal(a.x);
        if (args.size() == 0) {
            handler(nullptr);
        } else {
            handler(first);
        }
        return first;
    }

    double callForReal(void (*handler)(header*), const std::vector<Arg>& args) {
        header* result = call(handler, args);
        EXPECT_EQ(errorCode, 0) << output();
        EXPECT_EQ(result->kind, kindReal);
        return realOf(result);
    }

    static bool isNoResultMarker(const header* h) {
        return h->kind == kindString && stringOf(h)[0] == markerNoResult && stringOf(h)[1] == 0;
    }
};

TEST_F(GlobalsTest, PutFindAndCopyToStack) {
    header* value = pushReal(5, "temporary");
    value->flags = flagSetGlobal | flagProtected;
    header* stored = putGlobal("a", value, 0x20);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(findGlobal("a"), stored);
    EXPECT_STREQ(stored->name, "a");
    EXPECT_EQ(stored->hash, hashName("a"));
    EXPECT_EQ(stored->flags, flagSetGlobal | flagProtected | 0x20);
    EXPECT_EQ(findGlobal("b"), nullptr);

    char* before = newram;
    header* copy = copyGlobalToStack("a");
    ASSERT_EQ(reinterpret_cast<char*>(copy), before);
    EXPECT_EQ(newram, before + 64);
    EXPECT_EQ(realOf(copy), 5);
    EXPECT_EQ(copy->flags, flagProtected | 0x20);  // 0x80 cleared on the copy only
    EXPECT_EQ(stored->flags & flagSetGlobal, flagSetGlobal);
    EXPECT_EQ(copyGlobalToStack("unknown"), nullptr);
    EXPECT_EQ(errorCode, 0);
}

TEST_F(GlobalsTest, SmallerValuesReuseTheBlockLargerOnesGetANewOne) {
    header* stored = putGlobal("a", pushReal(1), 0);
    EXPECT_EQ(putGlobal("a", pushReal(2), 0), stored);
    EXPECT_EQ(realOf(findGlobal("a")), 2);
    header* matrix = pushRealMatrix(100, 100);
    for (int i = 0; i < 10000; i++) matrixData(matrix)[i] = i;
    header* replaced = putGlobal("a", matrix, 0);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(findGlobal("a"), replaced);
    EXPECT_EQ(matrixRows(replaced), 100);
    EXPECT_EQ(matrixData(replaced)[9999], 9999);
    // Storing a global's own record again keeps it intact.
    EXPECT_EQ(putGlobal("a", replaced, 0), replaced);
    EXPECT_EQ(matrixData(findGlobal("a"))[5], 5);
    // A record copied from another global: the source stays as it was.
    header* b = putGlobal("b", findGlobal("a"), 0);
    EXPECT_STREQ(b->name, "b");
    EXPECT_STREQ(findGlobal("a")->name, "a");
}

// A statement may still point at a replaced or removed block: it stays
// readable until the statement has ended.
TEST_F(GlobalsTest, ReplacedBlocksLastUntilReleased) {
    header* old = putGlobal("a", pushReal(7), 0);
    putGlobal("a", pushRealMatrix(10, 10), 0);
    header* removed = putGlobal("b", pushReal(8), 0);
    removeGlobal("b");
    EXPECT_EQ(realOf(old), 7);
    EXPECT_EQ(realOf(removed), 8);
    EXPECT_EQ(findGlobal("b"), nullptr);
    releaseRetiredGlobals();
    EXPECT_EQ(matrixRows(findGlobal("a")), 10);
}

TEST_F(GlobalsTest, CopyToStackRefusesWhenTheStackIsFull) {
    putGlobal("m", pushRealMatrix(10, 10), 0);
    newram = ramend - 864;  // exactly the record's size left: "reaches" ramend
    char* before = newram;
    EXPECT_EQ(copyGlobalToStack("m"), nullptr);
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(newram, before);
    EXPECT_EQ(output(), "Out of stack space for global variable m\n");
}

TEST_F(GlobalsTest, LongNamesAreCutToTheNameField) {
    const char* longName = "abcdefghijklmnopqrstuvwxyz0123456789";
    header* stored = putGlobal(longName, pushReal(3), 0);
    EXPECT_EQ(std::strlen(stored->name), 31u);
    EXPECT_EQ(findGlobal(longName), stored);
    EXPECT_EQ(findGlobal(stored->name), stored);
}

TEST_F(GlobalsTest, ClearAllKeepsProtectedDefaultAndPercentNames) {
    for (const char* name : {"a", "b", "defaultx", "%p", "keep"}) putGlobal(name, pushReal(1), 0);
    findGlobal("keep")->flags |= flagProtected;
    clearUnprotectedGlobals();
    EXPECT_EQ(findGlobal("a"), nullptr);
    EXPECT_EQ(findGlobal("b"), nullptr);
    EXPECT_NE(findGlobal("defaultx"), nullptr);
    EXPECT_NE(findGlobal("%p"), nullptr);
    EXPECT_NE(findGlobal("keep"), nullptr);

    putGlobal("c", pushReal(1), 0);
    protectGlobals();
    clearUnprotectedGlobals();
    EXPECT_NE(findGlobal("c"), nullptr);
    removeGlobal("c");
    removeGlobal("never");
    EXPECT_EQ(findGlobal("c"), nullptr);
    clearGlobals();
    EXPECT_EQ(findGlobal("keep"), nullptr);
}

TEST_F(GlobalsTest, Listings) {
    putGlobal("zeta", pushReal(2), 0);
    putGlobal("alpha", pushReal(1), 0);
    putGlobal("defaultv", pushReal(3), 0);
    putGlobal("guarded", pushReal(4), flagProtected);
    output();
    EXPECT_EQ(listGlobals(""), 2);
    EXPECT_EQ(output(), "alpha               1\nzeta                2\n");
    EXPECT_EQ(listGlobals("a"), 4);  // a pattern shows protected and default names too
    output();
    EXPECT_EQ(listGlobalLists(""), 0);
    call(builtinGlist, {"second"});
    call(builtinGlist, {"first"});
    output();
    EXPECT_EQ(listGlobalLists(""), 2);
    EXPECT_EQ(output(), "first               global list\nsecond              global list\n");
    EXPECT_EQ(listGlobalLists("sec"), 1);
}

TEST_F(GlobalsTest, GsetGvarGremove) {
    header* result = call(builtinGset, {"a", 5});
    EXPECT_EQ(errorCode, 0);
    EXPECT_TRUE(isNoResultMarker(result));
    EXPECT_EQ(newram, endOf(result));
    EXPECT_EQ(callForReal(builtinGvar, {"a"}), 5);
    EXPECT_STREQ(findGlobal("a")->name, "a");

    call(builtinGremove, {"a"});
    EXPECT_EQ(errorCode, 0);
    call(builtinGvar, {"a"});
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Global variable a not found\n");
    call(builtinGremove, {"a"});  // unknown names are ignored
    EXPECT_EQ(errorCode, 0);

    call(builtinGset, {"b", 1});
    call(builtinGlist, {"L"});
    newram = endlocal;
    builtinGclear(nullptr);
    EXPECT_TRUE(isNoResultMarker(recordAt(endlocal)));
    EXPECT_EQ(findGlobal("b"), nullptr);
    output();
    call(builtinGlistlength, {"L"});
    EXPECT_EQ(output(), "Global list L not found\n");
}

TEST_F(GlobalsTest, WrongArgumentKinds) {
    struct Case {
        void (*handler)(header*);
        std::vector<Arg> args;
        const char* message;
    };
    call(builtinGlist, {"L"});
    const Case cases[] = {
        {builtinGset, {1, 2}, "Need variable name and value for gset\n"},
        {builtinGvar, {1}, "Need variable name for gvar\n"},
        {builtinGremove, {1}, "Need variable name for gremove\n"},
        {builtinGlist, {1}, "Need list name for glist\n"},
        {builtinGlistlength, {1}, "Need list name for glistlength\n"},
        {builtinGlistremove, {1}, "Need list name for glistremove\n"},
        {builtinGlistadd, {1, 1}, "Need list name and value for glistadd\n"},
        {builtinGlistget, {"L", "x"}, "Need list name and index for glistget\n"},
        {builtinGlistdelete, {1, 1}, "Need list name and index for glistdelete\n"},
        {builtinGlistinsert, {"L", "x", 1}, "Need list name, index, value for glistinsert\n"},
        {builtinGlistput, {1, 1, 1}, "Need list name, index, value for glistput\n"},
    };
    output();
    for (const Case& c : cases) {
        call(c.handler, c.args);
        EXPECT_EQ(errorCode, 26) << c.message;
        EXPECT_EQ(output(), c.message);
    }
}

TEST_F(GlobalsTest, ListOperations) {
    call(builtinGlist, {"L"});
    EXPECT_EQ(callForReal(builtinGlistadd, {"L", 1}), 1);
    EXPECT_EQ(callForReal(builtinGlistadd, {"L", 2}), 2);
    EXPECT_EQ(callForReal(builtinGlistinsert, {"L", 0.0, 7}), 3);  // below 1: at the front
    EXPECT_EQ(callForReal(builtinGlistget, {"L", 1}), 7);
    EXPECT_EQ(callForReal(builtinGlistinsert, {"L", 2.9, 8}), 4);  // truncated: before element 2
    EXPECT_EQ(callForReal(builtinGlistget, {"L", 2}), 8);
    EXPECT_EQ(callForReal(builtinGlistinsert, {"L", 99, 9}), 5);  // beyond the count: appended
    EXPECT_EQ(callForReal(builtinGlistget, {"L", 5}), 9);

    EXPECT_EQ(callForReal(builtinGlistput, {"L", 6, 10}), 6);  // one beyond the count appends
    EXPECT_EQ(callForReal(builtinGlistget, {"L", 6}), 10);
    EXPECT_EQ(callForReal(builtinGlistput, {"L", -3, 11}), 6);  // below 1 replaces the first
    EXPECT_EQ(callForReal(builtinGlistget, {"L", 1}), 11);
    EXPECT_EQ(callForReal(builtinGlistput, {"L", 3, 12}), 6);
    EXPECT_EQ(callForReal(builtinGlistget, {"L", 3}), 12);

    EXPECT_EQ(callForReal(builtinGlistdelete, {"L", 1}), 5);
    EXPECT_EQ(callForReal(builtinGlistget, {"L", 1}), 8);
    EXPECT_EQ(callForReal(builtinGlistlength, {"L"}), 5);

    call(builtinGlist, {"L"});  // an existing list is emptied
    EXPECT_EQ(callForReal(builtinGlistlength, {"L"}), 0);
    EXPECT_EQ(callForReal(builtinGlistput, {"L", 3, 4}), 1);  // an empty list appends
    call(builtinGlistremove, {"L"});
    EXPECT_EQ(errorCode, 0);
    output();
    call(builtinGlistlength, {"L"});
    EXPECT_EQ(errorCode, 1);
    EXPECT_EQ(output(), "Global list L not found\n");
}

TEST_F(GlobalsTest, ListIndexOutOfRange) {
    call(builtinGlist, {"L"});
    for (double x : {1.0, 2.0, 3.0}) call(builtinGlistadd, {"L", x});
    output();
    struct Case {
        void (*handler)(header*);
        double index;
        const char* message;
    };
    const Case cases[] = {
        {builtinGlistget, 4, "List index 4 out of range 3 in list L.\n"},
        {builtinGlistget, 0, "List index 0 out of range 3 in list L.\n"},
        {builtinGlistdelete, 4, "List index 4 out of range 3 in list L.\n"},
        {builtinGlistdelete, -1e300, "List index -2147483647 out of range 3 in list L.\n"},
    };
    for (const Case& c : cases) {
        call(c.handler, {"L", c.index});
        EXPECT_EQ(errorCode, 1);
        EXPECT_EQ(output(), c.message);
    }
    EXPECT_EQ(callForReal(builtinGlistlength, {"L"}), 3);
    call(builtinGlistget, {"L", std::nan("")});
    EXPECT_EQ(errorCode, 26);
}

TEST_F(GlobalsTest, ListsGrowAndKeepTheirElements) {
    call(builtinGlist, {"big"});
    for (int i = 1; i <= 100; i++) EXPECT_EQ(callForReal(builtinGlistadd, {"big", double(i)}), i);
    for (int i = 1; i <= 100; i += 33)
        EXPECT_EQ(callForReal(builtinGlistget, {"big", double(i)}), i);
    // Elements are copies: strings and matrices come back whole.
    call(builtinGlistadd, {"big", "some text"});
    header* text = call(builtinGlistget, {"big", 101});
    ASSERT_EQ(text->kind, kindString);
    EXPECT_STREQ(stringOf(text), "some text");
}

TEST_F(GlobalsTest, ListGetRefusesWhenTheStackIsFull) {
    call(builtinGlist, {"L"});
    call(builtinGlistadd, {"L", "a string that needs a record of more than a few bytes"});
    output();
    header* first = recordAt(endlocal);
    newram = endlocal;
    pushCString("L");
    pushReal(1);
    char* top = newram;
    ramend = newram + 64;  // the index fits, the element does not
    builtinGlistget(first);
    EXPECT_EQ(errorCode, 120);
    EXPECT_EQ(output(), "Out of Memory!\n");
    EXPECT_EQ(newram, top);
}

}  // namespace

}  // namespace kalix
