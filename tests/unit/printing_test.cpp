// Printing values by kind, matrix layouts, variable descriptions, listings
// and the hex-dump helpers.
#include <cmath>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "platform/host.h"
#include "printing_fixture.h"

namespace kalix {

namespace {

// The real entry of x in the initial format, as a column shows it.
std::string entry(const char* text, int width = 14) {
    return std::string(width - strlen(text) - 1, ' ') + text + " ";
}

std::string repeat(const std::string& text, int n) {
    std::string all;
    for (int k = 0; k < n; k++) all += text;
    return all;
}

TEST_F(PrintingTest, EmptyMatrices) {
    printValue(pushRealMatrix(1, 0));
    EXPECT_EQ(output(), "[]\n");
    printValue(pushRealMatrix(0, 3));
    EXPECT_EQ(output(), "Empty matrix of size 0x3\n");
    printValue(pushComplexMatrix(2, 0));
    EXPECT_EQ(output(), "Empty matrix of size 2x0\n");
    printValue(pushIntervalMatrix(1, 0));
    EXPECT_EQ(output(), "[]\n");
}

TEST_F(PrintingTest, DenseRowsAndScalars) {
    printValue(pushCounting(1, 3));
    EXPECT_EQ(output(), "[1,  2,  3]\n");
    formatState.denseOutput = 1;
    printValue(realMatrix(1, 2, {0.5, -1e-7}));
    EXPECT_EQ(output(), "[0.5, -1e-07]\n");

    // A scalar uses the scalar format, and only for itself.
    printValue(pushReal(1.0 / 3));
    EXPECT_EQ(output(), "0.333333333333\n");
    EXPECT_STREQ(formatState.normalFormat, "%0.6g");
    printValue(realMatrix(1, 1, {1.0 / 3}));
    EXPECT_EQ(output(), "0.333333333333\n");
    printValue(realMatrix(1, 2, {1.0 / 3, 1e-11}));
    EXPECT_EQ(output(), "[0.333333, 1e-11]\n");
    formatState.scalarFormatOn = 0;
    printValue(pushReal(1.0 / 3));
    EXPECT_EQ(output(), "0.333333\n");
}

TEST_F(PrintingTest, DenseRowBreaksLines) {
    lineLength = 20;
    formatState.denseOutput = 1;
    printValue(pushCounting(1, 10));
    EXPECT_EQ(output(), "[1, 2, 3, 4, 5, 6, 7,\n8, 9, 10]\n");
}

TEST_F(PrintingTest, DenseRowStopsAfterTwentyLineBreaks) {
    lineLength = 10;
    formatState.denseOutput = 1;
    header* row = pushRealMatrix(1, 100);
    for (int k = 0; k < 100; k++) matrixData(row)[k] = 7;
    printValue(row);
    EXPECT_EQ(output(), "[" + repeat("7, 7, 7,\n", 20) + " ... ]\n");
    largeMatricesOn = 1;
    printValue(row);
    EXPECT_EQ(output(), "[" + repeat("7, 7, 7,\n", 32) + "7, 7, 7, 7]\n");
}

TEST_F(PrintingTest, RowWithoutDenseOutputPrintsEntries) {
    formatState.denseOutput = 0;
    printValue(pushCounting(1, 3));
    EXPECT_EQ(output(), entry("1") + entry("2") + entry("3") + "\n");
    printValue(pushReal(2));
    EXPECT_EQ(output(), entry("2") + "\n");
}

TEST_F(PrintingTest, SmallMatrixInOneBlock) {
    printValue(realMatrix(2, 2, {1, 2, 3, 0.5}));
    EXPECT_EQ(output(), entry("1") + entry("2") + "\n" + entry("3") + entry("0.5") + "\n");
}

TEST_F(PrintingTest, LargeMatrixSummaries) {
    header* tall = pushRealMatrix(30, 3);
    for (int k = 0; k < 90; k++) matrixData(tall)[k] = 1;
    printValue(tall);
    EXPECT_EQ(output(), "Real 30 x 3 matrix\n\n" +
                            repeat(entry("1") + entry("1") + entry("1") + "\n", 20) + "    ...\n");

    // Wider than a line: the first formatState.realColumns - 1 entries of each row.
    header* wide = pushRealMatrix(2, 7);
    for (int k = 0; k < 14; k++) matrixData(wide)[k] = 2;
    printValue(wide);
    EXPECT_EQ(output(), "Real 2 x 7 matrix\n\n" + repeat(repeat(entry("2"), 4) + "    ...\n", 2));
}

TEST_F(PrintingTest, ColumnBlocksWhenLargeMatricesAreOn) {
    largeMatricesOn = 1;
    header* m = pushRealMatrix(2, 11);
    for (int k = 0; k < 22; k++) matrixData(m)[k] = 3;
    printValue(m);
    std::string five = repeat(entry("3"), 5) + "\n";
    EXPECT_EQ(output(), "Column 1 to 5:\n" + five + five + "Column 6 to 10:\n" + five + five +
                            "Column 11:\n" + entry("3") + "\n" + entry("3") + "\n");
}

TEST_F(PrintingTest, ComplexLayouts) {
    printValue(pushComplex(1, -2));
    EXPECT_EQ(output(), "1-2i\n");
    printValue(pairMatrix(kindComplexMatrix, 1, 2, {1, 2, 3, 4}));
    EXPECT_EQ(output(), "[ 1+2i,  3+4i ]\n");
    std::string one = std::string(23, ' ') + "1+1i ";
    printValue(pairMatrix(kindComplexMatrix, 2, 2, {1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(output(), one + one + "\n" + one + one + "\n");
    // Two entries per line (formatState.realColumns / 2): three columns make a summary
    // showing two entries of each row.
    printValue(pairMatrix(kindComplexMatrix, 2, 3, std::vector<double>(12, 1)));
    EXPECT_EQ(output(), "Complex 2 x 3 matrix\n\n" + repeat(one + one + "    ...\n", 2));
}

TEST_F(PrintingTest, IntervalLayouts) {
    printValue(pushInterval(1, 2));
    EXPECT_EQ(output(), "~1,2~\n");
    printValue(pairMatrix(kindIntervalMatrix, 1, 2, {1, 2, 10, 11}));
    EXPECT_EQ(output(), "[ ~1,2~,  ~10,11~ ]\n");
    std::string one = std::string(42 - 6, ' ') + "~1,2~ ";
    printValue(pairMatrix(kindIntervalMatrix, 2, 1, {1, 2, 1, 2}));
    EXPECT_EQ(output(), one + "\n" + one + "\n");
    // One interval per line: a wider matrix is summarised with one entry.
    printValue(pairMatrix(kindIntervalMatrix, 2, 2, {1, 2, 1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(output(), "Interval 2 x 2 matrix\n\n" + repeat(one + "    ...\n", 2));
}

TEST_F(PrintingTest, ErrorInAnEntryStopsTheMatrix) {
    strcpy(formatState.userFormat, "missing");
    formatState.denseOutput = 0;
    printValue(pushCounting(1, 3));
    EXPECT_EQ(output(), "Kalix function \"missing\" not found for user output!\n");
    EXPECT_EQ(errorCode, 1);
    errorCode = 0;
    formatState.denseOutput = 2;
    header* row = pushCounting(1, 3);
    printValue(row);
    EXPECT_EQ(output(), "[Kalix function \"missing\" not found for user output!\n");
    EXPECT_STREQ(formatState.normalFormat, "%0.6g");
}

TEST_F(PrintingTest, Strings) {
    printValue(pushCString("hello"));
    EXPECT_EQ(output(), "hello\n");
    printValue(pushCString(""));
    EXPECT_EQ(output(), "\n");
    printValue(pushMarker(markerNone));
    printValue(pushMarker(markerNoResult));
    EXPECT_EQ(output(), "");
    header* utf8 = pushCString("h\xC3\xA9");
    utf8->flags |= flagUtf8;
    printValue(utf8);
    EXPECT_EQ(output(), "\xEF\xBB\xBFh\xC3\xA9\n");
}

TEST_F(PrintingTest, StringVectors) {
    const char bytes[] = "ab\0\0c\0\1";  // "ab", "" and "c"
    char* data = pushHeader(kindStringMatrix, headerSize + sizeof bytes, "");
    memcpy(data, bytes, sizeof bytes);
    header* v = recordAt(data - headerSize);
    printValue(v);
    EXPECT_EQ(output(), "ab\n\nc\n");
    v->flags |= flagUtf8;
    printValue(v);
    EXPECT_EQ(output(),
              "\xEF\xBB\xBF"
              "ab\n\xEF\xBB\xBF\n\xEF\xBB\xBF"
              "c\n");
}

TEST_F(PrintingTest, OtherKinds) {
    header* sparse = pushCompressedMatrix(2, 3, 2);
    char* entries = sparseEntries(sparse);
    int32_t positions[4] = {1, 0, 2, 1};  // column, row of each entry
    double values[2] = {5, -0.25};
    memcpy(entries, &positions[0], 8);
    memcpy(entries + 8, &values[0], 8);
    memcpy(entries + 16, &positions[2], 8);
    memcpy(entries + 24, &values[1], 8);
    printValue(sparse);
    EXPECT_EQ(output(),
              "Compressed 2x3 matrix\n"
              "    1     2" +
                  std::string(20, ' ') +
                  "5\n"
                  "    2     3" +
                  std::string(16, ' ') + "-0.25\n");

    char* binary = pushHeader(kindBinary, headerSize + 16, "");
    int32_t bytes = 5;
    memcpy(binary, &bytes, 4);
    printValue(recordAt(binary - headerSize));
    EXPECT_EQ(output(), "Binary data of 5 bytes\n");

    printValue(pushReference(nullptr));
    EXPECT_EQ(output(), "Unknown type 4\n");
}

TEST_F(PrintingTest, CollectionsPrintEachItem) {
    header* collection = pushCollection();
    pushCString("x");
    pushReal(2);
    collection->size = newram - reinterpret_cast<char*>(collection);
    printValue(collection);
    EXPECT_EQ(output(), "x\n2\n");
}

TEST_F(PrintingTest, PrintValueRestoresErrorsOff) {
    errorsOff = 0;
    EXPECT_EQ(printValue(pushReal(1)), 0);
    EXPECT_EQ(errorsOff, 0);
    errorsOff = 1;
    EXPECT_EQ(printValue(pushReal(1)), 1);
    EXPECT_EQ(errorsOff, 1);
    errorsOff = 0;
}

TEST_F(PrintingTest, DescribeVariable) {
    std::string longText(40, 'a');
    header* base = realMatrix(3, 4, std::vector<double>(12, 0));
    header* view = pushSubmatrix(base, 2, "v");
    const struct {
        header* value;
        std::string line;
    } cases[] = {
        {pushReal(1.0 / 3, "x"), "x                   0.333333333333333\n"},
        {pushComplex(1, -2, "z"), "z                   1+-2i\n"},
        {pushInterval(1, 2, "i"), "i                   ~1,2~\n"},
        {pushCString("short", "s"), "s                   short\n"},
        {pushCString(longText.c_str(), "t"),
         ("t                   " + std::string(32, 'a') + " ...\n")},
        {pushRealMatrix(2, 3, "m"), "m                   Type: Real Matrix (2x3)\n"},
        {pushComplexMatrix(1, 2, "c"), "c                   Type: Complex Matrix (1x2)\n"},
        {pushIntervalMatrix(4, 1, "im"), "im                  Type: Interval Matrix (4x1)\n"},
        {pushCompressedMatrix(5, 6, 0, "sp"),
         "sp                  Type: Compressed Matrix (5x6)\n"},
        {view, "v                   Type: Real Submatrix (1x1)\n"},
        {pushReference(nullptr, "r"), "r                   Type: Reference\n"},
        {pushStringVector("sv"), "sv                  Type: String Vector\n"},
        {pushCollection("co"), "co                  Type: Collection\n"},
        {pushFunction("f"), "f                   Type: Unknown Type\n"},
    };
    for (const auto& c : cases) {
        output();
        describeVariable(c.value);
        EXPECT_EQ(output(), c.line);
    }
}

// A frame of variables for the listings.
class ListingTest : public PrintingTest {
  protected:
    void SetUp() override {
        PrintingTest::SetUp();
        pushReal(1, "alpha");
        pushReal(2, "%");
        pushReal(3, "defaultwidth");
        header* p = pushReal(4, "protected");
        p->flags |= flagProtected;
        pushCString("text", "beta");
        endlocal = newram;
    }
};

TEST_F(ListingTest, ListVariables) {
    EXPECT_EQ(listVariables(""), 2);
    EXPECT_EQ(output(), "alpha               1\nbeta                text\n");
    EXPECT_EQ(listVariables("t"), 3);
    EXPECT_EQ(output(), "defaultwidth        3\nprotected           4\nbeta                text\n");
    EXPECT_EQ(listVariables("zz"), 0);
    EXPECT_EQ(output(), "No variable containing zz found.\n");
    endlocal = startlocal;
    EXPECT_EQ(listVariables(""), 0);
    EXPECT_EQ(output(), "No user variables defined.\n");
}

void noBuiltin(header*) {}

TEST_F(ListingTest, ListNames) {
    static const BuiltinRecord rows[] = {
        {"alphasort", 1, 0, noBuiltin},
        {"alphasort", 2, 0, noBuiltin},
        {"bravo", 1, 0, noBuiltin},
        {"zeta", 0, 0, noBuiltin},
    };
    static const BuiltinFamily family = {rows, 4};
    const BuiltinFamily* families[] = {&family};
    sortBuiltinFamilies(families, 1);
    int savedCount = commandCount;
    CommandRecord savedRows[2] = {commandTable[0], commandTable[1]};
    commandTable[0] = {"alphacommand", 0, 0, nullptr};
    commandTable[1] = {"other", 0, 0, nullptr};
    commandCount = 2;

    EXPECT_EQ(listNames("alpha"), 3);
    EXPECT_EQ(output(),
              "\n  *** Functions:\nalphasort \n"
              "\n  *** Variables :\nalpha \n"
              "\n  *** Commands:\nalphacommand \n");
    EXPECT_EQ(listNames("nothing"), 0);
    EXPECT_EQ(output(), "");

    // Running lines: a name that would reach the line length starts a new line.
    lineLength = 16;
    EXPECT_EQ(listNames("a"), 7);
    EXPECT_EQ(output(),
              "\n  *** Functions:\nalphasort \nbravo zeta \n"
              "\n  *** Variables :\nalpha beta \ndefaultwidth \n"
              "\n  *** Commands:\nalphacommand \n");

    commandTable[0] = savedRows[0];
    commandTable[1] = savedRows[1];
    commandCount = savedCount;
    sortBuiltins();
}

TEST_F(PrintingTest, HexHelpers) {
    printHexDigit(0);
    printHexDigit(9);
    printHexDigit(10);
    printHexDigit(15);
    EXPECT_EQ(output(), "09AF");
    printHexByte(0xAB);
    printHexByte(0x05);
    EXPECT_EQ(output(), "AB 05 ");
    const unsigned char bytes[] = {'a', 1, 'b', 31, 32, 0xE9};
    EXPECT_EQ(printByteChars(bytes, 6), 6);
    EXPECT_EQ(output(), "a_b_ \xE9");
    // In UTF-8 whole characters of the line show; a cut one does not.
    systemCodePageIsUtf8 = 1;
    const unsigned char text[] = {'x', 0xC3, 0xA4, 0xE6, 0xBC};
    EXPECT_EQ(printByteChars(text, 5), 5);
    systemCodePageIsUtf8 = 0;
    EXPECT_EQ(output(), "x\xC3\xA4__");
}

}  // namespace

}  // namespace kalix
