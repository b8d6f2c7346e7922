// User functions: the stored record, the function index, and the guard
// against runaway recursion on the machine stack.
#include <gtest/gtest.h>

#include "program_fixture.h"

#include <pthread.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/engine_services.h"
#include "interpreter/function_area.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "program_fixture.h"

namespace kalix {

namespace {

// Programs run on a stack of their own (program_fixture.h).
class FunctionsTest : public ProgramTest {
  protected:
    header* function(const char* name) {
        header* f = findFunction(name);
        EXPECT_NE(f, nullptr) << name;
        return f;
    }

    // The stored body of a function as bytes.
    std::string bodyOf(const char* name) {
        header* f = function(name);
        if (!f) return "";
        char* body = functionBody(f);
        return std::string(body, size_t(endOf(f) - body));
    }
};

std::string numberTokenOf(double x) {
    std::string token(1, numberToken);
    token.append(reinterpret_cast<const char*>(&x), 8);
    return token;
}

std::string commandTokenOf(const char* name) {
    int32_t index = commandIndex(lookupCommandName(name)), cache = 0;
    std::string token(1, commandToken);
    token.append(reinterpret_cast<const char*>(&index), 4);
    token.append(reinterpret_cast<const char*>(&cache), 4);
    return token;
}

TEST_F(FunctionsTest, RecordHoldsCountsFlagsAndDefaults) {
    ASSERT_EQ(run("function f(a, b=2, c) := a\n"
                  "function g([a, b, c], d) := a\n"
                  "function map h(x; y, z: integer positive) := x\n"
                  "function k(a, ...) := a\n"),
              0)
        << output();
    struct Case {
        const char* name;
        int parameters, minimum, semicolon;
        int32_t flags;
    } cases[] = {
        {"f", 3, 1, 0, 0},
        {"g", 4, 2, 0, 0},
        {"h", 3, 3, 1, userFunctionMap},
        {"k", 1, 1, 0, userFunctionExtraArguments},
    };
    for (const Case& c : cases) {
        header* f = function(c.name);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->kind, kindFunction);
        EXPECT_EQ(f->size % 8, 0);
        EXPECT_EQ(functionParameterCount(f), c.parameters) << c.name;
        EXPECT_EQ(functionMinimumArguments(f), c.minimum) << c.name;
        EXPECT_EQ(functionSemicolonPosition(f), c.semicolon) << c.name;
        EXPECT_EQ(f->flags & (userFunctionMap | userFunctionExtraArguments), c.flags) << c.name;
    }

    // f's second entry carries the default 2 as a record named "b".
    Parameter a = readParameter(functionParameters(function("f")));
    Parameter b = readParameter(a.next);
    EXPECT_STREQ(a.name, "a");
    EXPECT_EQ(a.defaultRecord, nullptr);
    ASSERT_NE(b.defaultRecord, nullptr);
    header copy;
    double value;
    std::memcpy(&copy, b.defaultRecord, sizeof copy);
    std::memcpy(&value, b.defaultRecord + headerSize, 8);
    EXPECT_EQ(copy.kind, kindReal);
    EXPECT_STREQ(copy.name, "b");
    EXPECT_EQ(copy.hash, hashName("b"));
    EXPECT_EQ(value, 2);

