// The statement cache must not be seen: every program prints the same and
// leaves the same variables, to the last bit, whether its statements run
// from the cache or the ordinary way. So too the store of a real number in
// place that both share: against the general assignment.
#include <gtest/gtest.h>

#include "interpreter_state_fixture.h"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/settings.h"
#include "interpreter/assignment.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/globals.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/statement_cache.h"
#include "interpreter/value_helpers.h"
#include "settings_folder.h"
#include "threaded_suite.h"

namespace kalix {

namespace {

// What a program left: its output and every variable, byte for byte (the
// head's unused `extra` field left out).
struct Outcome {
    std::string output;
    std::vector<std::string> variables;
};

std::string describe(const header* record) {
    std::string text(record->name, strnlen(record->name, sizeof record->name));
    char head[64];
    std::snprintf(head, sizeof head, " kind %d flags %x size %lld:", record->kind, record->flags,
                  static_cast<long long>(record->size));
    text += head;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(dataOf(record));
    for (int64_t i = 0; i < record->size - headerSize; i++) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        text += byte;
    }
    return text;
}

class StatementCacheTest : public InterpreterStateTest {
  protected:
    std::vector<uint64_t> block;
    char buffer[1 << 16];

    void TearDown() override {
        setStatementCacheEnabled(true);
        setRealStoreInPlaceEnabled(true);
        captureDestination = captureLimit = nullptr;
        clearAliases();
        clearGlobals();
        markFunctionIndexStale();
        inputLine[0] = 0;
        InterpreterStateTest::TearDown();
    }

    // An interpreter start: the state of before the test, an empty stack.
    void start() {
        interpreterState.restore();
        block.assign((4 << 20) / 8 + stackGuardBytes / 8, 0);
        ramstart = reinterpret_cast<char*>(block.data());
        ramend = ramstart + (4 << 20);
        newram = startlocal = endlocal = functionsEnd = topStartLocal = topEndLocal = ramstart;
        errorCode = 0;
        functionState = functionTopLevel;
        callDepth = 0;
        markFunctionIndexStale();
        clearGlobals();
        clearAliases();
        sortBuiltins();
        sortCommands();
        initArgNameHashes();
        currentEpsilon = globalEpsilon = defaultEpsilon;
        buffer[0] = 0;
        captureDestination = buffer;
        captureLimit = buffer + sizeof buffer;
    }

    // Runs the program's lines as the interpreter loop runs a loaded file:
    // a failing statement ends its line, the next line goes on.
    Outcome run(const std::string& program, bool cached) {
        start();
        setStatementCacheEnabled(cached);
        setRealStoreInPlaceEnabled(cached);
        FILE* file = std::tmpfile();
        std::fputs(program.c_str(), file);
        std::rewind(file);
        loadFile = file;
        inputLine[0] = 0;
        scanPointer = inputLine;
        runState = runStateRun;
        while (loadFile && runState == runStateRun) {
            topStartLocal = startlocal;
            topEndLocal = endlocal;
            executeNextStatement();
            matlabMode = matlabModeSetting;
        }
        if (loadFile) std::fclose(loadFile);
        loadFile = nullptr;
        Outcome outcome{buffer, {}};
        for (header* record : globalRecords()) outcome.variables.push_back(describe(record));
        std::sort(outcome.variables.begin(), outcome.variables.end());
        for (char* p = startlocal; p < endlocal; p += recordAt(p)->size)
            outcome.variables.push_back("local " + describe(recordAt(p)));
        return outcome;
    }

