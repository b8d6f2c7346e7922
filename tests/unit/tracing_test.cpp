// The tracer driven by keys queued ahead, as the terminal delivers them:
// stepping, stepping over calls, running to the return, stopping, aborting,
// evaluating in the traced frame, the key help and long lines.
#include <gtest/gtest.h>

#include "piped_input.h"
#include "program_fixture.h"

#include <string>

#include "platform/host.h"
#include "terminal/terminal_keys.h"

namespace kalix {

namespace {

const char* const down = "\x1b[B";
const char* const right = "\x1b[C";
const char* const up = "\x1b[A";
const char* const left = "\x1b[D";
const char* const insert = "\x1b[2~";
const char* const escape = "\x1b";

const char* const functions =
    "function g(x)\n"
    "  y = x * 2;\n"
    "  return y\n"
    "endfunction\n"
    "function f(a)\n"
    "  b = g(a);\n"
    "  c = b + 1;\n"
    "  return c\n"
    "endfunction\n"
    "trace f\n";

const char* const keyHelp =
    "\nKeys :\ncursor_down   Single step\ncursor_right  Step over subroutines\n"
    "cursor_up     Go until return\ninsert        Evaluate expression\n"
    "escape        Abort execution\ncursor-left   Stop tracing\n\n";

// Standard input is a pipe holding `answers` (the lines an evaluation
// reads); when the queued keys run out the pipe's end is Escape.
class TracingTest : public ProgramTest {
  protected:
    void TearDown() override {
        queueKeys(nullptr);
        ProgramTest::TearDown();
    }

    // Runs the program with the keys queued; returns what it printed.
    std::string trace(const std::string& program, const std::string& keys,
                      const std::string& answers = "") {
        PipedStandardInput input(answers);
        queueKeys(keys.c_str());
        run(program, true);
        return output();
    }
};

TEST_F(TracingTest, KeysSteerTheTrace) {
    struct Case {
        std::string keys;
        std::string expected;
    } cases[] = {
        // Single steps go into the called function.
        {std::string(down) + down + down + down + down,
         "Tracing f\nf: b = g(a);\ng: y = x * 2;\ng: return y\nf: c = b + 1;\nf: return c\n5\n"},
        // Stepping over the call runs g untraced.
        {std::string(right) + down + down,
         "Tracing f\nf: b = g(a);\nf: c = b + 1;\nf: return c\n5\n"},
        // Running to the return inside g shows f's next line.
        {std::string(down) + up + down + down,
         "Tracing f\nf: b = g(a);\ng: y = x * 2;\nf: c = b + 1;\nf: return c\n5\n"},
        // Running to the return in f ends the trace of this call.
        {std::string(up), "Tracing f\nf: b = g(a);\n5\n"},
        // Stopping the trace holds for the callers too.
        {std::string(down) + left, "Tracing f\nf: b = g(a);\ng: y = x * 2;\n5\n"},
        // Function keys do the same as the cursor keys: F1 step, F2 step
        // over, F3 run to the return, F10 stop.
        {"\x1bOP\x1bOR\x1bOQ\x1bOQ",
         "Tracing f\nf: b = g(a);\ng: y = x * 2;\nf: c = b + 1;\nf: return c\n5\n"},
        {"\x1bOQ\x1bOQ\x1bOQ", "Tracing f\nf: b = g(a);\nf: c = b + 1;\nf: return c\n5\n"},
        {"\x1b[21~", "Tracing f\nf: b = g(a);\n5\n"},
        // Any other key shows the help and waits on.
        {std::string("x") + up, std::string("Tracing f\nf: b = g(a);\n") + keyHelp + "5\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trace(std::string(functions) + "f(2)\n", c.keys), c.expected) << c.keys;
        TearDown();
        SetUp();
    }
}

TEST_F(TracingTest, EscapeAbortsWithTheTraceback) {
    for (const char* key : {escape, "\x1b[20~"}) {  // Escape and F9
        std::string printed = trace(std::string(functions) + "f(2)\n", std::string(down) + key);
        EXPECT_EQ(printed,
                  "Tracing f\nf: b = g(a);\ng: y = x * 2;\nTrace interrupted\n"
                  "g:\n    y = x * 2;\n"
                  "Try \"trace errors\" to inspect local variables after errors.\n"
                  "f:\n    b = g(a);\n")
            << key;
        TearDown();
        SetUp();
    }
}

TEST_F(TracingTest, InsertEvaluatesInTheTracedFrame) {
    // Insert (and F4) read an expression; a wrong one is asked again, and
    // the trace goes on afterwards. (Captured output does not show the line
    // end a piped answer gets.)
    std::string keys = std::string(down) + insert + "\x1bOS" + down + up + up;
    std::string printed = trace(std::string(functions) + "f(2)\n", keys, "x + 1\nnosuch\nx * 3\n");
    EXPECT_EQ(printed,
              "Tracing f\nf: b = g(a);\ng: y = x * 2;\n"
              "Expression? 3\n"
              "Expression? Variable nosuch not found!\n"
              "Use global or local variables defined in function g.\nError in input!\n"
              "Expression? 6\n"
              "g: return y\nf: c = b + 1;\n5\n");
}

TEST_F(TracingTest, AnErrorInTheEvaluationStaysSet) {
    // Escape at the question is error 53: the next step ends the call.
    std::string printed =
        trace(std::string(functions) + "f(2)\n", std::string(insert) + down, "escape\n");
    EXPECT_EQ(printed,
              "Tracing f\nf: b = g(a);\nExpression? "
              "Try \"trace errors\" to inspect local variables after errors.\n"
              "f:\n    b = g(a);\nError in:\nf(2)\n    ^\n");
}

TEST_F(TracingTest, TracingOnShowsEveryFunctionAndLongLinesInPieces) {
    std::string program =
        "function long(a)\n"
        "  return a + 1111111111 + 2222222222 + 3333333333 + 4444444444 + 5555555555 + "
        "6666666666\n"
        "endfunction\n"
        "trace on\n"
        "long(1)\n"
        "trace off\n"
        "long(1)\n";
    std::string printed = trace(program, down);
    EXPECT_EQ(printed,
              "long: return a + 1.11111e+09 + 2.22222e+09 + 3.33333e+09 + 4.44444e+09 ...\n"
              "+ 5.55556e+09 + 6.66667e+09\n"
              "23333333332\n23333333332\n");
}

TEST_F(TracingTest, JumpsToEndifAndEndShowTheirLines) {
    std::string program =
        "function k(x)\n"
        "  if x > 0;\n"
        "    y = 1;\n"
        "  else;\n"
        "    y = 2;\n"
        "  endif;\n"
        "  return y\n"
        "endfunction\n"
        "trace k\n"
        "k(1)\n";
    std::string keys;
    for (int i = 0; i < 6; i++) keys += down;
    EXPECT_EQ(trace(program, keys),
              "Tracing k\nk: if x > 0;\nk: y = 1;\nk: else;\nk: endif;\nk: return y\n1\n");
}

}  // namespace

}  // namespace kalix
