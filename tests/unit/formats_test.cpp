// Number formats: the entry printers in every mode and the format builtins.
#include <cmath>
#include <cstring>
#include <functional>

#include "printing_fixture.h"

namespace kalix {

namespace {

using FormatsTest = PrintingTest;

const double nan_ = std::nan("");

TEST_F(FormatsTest, InitialStateMatchesDocumentedDefaults) {
    EXPECT_STREQ(formatState.normalFormat, "%0.6g");
    EXPECT_STREQ(formatState.extremeFormat, "%0.12g");
    EXPECT_STREQ(formatState.scalarFormat, "%0.12g");  // what setscalarformat(12) builds
    EXPECT_EQ(formatState.scalarDigits, 12);
    EXPECT_EQ(formatState.fieldWidth, 14);
    EXPECT_EQ(formatState.realColumns, 5);
    EXPECT_EQ(formatState.denseOutput, 2);
    EXPECT_EQ(formatState.intervalFormat, 42);
    EXPECT_EQ(formatState.intervalWidth, 42);
    EXPECT_EQ(formatState.intervalColumns, 1);
}

// Real column entries and texts after each mode setter.
struct RealCase {
    const char* what;
    std::function<void()> mode;
    double x;
    const char* entry;
    const char* text;
};

TEST_F(FormatsTest, RealEntriesInEveryMode) {
    const RealCase cases[] = {
        {"initial", [] {}, 1.0 / 3, "     0.333333 ", "0.333333"},
        {"initial large", [] {}, 1234567.0, "      1234567 ", "1234567"},
        {"initial small", [] {}, 1e-6, "        1e-06 ", "1e-06"},
        {"initial nan", [] {}, nan_, "          NAN ", "NAN"},
        {"initial negative zero", [] {}, -0.0, "            0 ", "0"},
        {"format", [] { setFormat(10, 5); }, 1.0 / 3, "  0.33333 ", "0.33333"},
        {"format large", [] { setFormat(10, 5); }, 1e25, "1.00000e+25 ", "1.00000e+25"},
        {"format tiny", [] { setFormat(10, 5); }, 1e-30, "1.00000e-30 ", "1.00000e-30"},
        {"format zero", [] { setFormat(10, 5); }, 0.0, "  0.00000 ", "0.00000"},
        {"format digits cut to total-3", [] { setFormat(6, 5); }, 1.0 / 3, "0.333 ", "0.333"},
        {"goodformat", [] { setGoodFormat(10, 7); }, 1.0 / 3, "0.3333333 ", "0.3333333"},
        {"goodformat wide", [] { setGoodFormat(0, 6); }, 1.0 / 3, "     0.333333 ", "0.333333"},
        {"expformat", [] { setExpFormat(12, 4); }, 1.0 / 3, " 3.3333e-01 ", "3.3333e-01"},
        {"fixedformat", [] { setFixedFormat(10, 5); }, -2.5, " -2.50000 ", "-2.50000"},
        {"fracformat", [] { setFracFormat(10, 1e-10); }, 0.75, "      3/4 ", "3/4"},
        {"fracformat integer", [] { setFracFormat(10, 1e-10); }, 2.0, "        2 ", "2"},
        {"fracformat negative", [] { setFracFormat(10, 1e-10); }, -0.5, "     -1/2 ", "-1/2"},
        {"fracformat nan", [] { setFracFormat(10, 1e-10); }, nan_, "      NAN ", "NAN"},
        {"fracformat pi coarse", [] { setFracFormat(10, 1e-3); }, M_PI, "  333/106 ", "333/106"},
        {"fracformat pi fine", [] { setFracFormat(10, 1e-6); }, M_PI, "  355/113 ", "355/113"},
    };
    for (const RealCase& c : cases) {
        SCOPED_TRACE(c.what);
        restoreFormats();
        c.mode();
        EXPECT_EQ(realEntry(c.x), c.entry);
        EXPECT_EQ(realText(c.x), c.text);
        EXPECT_EQ(errorCode, 0);
    }
}

TEST_F(FormatsTest, ZeroRoundingUsesTheModesSmallLimit) {
    formatState.zeroRounding = 1;
    setFormat(10, 5);  // small limit 1e-26: -1e-20 is not rounded
    EXPECT_EQ(realText(-1e-20), "-0.00000");
    EXPECT_EQ(realText(-1e-30), "0.00000");  // rounded: 0 takes the normal pattern
    setFixedFormat(10, 5);                   // small limit 1e-5
    EXPECT_EQ(realText(-1e-20), "0.00000");
    formatState.zeroRounding = 0;
    EXPECT_EQ(realText(-1e-20), "-0.00000");
    // Fractions round below 1e-12 only.
    formatState.zeroRounding = 1;
    setFracFormat(10, 1e-10);
    EXPECT_EQ(realText(-1e-13), "0");
}

TEST_F(FormatsTest, ModeSettersFillTheState) {
    setGoodFormat(0, 6);
    EXPECT_EQ(formatState.fieldWidth, 14);
    EXPECT_STREQ(formatState.normalFormat, "%0.6g");
    EXPECT_DOUBLE_EQ(formatState.smallLimit, 1e-14);
    EXPECT_DOUBLE_EQ(formatState.largeLimit, 1e14);
    EXPECT_EQ(formatState.realColumns, 70 / 14);

    setGoodFormat(10, 7);
    EXPECT_DOUBLE_EQ(formatState.smallLimit, 1e-7);
    EXPECT_DOUBLE_EQ(formatState.largeLimit, 1.0);
    EXPECT_EQ(formatState.columnWidth, 10);
    EXPECT_EQ(formatState.realColumns, 7);

    setFormat(12, 3);
    EXPECT_STREQ(formatState.normalFormat, "%0.3f");
    EXPECT_STREQ(formatState.extremeFormat, "%0.3e");
    EXPECT_STREQ(formatState.joinFormat, "%0.3g");
    EXPECT_DOUBLE_EQ(formatState.smallLimit, 1e-26);
    EXPECT_DOUBLE_EQ(formatState.largeLimit, 1e20);

    // Interval widths follow the real width only while intervals print
    // with two digits.
    formatState.intervalFormat = 0;
    setFixedFormat(20, 4);
    EXPECT_EQ(formatState.intervalWidth, 40);
    EXPECT_EQ(formatState.intervalColumns, 1);
    setFixedFormat(10, 4);
    EXPECT_EQ(formatState.intervalWidth, 20);
    EXPECT_EQ(formatState.intervalColumns, 3);

    setFracFormat(80, 0.5);
    EXPECT_EQ(formatState.fieldWidth, 80);  // not capped at 64
    EXPECT_EQ(formatState.realColumns, 1);
    EXPECT_STREQ(formatState.normalFormat, "%0.4f");  // patterns unchanged
    setExpFormat(70, 4);
    EXPECT_EQ(formatState.fieldWidth, 64);
    EXPECT_EQ(formatState.fractionEpsilon, 0);
}

TEST_F(FormatsTest, SettersSurviveExtremeArguments) {
    // Widths of 0 or below never divide by zero; negative digits give a
    // well-formed pattern.
    setExpFormat(0, -5);
    EXPECT_STREQ(formatState.normalFormat, "%0.0e");
    EXPECT_EQ(formatState.realColumns, 70);
    setFracFormat(-3, 0.5);
    EXPECT_EQ(formatState.fieldWidth, 1);
    EXPECT_GE(formatState.realColumns, 1);
    setGoodFormat(0, 2147483647);
    EXPECT_EQ(formatState.fieldWidth, 64);
    EXPECT_EQ(realEntry(0.5), std::string(60, ' ') + "0.5 ");
}

struct ComplexCase {
    const char* what;
    std::function<void()> mode;
    double re, im;
    const char* entry;  // before padding to twice the field width
    const char* text;
};

TEST_F(FormatsTest, ComplexEntries) {
    const ComplexCase cases[] = {
        {"plain", [] {}, 1, 2, "1+2i ", "1+2i"},
        {"negative imaginary", [] {}, 1.5, -2, "1.5-2i ", "1.5-2i"},
        {"rounded imaginary", [] { formatState.zeroRounding = 1; }, 1, 1e-13, "1+0i ", "1+0i "},
        {"rounded real", [] { formatState.zeroRounding = 1; }, 1e-13, 2, "0+2i ", "0+2i"},
        {"not rounded", [] {}, 1, 1e-13, "1+1e-13i ", "1+1e-13i"},
        // "+" only for an imaginary part >= 0, so NaN takes "-".
        {"nan parts", [] {}, nan_, nan_, "NAN-NANi ", "NAN-NANi"},
        {"fractions", [] { setFracFormat(5, 1e-10); }, 0.5, -0.25, "1/2-1/4i ", "1/2-1/4*I"},
        {"format", [] { setFormat(8, 2); }, 1, 2, "1.00+2.00i ", "1.00+2.00i"},
    };
    for (const ComplexCase& c : cases) {
        SCOPED_TRACE(c.what);
        restoreFormats();
        c.mode();
        output();
        printComplexEntry(c.re, c.im);
        std::string entry = c.entry;
        EXPECT_EQ(output(), std::string(2 * formatState.fieldWidth - entry.size(), ' ') + entry);
        char text[numberTextSize];
        formatComplexText(c.re, c.im, text);
        EXPECT_STREQ(text, c.text);
    }
}

struct IntervalCase {
    const char* what;
    int format;
    double lo, hi;
    const char* entry;  // before padding to formatState.intervalWidth
    const char* text;
};

TEST_F(FormatsTest, IntervalEntries) {
    const IntervalCase cases[] = {
        {"two digits", 0, 1, 2, "~1,2~ ", "~1,2~"},
        {"two digits cut", 0, 1.2345, 2.5678, "~1.2,2.6~ ", "~1.2,2.6~"},
        {"supported digits", 42, 10, 11, "~10,11~ ", "~10,11~"},
        {"contains zero", 42, -1.2345, 2.5678, "~-1.2,2.6~ ", "~-1.2,2.6~"},
        {"point", 42, 1.2345, 1.2345, "~1.2,1.2~ ", "~1.2,1.2~"},
        {"outward", 42, 1.2345678912, 1.2346, "~1.2345678,1.2346~ ", "~1.23456,1.2346~"},
        {"negative", 42, -1.2346, -1.2345678912, "~-1.2346,-1.2345678~ ", "~-1.2346,-1.23456~"},
        {"infinite", 42, 1, INFINITY, "~1,inf~ ", "~1,inf~"},
    };
    for (const IntervalCase& c : cases) {
        SCOPED_TRACE(c.what);
        formatState.intervalFormat = c.format;
        output();
        printIntervalEntry(c.lo, c.hi);
        std::string entry = c.entry;
        EXPECT_EQ(output(), std::string(formatState.intervalWidth - entry.size(), ' ') + entry);
        char text[numberTextSize];
        formatIntervalText(c.lo, c.hi, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST_F(FormatsTest, FractionsWithinRelativeTolerance) {
    const struct {
        double x;
        const char* text;
    } cases[] = {
        {0.75, "3/4"}, {-2.0 / 3, "-2/3"}, {5, "5"},
        {1e-13, "0"},  {nan_, "NAN"},      {1e20, "100000000000000000000"},
    };
    for (const auto& c : cases) {
        char text[numberTextSize];
        formatFraction(c.x, text);
        EXPECT_STREQ(text, c.text) << c.x;
    }
}

TEST_F(FormatsTest, WriteFractionAppendsToTheEntry) {
    setFracFormat(6, 1e-10);
    printPadded(0, "%s", "[");
    writeFraction(0.2);
    printPadded(8, "%s", "]");
    EXPECT_EQ(output(), "   [1/5]");
    char text[numberTextSize];
    formatFractionText(-1.5, text);
    EXPECT_STREQ(text, "-3/2");
}

TEST_F(FormatsTest, MissingUserFormatFunction) {
    strcpy(formatState.userFormat, "myformat");
    printRealEntry(1);
    EXPECT_EQ(output(), "Kalix function \"myformat\" not found for user output!\n");
    EXPECT_EQ(errorCode, 1);
    errorCode = 0;
    char text[numberTextSize];
    formatComplexText(1, 2, text);
    EXPECT_EQ(output(), "Kalix function \"myformat\" not found!\n");
    EXPECT_EQ(errorCode, 1);
    errorCode = 0;
    char* top = newram;
    printIntervalEntry(1, 2);
    EXPECT_EQ(output(), "Kalix function \"myformat\" not found!\n");
    EXPECT_EQ(newram, top);  // the argument pushed for the call is gone
}

// --- builtins ---------------------------------------------------------------

// The mode builtins also keep the pair each returns next; put back after
// each test so that the order of tests does not matter.
class FormatBuiltinsTest : public PrintingTest {
  protected:
    void SetUp() override {
        PrintingTest::SetUp();
        for (int k = 0; k < 4; k++) std::memcpy(savedPairs[k], pairs[k], sizeof savedPairs[k]);
    }
    void TearDown() override {
        for (int k = 0; k < 4; k++) std::memcpy(pairs[k], savedPairs[k], sizeof savedPairs[k]);
        PrintingTest::TearDown();
    }

    double* const pairs[4] = {formatState.formatPair, formatState.goodFormatPair,
                              formatState.expFormatPair, formatState.fixedFormatPair};
    double savedPairs[4][2];

    header* pair(double a, double b) { return realMatrix(1, 2, {a, b}); }

    // The 1 x n result left at `first`, as a vector.
    std::vector<double> resultVector(header* first) {
        EXPECT_EQ(first->kind, kindRealMatrix);
        EXPECT_EQ(matrixRows(first), 1);
        return std::vector<double>(matrixData(first), matrixData(first) + matrixColumns(first));
    }

    std::vector<double> call(void (*builtin)(header*), header* argument) {
        builtin(argument);
        EXPECT_EQ(errorCode, 0);
        std::vector<double> result = resultVector(argument);
        newram = argument == nullptr ? newram : reinterpret_cast<char*>(argument);
        return result;
    }

    double callReal(void (*builtin)(header*), header* argument) {
        builtin(argument);
        EXPECT_EQ(errorCode, 0);
        EXPECT_EQ(argument->kind, kindReal);
        double x = realOf(argument);
        newram = reinterpret_cast<char*>(argument);
        return x;
    }

    // Runs the builtin and expects the refusal message with error 26.
    void expectRefused(void (*builtin)(header*), header* argument, const char* message) {
        output();
        builtin(argument);
        EXPECT_EQ(errorCode, 26);
        EXPECT_EQ(output(), message);
        errorCode = 0;
        newram = reinterpret_cast<char*>(argument);
    }
};

TEST_F(FormatBuiltinsTest, ModeBuiltinsReturnTheirOwnPreviousPair) {
    EXPECT_EQ(call(builtinFormat, pair(12, 3)), (std::vector<double>{10, 5}));
    EXPECT_EQ(call(builtinFormat, pair(10, 5)), (std::vector<double>{12, 3}));
    EXPECT_EQ(call(builtinExpformat, pair(12, 4)), (std::vector<double>{10, 5}));
    EXPECT_EQ(call(builtinFixedformat, pair(12, 4)), (std::vector<double>{10, 5}));
    EXPECT_EQ(call(builtinFixedformat, pair(9, 2)), (std::vector<double>{12, 4}));
    EXPECT_EQ(call(builtinGoodformat, pair(10, 8)), (std::vector<double>{10, 5}));
    EXPECT_STREQ(formatState.normalFormat, "%0.7g");  // digits cut to total-3
    EXPECT_EQ(call(builtinGoodformat, pair(3, 2)), (std::vector<double>{10, 8}));
    EXPECT_STREQ(formatState.normalFormat, "%0.1g");  // then at least 1
    // format keeps its pair apart from the others.
    EXPECT_EQ(call(builtinFormat, pair(10, 5)), (std::vector<double>{10, 5}));
}

TEST_F(FormatBuiltinsTest, GoodformatWithOneNumber) {
    header* six = pushReal(6);
    EXPECT_EQ(call(builtinGoodformat, six), (std::vector<double>{10, 5}));
    EXPECT_EQ(formatState.fieldWidth, 14);
    EXPECT_STREQ(formatState.normalFormat, "%0.6g");
    EXPECT_DOUBLE_EQ(formatState.smallLimit, 1e-14);
    EXPECT_DOUBLE_EQ(formatState.largeLimit, 1e14);
    EXPECT_EQ(formatState.formatMode, 2);
    EXPECT_EQ(formatState.formatTotal, 0);
    header* negative = pushReal(-4);
    call(builtinGoodformat, negative);
    EXPECT_STREQ(formatState.normalFormat, "%0.0g");
}

TEST_F(FormatBuiltinsTest, ArgumentErrorsLeaveTheFormatAlone) {
    struct {
        void (*builtin)(header*);
        double n, d;
        const char* message;
    } cases[] = {
        {builtinGoodformat, 65, 5, "Need 0<=total<=64, 0<=digits<=20 for goodformat\n"},
        {builtinGoodformat, 10, 21, "Need 0<=total<=64, 0<=digits<=20 for goodformat\n"},
        {builtinExpformat, 1, 0, "Need 2<=total<=80, 0<=digits<=20 for expformat\n"},
        {builtinExpformat, 81, 0, "Need 2<=total<=80, 0<=digits<=20 for expformat\n"},
        {builtinFixedformat, 10, 20, "Need 2<=total<=80, 0<=digits<=20 for fixedformat\n"},
        {builtinFracformat, 10, 0, "Need 2<=total<=80, 0<eps<=1 for fixedformat\n"},
        {builtinFracformat, 10, 1.5, "Need 2<=total<=80, 0<eps<=1 for fixedformat\n"},
        {builtinFracformat, 1, 0.5, "Need 2<=total<=80, 0<eps<=1 for fixedformat\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        expectRefused(c.builtin, pair(c.n, c.d), c.message);
        EXPECT_EQ(formatState.formatMode, 0);
        EXPECT_EQ(formatState.fieldWidth, 14);
        EXPECT_STREQ(formatState.normalFormat, "%0.6g");
    }
    header* text = pushCString("x");
    expectRefused(builtinFormat, text, "Need 1x2 vector [total,digits] for format\n");
    expectRefused(builtinGoodformat, pushCString("x"),
                  "Need integer or 1x2 vector for goodformat\n");
    expectRefused(builtinExpformat, pushReal(3), "Need 1x2 vector for expformat\n");
    expectRefused(builtinFixedformat, realMatrix(1, 3, {1, 2, 3}),
                  "Need 1x2 vector for fixedformat\n");
    expectRefused(builtinFracformat, pushReal(3), "Need 1x2 vector for fracformat\n");
    expectRefused(builtinIformat, pushCString("x"), "Need integer for iformat\n");
    expectRefused(builtinScalarformat, pushCString("x"), "Need real for scalarformat\n");
    expectRefused(builtinSetscalarformat, pushCString("x"), "Need real for scalarformat\n");
    expectRefused(builtinDenseoutput, pushCString("x"), "Need integer 0-10 for denseoutput\n");
    expectRefused(builtinZerorounding, pushCString("x"), "Need real flag for zerorounding\n");
    expectRefused(builtinUserformat, pushReal(1),
                  "Need string containing function name for userformat\n");
    expectRefused(builtinSetformat, pair(1, 2), "Need 1x9 vector for setformat\n");
    EXPECT_EQ(formatState.formatMode, 0);
}

TEST_F(FormatBuiltinsTest, FormatRangeErrorKeepsModeAndPair) {
    expectRefused(builtinFormat, pair(1, 5), "Need 2<=total<=80, 0<=digits<=20 for format\n");
    EXPECT_EQ(formatState.formatMode, 1);
    EXPECT_EQ(formatState.formatTotal, 1);
    EXPECT_EQ(formatState.formatDigits, 5);
    EXPECT_EQ(formatState.fieldWidth, 14);
    EXPECT_STREQ(formatState.normalFormat, "%0.6g");
    expectRefused(builtinFormat, pair(10, 20), "Need 2<=total<=80, 0<=digits<=20 for format\n");
    // The refused pair is what the next call returns.
    EXPECT_EQ(call(builtinFormat, pair(10, 5)), (std::vector<double>{10, 20}));
}

TEST_F(FormatBuiltinsTest, FracformatReturnsWidthAndTolerance) {
    EXPECT_EQ(call(builtinFracformat, pair(10, 1e-10)), (std::vector<double>{14, 0}));
    EXPECT_EQ(call(builtinFracformat, pair(8, 1e-6)), (std::vector<double>{10, 1e-10}));
    EXPECT_EQ(formatState.formatMode, 5);
    EXPECT_EQ(formatState.fractionEpsilon, 1e-6);
}

TEST_F(FormatBuiltinsTest, SmallSwitches) {
    EXPECT_EQ(callReal(builtinDenseoutput, pushReal(15)), 2);
    EXPECT_EQ(formatState.denseOutput, 10);
    EXPECT_EQ(callReal(builtinDenseoutput, pushReal(-3)), 10);
    EXPECT_EQ(formatState.denseOutput, 0);
    EXPECT_EQ(callReal(builtinDenseoutput, pushReal(9.7)), 0);
    EXPECT_EQ(formatState.denseOutput, 9);

    EXPECT_EQ(callReal(builtinZerorounding, pushReal(nan_)), 0);
    EXPECT_EQ(formatState.zeroRounding, 1);
    EXPECT_EQ(callReal(builtinZerorounding, pushReal(0)), 1);
    EXPECT_EQ(formatState.zeroRounding, 0);

    formatState.fractionEpsilon = 0.1;
    EXPECT_EQ(callReal(builtinScalarformat, pushReal(0.5)), 1);
    EXPECT_EQ(formatState.scalarFormatOn, 0);
    EXPECT_EQ(formatState.fractionEpsilon, 0);
}

TEST_F(FormatBuiltinsTest, Setscalarformat) {
    EXPECT_EQ(callReal(builtinSetscalarformat, pushReal(5)), 12);
    EXPECT_STREQ(formatState.scalarFormat, "%0.5g");
    EXPECT_DOUBLE_EQ(formatState.scalarLargeLimit, 1e10);
    EXPECT_DOUBLE_EQ(formatState.scalarSmallLimit, 1e-10);
    formatState.scalarFormatOn = 0;
    EXPECT_EQ(callReal(builtinSetscalarformat, pushReal(15)), 5);
    EXPECT_STREQ(formatState.scalarFormat, "%0.15g");
    EXPECT_EQ(formatState.scalarFormatOn, 1);
    EXPECT_DOUBLE_EQ(formatState.scalarLargeLimit, 1e13);
    EXPECT_DOUBLE_EQ(formatState.scalarSmallLimit, 1e-13);
    EXPECT_EQ(callReal(builtinSetscalarformat, pushReal(-2)), 15);
    EXPECT_EQ(formatState.scalarDigits, 0);
    EXPECT_STREQ(formatState.scalarFormat, "%0.0g");
}

TEST_F(FormatBuiltinsTest, Iformat) {
    EXPECT_EQ(callReal(builtinIformat, pushReal(10)), 42);
    EXPECT_EQ(formatState.intervalWidth, 21);
    EXPECT_EQ(formatState.intervalColumns, 3);
    EXPECT_EQ(callReal(builtinIformat, pushReal(100)), 10);
    EXPECT_EQ(formatState.intervalWidth, 80);
    EXPECT_EQ(formatState.intervalColumns, 1);
    formatState.fractionEpsilon = 0.5;
    EXPECT_EQ(callReal(builtinIformat, pushReal(0)), 100);
    EXPECT_EQ(formatState.intervalFormat, 0);
    EXPECT_EQ(formatState.intervalWidth, 28);
    EXPECT_EQ(formatState.intervalColumns, 2);
    EXPECT_EQ(formatState.fractionEpsilon, 0);
}

TEST_F(FormatBuiltinsTest, UserformatAndTheBuiltinsThatClearIt) {
    header* name = pushCString("show");
    builtinUserformat(name);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(name->kind, kindString);
    EXPECT_STREQ(stringOf(name), "show");
    EXPECT_STREQ(formatState.userFormat, "show");
    EXPECT_EQ(formatState.fieldWidth, 1);
    newram = reinterpret_cast<char*>(name);

    call(builtinFormat, pair(10, 5));
    EXPECT_STREQ(formatState.userFormat, "show");  // format and expformat keep it
    call(builtinFixedformat, pair(10, 5));
    EXPECT_STREQ(formatState.userFormat, "");

    std::string tooLong(40, 'f');
    expectRefused(builtinUserformat, pushCString(tooLong.c_str()),
                  "Need string containing function name for userformat\n");
    EXPECT_STREQ(formatState.userFormat, "");
}

TEST_F(FormatBuiltinsTest, GetformatAndSetformat) {
    call(builtinFixedformat, pair(12, 4));
    builtinGetformat(nullptr);
    header* state = recordAt(newram - (64 + 9 * 8));
    std::vector<double> got = resultVector(state);
    ASSERT_EQ(got.size(), 9u);
    EXPECT_EQ(got[0], 4);
    EXPECT_EQ(got[1], 12);
    EXPECT_EQ(got[2], 4);
    EXPECT_EQ(got[3], 1);
    EXPECT_EQ(got[4], 12);
    EXPECT_EQ(got[5], 2);
    EXPECT_EQ(got[6], 0);
    EXPECT_DOUBLE_EQ(got[7], 1e-4);
    EXPECT_DOUBLE_EQ(got[8], 1e5);
    newram = reinterpret_cast<char*>(state);

    // setformat returns the state it replaces and restores a saved one.
    call(builtinFormat, pair(10, 5));
    std::vector<double> saved = {1, 10, 5, 0, 7, 3, 1, 1e-26, 1e20};
    call(builtinGoodformat, pushReal(6));
    std::vector<double> before = call(builtinSetformat, realMatrix(1, 9, saved));
    EXPECT_EQ(before[0], 2);
    EXPECT_EQ(before[2], 6);
    EXPECT_EQ(formatState.formatMode, 1);
    EXPECT_STREQ(formatState.normalFormat, "%0.5f");
    EXPECT_STREQ(formatState.extremeFormat, "%0.5e");
    EXPECT_EQ(formatState.scalarFormatOn, 0);
    EXPECT_EQ(formatState.scalarDigits, 7);
    EXPECT_STREQ(formatState.scalarFormat, "%0.12g");  // not rebuilt
    EXPECT_EQ(formatState.denseOutput, 3);
    EXPECT_EQ(formatState.zeroRounding, 1);
    EXPECT_EQ(realEntry(1e25), "1.00000e+25 ");

    // Modes without a format change only the switches; a dense gap beyond
    // 10 is kept at 10.
    std::vector<double> switches = {0, 0, 0, 1, 12, 99, 0, 1e-26, 1e20};
    call(builtinSetformat, realMatrix(1, 9, switches));
    EXPECT_EQ(formatState.formatMode, 1);
    EXPECT_EQ(formatState.denseOutput, 10);
}

}  // namespace

}  // namespace kalix