    // Runs the program both ways and compares; returns how many statements
    // ran from the cache.
    unsigned long long expectSameOutcome(const std::string& program) {
        Outcome ordinary = run(program, false);
        unsigned long long before = statementsRunFromCache();
        Outcome cached = run(program, true);
        unsigned long long fromCache = statementsRunFromCache() - before;
        EXPECT_EQ(cached.output, ordinary.output) << program;
        EXPECT_EQ(cached.variables, ordinary.variables) << program;
        return fromCache;
    }
};

TEST_F(StatementCacheTest, ProgramsAgreeWithTheOrdinaryPath) {
    struct Case {
        const char* what;
        const char* program;
        bool usesCache;  // some statement must have run from the cache
    } cases[] = {
        {"top-level loops",
         "s=0; for i=1 to 1000; s=s+i*i/3-2; end; s\n"
         "x=0.1; y=3; for k=1 to 50; x=x*1.1+y/7 - (x-1)*(y+2.5e-3); y=y-.5; end; x, y\n"
         "s=0; for i=1 to 10; for j=1 to i; s=s+j*i; end; end; s\n"
         "c=0; for i=1 to 3; c=c+1.5e3+.25+1.+2E-2; d=c/((((((((2)))))))); end; c, d\n"
         "e=0; loop 1 to 5; e=e+1; end; e\n"
         "f=1; for i=1 to 3; f = f * 2 ; end, f\n"
         "f=1; for i=1 to 3;\tf\t=\tf\t-\t1\t;\tend f\n",
         true},
        {"function bodies",
         "function f(n)\n"
         "  s = 0; t = 1;\n"
         "  for i = 1 to n; s = s + i; t = t * 1.0001 - s / 1e9; end;\n"
         "  return s + t\n"
         "endfunction\n"
         "f(1000)\n"
         "f(3)\n"
         "function nest(n)\n"
         "  s = 0;\n"
         "  for i = 1 to n\n"
         "    s = s + i;\n"
         "  end;\n"
         "  loop 1 to n; s = s - 1; end;\n"
         "  return s\n"
         "endfunction\n"
         "nest(10)\n"
         "function g2(n)\n"
         "  for i = 1 to n; i = i + 1; end;\n"
         "  return i\n"
         "endfunction\n"
         "g2(7)\n",
         true},
        {"targets that are new, change kind or are no real scalar",
         "for i=1 to 3; t=i*2; u=t+i; end; t, u\n"
         "z=1+1i; for i=1 to 4; z=z*2; end; z\n"
         "w=1; for i=1 to 4; w=w*2; if i==2 then w=w+1i; endif; end; w\n"
         "m=[5]; for i=1 to 3; m=m+i; end; m\n"
         "v=[1,2]; for i=1 to 2; v=v*2; end; v\n"
         "t=\"a\"; for i=1 to 2; u=t+i; end; u\n"
         "t=\"a\"; for i=1 to 2; t=i+1; end; t\n"
         "for i=1 to 5; i=i+1; end; i\n"
         "for i=[1+1i, 2]; k=i+1; end; k\n",
         true},
        {"errors and what turns them off",
         "for i=1 to 3; q=1/(i-2); end; q\n"
         "errors off\n"
         "for i=1 to 3; q=1/(i-2); end; q\n"
         "errors on\n"
         "for i=1 to 3; usenan r=1/(i-2); end; r\n"
         "s=0; for i=1 to 3; s=s+nothing; end\n"
         "s=0; for i=1 to 3; s=s+1)\n"
         "p=1; protect\n"
         "for i=1 to 3; p=p+1; end; p\n",
         true},
        {"prefixes, prefix functions and command words",
         "r=0; for i=1 to 3; kalix r=r+i; end; r\n"
         "quitting=1; for i=1 to 3; quitting=quitting+1; end; quitting\n"
         "function prefix g(x) := x+1\n"
         "a=1; for i=1 to 2; a = g +1; end; a\n"
         "a=1; for i=1 to 2; a = a+1; g = 5; end; a\n"
         "not=1; for i=1 to 2; not=not+1; end; not\n"
         "for i=1 to 2; o=not +1; end; o\n",
         false},
        {"variables of callers and globals",
         "gs=10;\n"
         "function h()\n"
         "  global gs;\n"
         "  for k = 1 to 4; gs = gs + k; end;\n"
         "  return gs\n"
         "endfunction\n"
         "h(), gs\n"
         "function h2()\n"
         "  useglobal;\n"
         "  for k = 1 to 4; gs = gs * 2; end;\n"
         "  return gs\n"
         "endfunction\n"
         "h2(), gs\n"
         "function acc(a, n)\n"
         "  for k = 1 to n; a = a + k; end;\n"
         "  return a\n"
         "endfunction\n"
         "b=1; acc(b, 4), b\n"
         "q=1; setglobal q\n"
         "function sg()\n"
         "  for k = 1 to 3; q = q + k; end;\n"
         "  return q\n"
         "endfunction\n"
         "sg(), q\n"
         "function fr(n)\n"
         "  for k = 1 to 3; n = n + k; end;\n"
         "  return n\n"
         "endfunction\n"
         "y = fr(1)\n",
         true},
        {"the same place with new text",
         "a=1; for i=1 to 3; a=a+i; end; a\n"
         "a=1; for i=1 to 3; a=a*i; end; a\n"
         "a=1; for i=1 to 3; a=a-i; end; a\n"
         "a=1; for i=1 to 3; b=a-i; end; b\n",
         true},
        {"names and numbers at the limits",
         "abcdefghijabcdefghijabcdefghij=1; for i=1 to 3; "
         "abcdefghijabcdefghijabcdefghij=abcdefghijabcdefghijabcdefghij+i; end; "
         "abcdefghijabcdefghijabcdefghij\n"
         "a1=1; a2=2; a3=3; a4=4; a5=5; a6=6; a7=7; a8=8; a9=9;\n"
         "for i=1 to 3; a1=a2+a3+a4+a5+a6+a7+a8+a9+i; end; a1\n"
         "for i=1 to 2; a1=a2+a3+a4+a5+a6+a7+a8; end; a1\n"
         "for i=1 to 2; n1=1; n2=2; n3=3; n4=4; n5=5; n6=6; n7=7; n8=8; n9=9; end; n9\n"
         "x=1; for i=1 to 2; x=x+1e308*10-1e308*10; end; x\n"
         "x=0; for i=1 to 2; y=x*(0-1); z=y-0; end; y, z\n",
         true},
        {"real numbers stored over reals outside the cache",
         "a=1; a=2^3; a=a^0.5, a=-a; a=(1>0)*7, a\n"
         "5; %=%+1, %\n"
         "z=2; zerobase z; z=3^2; z\n"
         "p=1; protect p; p=2^2; p\n"
         "g=1; function fg() \n global g; g=3^2; g=g^2; return g\n endfunction\n fg(), g\n"
         "function fr(a) \n a=a^2; return a\n endfunction\n b=3; fr(b), b\n"
         "function fl(x) \n y=x; y=y^2; y=-y; return y\n endfunction\n fl(3)\n"
         "function fx() \n global k; k=[1,2]; return 2^2\n endfunction\n k=1; k=fx(); k\n"
         "errors off\n"
         "c=1; c=c^0/0; c, c=0*c^1, c=-c^1, c\n",
         false},
        {"statements the cache leaves alone",
         "s=0; for i=1 to 3; s=s+i, end\n"
         "s=0; for i=1 to 3; s=s+i;end; s\n"
         "s=0; for i=1 to 3; s=s^2+i; end; s\n"
         "s=0; for i=1 to 3; s=-s+i; end; s\n"
         "s=0; for i=1 to 3; s=s+#; end; s\n"
         "k=0; repeat; k=k+1; if k>5 then break; endif; end; k\n",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        unsigned long long fromCache = expectSameOutcome(c.program);
        if (c.usesCache) {
            EXPECT_GT(fromCache, 0u);
        }
    }
}

// A loop pass that finds a statement it cannot run goes on the ordinary
// way from that statement, and the next pass looks the names up again.
TEST_F(StatementCacheTest, PassesFallBackAtTheStatementThatNeedsIt) {
    unsigned long long fromCache = expectSameOutcome(
        "a=1; b=2; for i=1 to 6; a=a+i; b=b*a; c=b/(i-3); a=a-1; end; a, b, c\n"
        "errors off\n"
        "a=1; b=2; for i=1 to 6; a=a+i; b=b*a; c=b/(i-3); a=a-1; end; a, b, c\n");
    EXPECT_GT(fromCache, 0u);
}

// Settings the ordinary path reads at every statement: strict assignments,
// protected variables, blanks between statements.
class CacheSettingsTest : public StatementCacheTest {
  protected:
    std::optional<PrivateSettingsFolder> config;

    void SetUp() override {
        StatementCacheTest::SetUp();
        config.emplace();
        settings.deleteRegistryKey();
    }

    void TearDown() override {
        settings.deleteRegistryKey();
        config.reset();
        StatementCacheTest::TearDown();
    }
};

THREADED_SUITE(CacheSettingsTest);

TEST_F(CacheSettingsTest, ProgramsAgreeUnderTheSettings) {
    const char* program =
        "p:=1; s:=0; protect; t:=0;\n"
        "for i=1 to 3; p=p+1; end; p\n"
        "for i=1 to 3; t=t+i; end; t\n"
        "for i=1 to 3; s=s+i;end; s\n"
        "function f(n)\n"
        "  s = 0;\n"
        "  for i = 1 to n; s = s + i; end;\n"
        "  return s\n"
        "endfunction\n"
        "f(4)\n";
    struct {
        const char* key;
        int value;
    } cases[] = {{"assignments", 1}, {"allowvaroverwrite", 0}, {"spaces", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        writeIntSetting(c.key, c.value);
        expectSameOutcome(program);
        settings.deleteRegistryKey();
    }
}

}  // namespace

}  // namespace kalix