    // g's group and h's annotations.
    Parameter g1 = readParameter(functionParameters(function("g")));
    EXPECT_EQ(g1.flags, parameterGroupStart);
    Parameter h3 =
        readParameter(readParameter(readParameter(functionParameters(function("h"))).next).next);
    EXPECT_EQ(h3.flags, annotationInteger | annotationPositive);
}

TEST_F(FunctionsTest, BodyStoresNumbersAndCommandsAsTokens) {
    ASSERT_EQ(run("function t(x)\n"
                  "  x1 = 12.5; end1 // comment\n"
                  "  s = \"return 3\"; list = .5\n"
                  "endfunction\n"),
              0)
        << output();
    std::string expected = "  x1 = " + numberTokenOf(12.5) + "; " + commandTokenOf("end") + "1 " +
                           '\0' + "  s = \"return 3\"; list = " + numberTokenOf(0.5) + '\0' +
                           endOfBody;
    std::string body = bodyOf("t");
    EXPECT_EQ(body.substr(0, expected.size()), expected);
    // Only padding follows the body end.
    EXPECT_EQ(body.find_first_not_of('\0', expected.size()), std::string::npos);
    EXPECT_STREQ(detokenizeLine(functionBody(function("t"))), "  x1 = 12.5; end1 ");
}

TEST_F(FunctionsTest, TextLinesHoldOriginAndHelp) {
    ASSERT_EQ(run("function f(x)\n## Doubles x.\n## Second line.\n  return 2*x\nendfunction\n"
                  "function g(x) := x // the identity\n"
                  "function h(x) := x\n"),
              0)
        << output();
    EXPECT_STREQ(buildFunctionHeader(function("f"), 1), "f (x)  Doubles x.");
    EXPECT_STREQ(buildFunctionHeader(function("g"), 1), "g (x)  the identity");
    EXPECT_STREQ(buildFunctionHeader(function("h"), 1), "h (x) Kalix function has no help line!");
    EXPECT_EQ(std::string(functionTextLines(function("h"))).rfind("## Function in file : ", 0), 0u);
}

// Without the engines installed, Python and C definitions and Python blocks
// are refused and their lines up to "endfunction" consumed.
TEST_F(FunctionsTest, ForeignDefinitionsWithoutEnginesAreRefused) {
    ASSERT_EQ(foreignEngines.definePythonFunction, nullptr);
    struct Case {
        const char* program;
        const char* message;
    } cases[] = {
        {"function python f(x)\n  return x\nendfunction\n", "Python is not available.\n"},
        {"function tinyc f(x)\n  return x;\nendfunction\n", "Tiny C is not available.\n"},
        {"function python\nprint(1)\nendfunction\n", "Python is not available.\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.program), errorFailed) << c.program;
        // The error is shown at "endfunction": the lines before it are gone.
        EXPECT_EQ(output(), std::string(c.message) + "Error in:\nendfunction\n           ^\n")
            << c.program;
        EXPECT_EQ(findAnyFunction("f"), nullptr) << c.program;
        errorCode = 0;
    }
}

// What an engine is handed for a definition; it reads the body lines itself.
struct SeenDefinition {
    std::string name;
    int parameters = -1;
    std::string body;
    bool recordOnTop = false;
};
SeenDefinition seen;

void takeBody(const char* name, int parameters) {
    seen.name = name;
    seen.parameters = parameters;
    // The engine's reader: lines up to "endfunction", which it steps over.
    while (std::strncmp(scanPointer, "endfunction", 11) != 0) {
        seen.body += scanPointer;
        seen.body += "|";
        nextCodeLine();
        if (errorCode) return;
    }
    scanPointer += 11;
}

TEST_F(FunctionsTest, ForeignDefinitionsHandTheirLinesToTheEngine) {
    ForeignEngines saved = foreignEngines;
    foreignEngines.definePythonFunction = [](const char* name, header* f) {
        seen.recordOnTop = endOf(f) == newram && (f->flags & userFunctionPython);
        takeBody(name, functionParameterCount(f));
    };
    foreignEngines.defineTinycFunction = [](const char* name, int n) { takeBody(name, n); };

    seen = SeenDefinition();
    ASSERT_EQ(run("function python p(a, b)\n## Help of p.\n  return a\n  # more\nendfunction\n"), 0)
        << output();
    EXPECT_EQ(seen.name, "p");
    EXPECT_EQ(seen.parameters, 2);
    EXPECT_EQ(seen.body, "  return a|  # more|");
    EXPECT_TRUE(seen.recordOnTop);
    header* p = function("p");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->flags & userFunctionPython);
    EXPECT_EQ(bodyOf("p").substr(0, 2), std::string("\0\1", 2));
    EXPECT_STREQ(buildFunctionHeader(p, 1), "python p (a, b)  Help of p.");

    seen = SeenDefinition();
    ASSERT_EQ(run("function tinyc c(x)\n  newreal(1);\nendfunction\n"), 0) << output();
    EXPECT_EQ(seen.name, "c");
    EXPECT_EQ(seen.parameters, 1);
    EXPECT_EQ(seen.body, "  newreal(1);|");
    // A tinyc record is hidden: calls go to the compiled function.
    EXPECT_EQ(findFunction("c"), nullptr);
    EXPECT_NE(findAnyFunction("c"), nullptr);
    foreignEngines = saved;
}

TEST_F(FunctionsTest, UsageLineShowsFiveParametersAndOptionalOnes) {
    ASSERT_EQ(run("function many(a, b=1, c, d, e, f, g) := a\n"
                  "function map args m([u, v], w: index, s: string vector) := w\n"),
              0)
        << output();
    EXPECT_STREQ(buildFunctionHeader(function("many"), 0), "many (a {, b, c, d, e, ...}) ");
    EXPECT_STREQ(buildFunctionHeader(function("m"), 0),
                 "map args m ([u, v], w: index, s: vector string) ");
}

TEST_F(FunctionsTest, AnnotationSuffixPrefersCompositeWords) {
    struct Case {
        int32_t flags;
        const char* text;
    } cases[] = {
        {0, ""},
        {parameterHasDefault | parameterGroupStart, ""},
        {0x3400, ": index"},
        {0x408, ": number"},
        {0x5400, ": natural"},
        {0x3100 | 0x40, ": indices string"},
        {0x10 | 0x400, ": scalar complex"},
    };
    for (const Case& c : cases) EXPECT_STREQ(getParameterTypeName(c.flags), c.text) << c.flags;
}

TEST_F(FunctionsTest, IndexFollowsDefinitionsRemovalsAndAliases) {
    ASSERT_EQ(run("function f(x) := 1\nfunction comment hidden(x) := 2\nfunction g(x) := 3\n"), 0)
        << output();
    header* f = findFunction("f");
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->name, "f");
    // A later definition moves f; the index follows.
    ASSERT_EQ(run("function later(x) := 4\n"), 0);
    EXPECT_NE(findFunction("f"), f);
    EXPECT_STREQ(findFunction("f")->name, "f");
    removeFunction("g");
    EXPECT_EQ(findFunction("g"), nullptr);

