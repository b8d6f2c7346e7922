// Looking up globals by name: many names in one store, names that differ
// in one character or are prefixes of others, and names handed in from a
// stored record itself.
#include <gtest/gtest.h>

#include <string>

#include "global_store_fixture.h"
#include "interpreter/globals.h"
#include "interpreter/stack.h"

namespace kalix {

namespace {

using GlobalNamesTest = GlobalStoreTest;

TEST_F(GlobalNamesTest, ManyNamesEachFindTheirOwnValue) {
    const int count = 3000;
    auto nameOf = [](int i) {
        return (i % 3 == 0 ? "v" : i % 3 == 1 ? "v_" : "w$$") + std::to_string(i);
    };
    for (int i = 0; i < count; i++) {
        newram = endlocal;
        ASSERT_NE(putGlobal(nameOf(i).c_str(), pushReal(i), 0), nullptr);
    }
    for (int i = 0; i < count; i += 2) removeGlobal(nameOf(i).c_str());
    for (int i = 0; i < count; i++) {
        header* found = findGlobal(nameOf(i).c_str());
        if (i % 2 == 0) {
            EXPECT_EQ(found, nullptr) << nameOf(i);
        } else {
            ASSERT_NE(found, nullptr) << nameOf(i);
            EXPECT_EQ(realOf(found), i);
            EXPECT_EQ(found->name, nameOf(i));
        }
    }
    for (const char* unknown : {"", "v", "v_", "v1x", "v_1 ", "V_1"})
        EXPECT_EQ(findGlobal(unknown), nullptr) << unknown;
}

TEST_F(GlobalNamesTest, PrefixesAndOneCharacterApart) {
    const char* names[] = {"a", "ab", "abc", "b", "ba", "%", "%%", "x$$", "x$"};
    for (int i = 0; i < int(std::size(names)); i++) putGlobal(names[i], pushReal(i), 0);
    for (int i = 0; i < int(std::size(names)); i++) {
        header* found = findGlobal(names[i]);
        ASSERT_NE(found, nullptr) << names[i];
        EXPECT_EQ(realOf(found), i) << names[i];
    }
}

// The name may lie in the record being stored, or in the block that a
// larger value replaces.
TEST_F(GlobalNamesTest, NameTakenFromTheStoredRecord) {
    header* a = putGlobal("a", pushReal(1), 0);
    EXPECT_EQ(putGlobal(a->name, a, 0), a);
    EXPECT_STREQ(findGlobal("a")->name, "a");

    header* matrix = pushRealMatrix(20, 20);
    matrixData(matrix)[399] = 7;
    header* replaced = putGlobal(findGlobal("a")->name, matrix, 0);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(findGlobal("a"), replaced);
    EXPECT_STREQ(replaced->name, "a");
    EXPECT_EQ(replaced->hash, hashName("a"));
    EXPECT_EQ(matrixData(replaced)[399], 7);
}

}  // namespace

}  // namespace kalix
