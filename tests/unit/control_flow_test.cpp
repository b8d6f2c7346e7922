// Loops and conditionals inside stored function bodies: command tokens,
// lines crossed while scanning, and the jump caches of later passes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "interpreter/commands.h"
#include "interpreter/main_loop.h"
#include "interpreter/scanner.h"
#include "interpreter/variables.h"
#include "stack_fixture.h"

namespace kalix {

namespace {

// A stored body built by hand: text, command tokens (byte 3, index,
// cache), lines ending in 0, the body ending in 1.
class Body {
  public:
    Body& text(const char* t) {
        bytes += t;
        return *this;
    }
    Body& command(const char* name) {
        const CommandRecord* row = lookupCommandName(name);
        EXPECT_NE(row, nullptr) << name;
        int32_t index = row ? commandIndex(row) : 0, cache = 0;
        tokens.push_back(bytes.size());
        bytes += commandToken;
        bytes.append(reinterpret_cast<const char*>(&index), 4);
        bytes.append(reinterpret_cast<const char*>(&cache), 4);
        return *this;
    }
    Body& endLine() {
        bytes += '\0';
        return *this;
    }
    void finish() { bytes += endOfBody; }

    // The cache of the k-th command token.
    int32_t cache(int k) const {
        int32_t value;
        std::memcpy(&value, bytes.data() + tokens[k] + 5, 4);
        return value;
    }
    // Replaces the command of the k-th token.
    void recode(int k, const char* name) {
        int32_t index = commandIndex(lookupCommandName(name));
        std::memcpy(&bytes[tokens[k] + 1], &index, 4);
    }
    // Offset just after the k-th token.
    size_t after(int k) const { return tokens[k] + 9; }

    std::string bytes;
    std::vector<size_t> tokens;
};

class StoredBodyTest : public SmallStack {
  protected:
    void SetUp() override {
        SmallStack::SetUp();
        sortCommands();
        inLoop = 0;
    }
    void TearDown() override {
        functionState = functionTopLevel;
        inLoop = 0;
        scanPointer = inputLine;
        lineStart = inputLine;
        SmallStack::TearDown();
    }

    // A variable of the running frame.
    void setLocal(const char* name, double value) {
        if (header* variable = findVariable(name)) {
            std::memcpy(dataOf(variable), &value, 8);
            return;
        }
        newram = endlocal;
        pushReal(value, name);
        endlocal = newram;
    }
    double local(const char* name) {
        header* variable = findVariable(name);
        EXPECT_NE(variable, nullptr) << name;
        return variable ? realOf(variable) : -1;
    }

    // Runs the body's statements until it ends or fails.
    void run(Body& body) {
        functionState = functionRunning;
        scanPointer = lineStart = body.bytes.data();
        errorCode = 0;
        while (functionState == functionRunning && !errorCode) executeNextStatement();
        functionState = functionTopLevel;
    }
};

}  // namespace

TEST_F(StoredBodyTest, LoopWithBreakCachesTheDistanceToItsEnd) {
    Body body;
    body.text(" n=0;").endLine();
    body.command("for").text(" i=1 to 5").endLine();  // token 0
    body.text(" n=n+1;").endLine();
    body.command("if")
        .text(" i==k ")
        .command("then")
        .text(" ")  // tokens 1, 2
        .command("break")
        .text(";")
        .command("endif")
        .endLine();                 // tokens 3, 4
    body.command("end").endLine();  // token 5
    body.finish();

    setLocal("k", 3);
    run(body);
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(local("n"), 3);
    EXPECT_EQ(local("i"), 3);
    EXPECT_EQ(body.cache(0), int32_t(body.after(5) - body.after(0)));

    // The second run jumps: with the `end` gone, a scan would fail.
    body.recode(5, "endif");
    setLocal("k", 1);
    run(body);
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(local("n"), 1);
    EXPECT_EQ(local("i"), 1);
}

TEST_F(StoredBodyTest, ElseifChainCachesEachBranch) {
    Body body;
    body.command("if").text(" a==1 ").command("then").text(" r=1;").endLine();      // 0, 1
    body.command("elseif").text(" a==2 ").command("then").text(" r=2;").endLine();  // 2, 3
    body.command("else").text(" r=3;").endLine();                                   // 4
    body.command("endif").endLine();                                                // 5
    body.finish();

    setLocal("r", 0);
    setLocal("a", 3);
    run(body);
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(local("r"), 3);
    // `if` jumps to after the `elseif` (negative), `elseif` after the `else`.
    EXPECT_EQ(body.cache(0), -int32_t(body.after(2) - body.after(0)));
    EXPECT_EQ(body.cache(2), int32_t(body.after(4) - body.after(2)));

    // A stray `if` in the first branch would break a scan, not the jumps.
    body.recode(1, "if");
    for (double a : {3.0, 2.0}) {
        setLocal("a", a);
        run(body);
        ASSERT_EQ(errorCode, 0) << output();
        EXPECT_EQ(local("r"), a);
    }
}

TEST_F(StoredBodyTest, ScansCrossLinesAndReportTheMissingKeyword) {
    struct Case {
        const char* head;  // command opening the construct
        const char* rest;  // text after it
        const char* message;
    } cases[] = {
        {"for", " i=5 to 1", "\"end\" missing!\n"},
        {"if", " 0", "\"endif\" missing, searching for \"else\"!\n"},
        {"loop", " 2 to 1", "\"end\" missing!\n"},
    };
    for (const Case& c : cases) {
        Body body;
        body.command(c.head).text(c.rest).endLine();
        body.text(" x=1;").endLine();
        body.finish();
        run(body);
        EXPECT_EQ(errorCode, 110) << c.head;
        EXPECT_EQ(output().rfind(c.message, 0), 0u) << c.head;
    }
}

TEST_F(StoredBodyTest, ReturnInsideALoopEndsTheBody) {
    Body body;
    body.command("repeat").endLine();
    body.text(" x=1;").command("return").endLine();
    body.command("end").endLine();
    body.finish();
    functionState = functionRunning;
    scanPointer = lineStart = body.bytes.data();
    executeNextStatement();
    EXPECT_EQ(errorCode, 0) << output();
    EXPECT_EQ(functionState, functionReturned);
    EXPECT_EQ(local("x"), 1);
}

}  // namespace kalix