    EXPECT_EQ(findFunction("hidden"), nullptr);
    ASSERT_NE(findAnyFunction("hidden"), nullptr);
    // A hidden function is not replaced by its alias.
    addAlias("hidden", "f");
    EXPECT_EQ(findFunction("hidden"), nullptr);
    // One alias step, not two.
    addAlias("viaf", "f");
    addAlias("twice", "viaf");
    EXPECT_STREQ(findFunction("viaf")->name, "f");
    EXPECT_EQ(findFunction("twice"), nullptr);

    EXPECT_STREQ(findMapFunction("fmap")->name, "f");
    EXPECT_EQ(findMapFunction("map"), nullptr);
    EXPECT_EQ(findMapFunction("later"), nullptr);
    EXPECT_EQ(findMapFunction(std::string(30, 'x').append("map").c_str()), nullptr);
}

// --- the function area -------------------------------------------------------

// What a program leaves in the function area: its bytes, the names from
// `ramstart` on, what calls and "%" give.
struct FunctionArea {
    std::string bytes;
    std::vector<std::string> names;
    std::string output;
    bool operator==(const FunctionArea&) const = default;
};

class FunctionAreaTest : public FunctionsTest {
  protected:
    FunctionArea areaAfter(const std::string& program) {
        EXPECT_EQ(run(program), 0) << output();
        FunctionArea area;
        area.bytes.assign(ramstart, size_t(functionsEnd - ramstart));
        for (char* p = ramstart; p < functionsEnd; p += recordAt(p)->size)
            area.names.push_back(recordAt(p)->name);
        area.output = output();
        return area;
    }
};

std::string definition(int i, const char* body) {
    return "function f" + std::to_string(i) + "(x) := x" + body + std::to_string(i) + "\n";
}

// New functions fill room kept below the area (moving everything up only
// when it runs out); the area must come out byte for byte as when every
// definition moves everything above `ramstart` up: newest first, a
// redefinition first, a forgotten function gone, "%" kept.
TEST_F(FunctionAreaTest, RoomBelowTheAreaKeepsOrderAndRecords) {
    const int n = 3000;
    std::string program = "7*6\n";
    std::vector<std::string> expected;
    for (int i = 0; i < n; i++) {
        program += definition(i, "+");
        expected.insert(expected.begin(), "f" + std::to_string(i));
    }
    for (int i = 0; i < n; i += 7) {
        program += definition(i, "-");
        std::erase(expected, "f" + std::to_string(i));
        expected.insert(expected.begin(), "f" + std::to_string(i));
    }
    program += "forget f1, f2999, f2996\n";
    for (const char* gone : {"f1", "f2999", "f2996"}) std::erase(expected, gone);
    program += "%\nf0(1), f2(1), f7(1), f2998(1)\n";

    FunctionArea moving = areaAfter(program);
    EXPECT_EQ(moving.names, expected);
    EXPECT_EQ(moving.output, "42\n42\n1\n3\n-6\n2999\n");

    for (int offset : {0, 4096}) {
        SCOPED_TRACE(offset);
        TearDown();
        SetUp();
        stackBlock = ramstart;
        ramstart = newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal =
            stackBlock + offset;
        EXPECT_EQ(areaAfter(program), moving);
        EXPECT_GT(ramstart - stackBlock, 0);
        for (const std::string& name : expected)
            ASSERT_NE(findFunction(name.c_str()), nullptr) << name;
        EXPECT_EQ(findFunction("f1"), nullptr);

        // With room left nothing above the new function moves.
        header* oldest = findFunction("f0");
        char* room = ramstart;
        ASSERT_EQ(run("function g(x) := x\n"), 0) << output();
        ASSERT_LT(ramstart, room);
        EXPECT_EQ(findFunction("f0"), oldest);
        EXPECT_STREQ(recordAt(ramstart)->name, "g");
    }
}

