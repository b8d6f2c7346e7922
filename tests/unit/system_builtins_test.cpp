// Helpers of the system builtins: string vectors made from output lines and
// names, and their refusal when the stack cannot hold them.
#include <gtest/gtest.h>

#include "program_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "builtins/system_values.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

using SystemValues = ProgramTest;

std::vector<std::string> stringsOf(header* vector) {
    std::vector<std::string> strings;
    int n = countStrings(vector);
    for (int k = 1; k <= n; k++) strings.push_back(getStringVectorItem(vector, k));
    return strings;
}

TEST_F(SystemValues, OutputLinesBecomeStrings) {
    using Strings = std::vector<std::string>;
    struct Case {
        std::string text;
        bool restAlways;
        Strings strings;
    } cases[] = {
        {"", false, {}},
        {"", true, {""}},
        {"a\nb", false, {"a", "b"}},
        {"a\nb\n", false, {"a", "b"}},
        {"a\nb\n", true, {"a", "b", ""}},
        {"a\r\n\r\nb\r", false, {"a", "", "b"}},
        {"\r", false, {}},
        {std::string("x\0y\n", 4), false, {"xy"}},  // zero bytes cannot stand in a string
    };
    for (const Case& c : cases) {
        char* top = newram;
        header* vector = pushLineVector(c.text, c.restAlways);
        ASSERT_NE(vector, nullptr);
        EXPECT_EQ(vector->kind, kindStringMatrix);
        EXPECT_EQ(vector->size % 8, 0);
        EXPECT_EQ(endOf(vector), newram);
        EXPECT_EQ(stringsOf(vector), c.strings) << c.text;
        newram = top;
    }
    header* names = pushNameVector({"a.k", "sub/", ""});
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(stringsOf(names), (Strings{"a.k", "sub/", ""}));
}

TEST_F(SystemValues, AVectorTheStackCannotHoldIsRefusedBeforeItIsWritten) {
    char pattern[] = "/tmp/kalix-names-XXXXXX";
    std::string directory = mkdtemp(pattern);
    for (int i = 0; i < 2000; i++) std::ofstream(directory + "/name" + std::to_string(i) + ".txt");
    // Room for a few hundred names only; the bytes beyond the end are watched.
    char* end = ramstart + 16384;
    std::memset(end, 0x5A, 4096);
    ramend = end;
    run("d = dir(\"" + directory + "/*\")\n");
    EXPECT_EQ(output().rfind("Stack overflow!\n", 0), 0u);
    for (int i = 0; i < 4096; i++) ASSERT_EQ(end[i], 0x5A) << i;
    ramend = ramstart + (4 << 20);
    std::system(("rm -rf '" + directory + "'").c_str());
    errorCode = 0;
    char* top = newram;
    ramend = newram + 1024;
    EXPECT_EQ(pushLineVector(std::string(200000, 'x'), false), nullptr);
    EXPECT_EQ(errorCode, errorStackOverflow);
    EXPECT_EQ(newram, top);
}

}  // namespace

}  // namespace kalix