// Redefinitions and removals in any order: after each, the listing order is
// the one of a list kept beside, and every name leads to the record that a
// walk through the area finds; with and without room below the area the
// area comes out the same.
TEST_F(FunctionAreaTest, IndexAndOrderFollowRemovalsInAnyOrder) {
    std::vector<std::string> runs[2];
    for (int withRoom : {0, 1}) {
        SCOPED_TRACE(withRoom);
        TearDown();
        SetUp();
        if (withRoom) stackBlock = ramstart;
        std::vector<std::string> expected;
        std::string program;
        for (int i = 0; i < 300; i++) {
            program += definition(i, "+");
            expected.insert(expected.begin(), "f" + std::to_string(i));
        }
        ASSERT_EQ(run(program), 0) << output();
        unsigned state = 12345;
        for (int step = 0; step < 400; step++) {
            state = state * 1103515245u + 12345u;
            int i = int(state >> 8) % 330, form = int(state >> 4) % 3;
            std::string name = "f" + std::to_string(i);
            std::erase(expected, name);
            if (form == 0) {
                ASSERT_EQ(run("forget " + name + "\n"), 0) << output();
            } else {
                ASSERT_EQ(run(definition(i, form == 1 ? "-" : "*")), 0) << output();
                expected.insert(expected.begin(), name);
            }
            FunctionArea area = areaAfter("");
            ASSERT_EQ(area.names, expected) << "step " << step;
            for (const std::string& listed : expected)
                ASSERT_EQ(findFunction(listed.c_str()),
                          findNamedRecord(ramstart, functionsEnd, listed.c_str()))
                    << listed << " at step " << step;
            ASSERT_EQ(findFunction(name.c_str()) != nullptr, form != 0);
        }
        runs[withRoom] = areaAfter("").names;
        EXPECT_EQ(run("f299(2)\n"), 0);
    }
    EXPECT_EQ(runs[0], runs[1]);
}

// --- the machine stack ----------------------------------------------------------

// Runs `body` on a thread with a small machine stack.
void runOnSmallStack(void (*body)(void*), void* argument) {
    struct Call {
        void (*body)(void*);
        void* argument;
    } call{body, argument};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 24 << 20);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void* p) -> void* {
                      auto* c = static_cast<Call*>(p);
                      c->body(c->argument);
                      return nullptr;
                  },
                  &call),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

class RecursionTest;

struct Outcome {
    RecursionTest* test;
    const char* program;
    int code = 0;
    int depthAfter = -1;
    bool frameRestored = false;
};

// A builtin that recurses natively until the machine stack ends.
int nativeDepth(int n) {
    volatile char frame[4096];
    frame[0] = char(n);
    return n > 1000000000 ? frame[0] : nativeDepth(n + 1) + frame[0];
}
void builtinNativeRecursion(header*) { pushReal(nativeDepth(0)); }

const BuiltinRecord testRows[] = {{"nativerecursion", 0, 0, builtinNativeRecursion}};
KALIX_BUILTIN_FAMILY(nativeRecursionFamily, testRows);

class RecursionTest : public FunctionsTest {
  public:
    int runProgram(const char* program) { return run(program); }
    std::string takeOutput() { return output(); }
};

void runRecursion(void* p) {
    auto* outcome = static_cast<Outcome*>(p);
    outcome->code = outcome->test->runProgram(outcome->program);
    outcome->depthAfter = callDepth;
    outcome->frameRestored = startlocal == functionsEnd && functionState == functionTopLevel;
}

TEST_F(RecursionTest, RunawayRecursionStopsBeforeTheStackEnds) {
    Outcome outcome{this, "function r(n) := r(n+1)\nr(1)\n"};
    runOnSmallStack(runRecursion, &outcome);
    std::string text = takeOutput();
    EXPECT_EQ(outcome.code, 8888);
    EXPECT_EQ(
        text.rfind("Stack overflow. Too many recursions?\n...\nr:\n    useglobal; return r(n+1) \n",
                   0),
        0u)
        << text.substr(0, 200);
    EXPECT_EQ(outcome.depthAfter, 0);
    EXPECT_TRUE(outcome.frameRestored);
    EXPECT_EQ(runProgram("x = 1+1;\n"), 0);
}

TEST_F(RecursionTest, FaultOnTheGuardPageEndsTheCall) {
    const BuiltinFamily* families[] = {&nativeRecursionFamily};
    sortBuiltinFamilies(families, 1);
    Outcome outcome{this, "function d() := nativerecursion()\nd()\n"};
    runOnSmallStack(runRecursion, &outcome);
    std::string text = takeOutput();
    EXPECT_EQ(outcome.code, 8888);
    EXPECT_EQ(text.rfind("Stack overflow. Too many recursions?\n", 0), 0u) << text;
    EXPECT_NE(text.find("d:\n    useglobal; return nativerecursion() \n"), std::string::npos)
        << text;
    EXPECT_EQ(outcome.depthAfter, 0);
    EXPECT_TRUE(outcome.frameRestored);
    sortBuiltins();
}

}  // namespace

}  // namespace kalix
