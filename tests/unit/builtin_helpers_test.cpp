// Shared helpers of the builtin library: comparators, counters, UTF-8
// decoding, magic squares and double-to-int conversion.
#include <algorithm>
#include <climits>
#include <cmath>

#include "arithmetic_fixture.h"

namespace kalix {

class BuiltinHelpersTest : public OperatorTest {};

TEST(BuiltinHelpers, Comparators) {
    const double nan = std::nan("");
    struct Case {
        double a, b;
        int expected;
    } cases[] = {{1, 2, -1},           {2, 1, 1},     {3, 3, 0},     {nan, 1e300, 1},
                 {-INFINITY, nan, -1}, {nan, nan, 0}, {-0.0, 0.0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(compareDoublesNanLast(c.a, c.b), c.expected) << c.a << " " << c.b;

    const double r1[] = {1, nan, 3}, r2[] = {1, 5, 2}, r3[] = {1, nan, 3};
    EXPECT_EQ(compareRows(r1, r2, 3), 1);  // NaN decides nothing, 3 > 2 does
    EXPECT_EQ(compareRows(r2, r1, 3), -1);
    EXPECT_EQ(compareRows(r1, r3, 3), 0);
    EXPECT_EQ(compareRows(r1, r2, 1), 0);

    EXPECT_EQ(compareStrings("abc", "abd"), -1);
    EXPECT_EQ(compareStrings("ab", "abc"), -1);
    EXPECT_EQ(compareStrings("abc", "abc"), 0);
    EXPECT_EQ(compareStrings("\xe9", "z"), 1);  // unsigned bytes
}

TEST(BuiltinHelpers, Utf8Decoding) {
    struct Case {
        const char* text;
        int code, length;
    } cases[] = {
        {"A", 'A', 1},
        {"\xc3\xa9", 0xE9, 2},
        {"\xe2\x82\xac", 0x20AC, 3},
        {"\xf0\x9f\x98\x80", 0x1F600, 4},
        {"\x80", 0, 1},  // stray continuation byte: its low 6 bits
        {"\xbf", 0x3F, 1},
        {"\xe2\x82", 0x82, 2},                   // cut short: stops before the 0
        {"\xfe\x80\x80\x80\x80\x80\x81", 1, 7},  // leads without payload
        {"\xff\x80\x80\x80\x80\x80\x80\x82", 2, 8},
    };
    for (const Case& c : cases) {
        int code = -1;
        const char* after = decodeUtf8Char(c.text, &code);
        EXPECT_EQ(code, c.code) << c.text;
        EXPECT_EQ(after - c.text, c.length) << c.text;
    }
}

TEST(BuiltinHelpers, DoublesToInts) {
    EXPECT_EQ(clampToInt(NAN), 0);
    EXPECT_EQ(clampToInt(INFINITY), INT_MAX);
    EXPECT_EQ(clampToInt(-1e300), INT_MIN);
    EXPECT_EQ(clampToInt(-2.7), -2);
    int v = 5;
    EXPECT_FALSE(truncateToInt(NAN, &v));
    EXPECT_FALSE(truncateToInt(2147483648.0, &v));
    EXPECT_FALSE(truncateToInt(-INFINITY, &v));
    EXPECT_TRUE(truncateToInt(-2147483648.5, &v));
    EXPECT_EQ(v, INT_MIN);
    EXPECT_TRUE(truncateToInt(3.9, &v));
    EXPECT_EQ(v, 3);
}

TEST_F(BuiltinHelpersTest, Counters) {
    char* data = pushHeader(kindStringMatrix, headerSize + 8, "");
    std::memcpy(data, "a\0\0bc\0\1", 7);
    EXPECT_EQ(countStrings(recordAt(data - headerSize)), 3);
    EXPECT_EQ(countStrings(pushStringVector()), 1);  // the empty vector holds one empty string

    header* collection = pushCollection();
    pushReal(1);
    pushCString("two");
    row({1, 2, 3});
    collection->size = newram - reinterpret_cast<char*>(collection);
    EXPECT_EQ(countCollectionItems(collection), 3);
    EXPECT_EQ(countCollectionItems(pushCollection()), 0);
}

TEST_F(BuiltinHelpersTest, MagicSquares) {
    std::vector<double> square(9);
    buildMagicSquare(square.data(), 3);
    EXPECT_EQ(square, (std::vector<double>{8, 1, 6, 3, 5, 7, 4, 9, 2}));
    square.resize(16);
    buildMagicSquare(square.data(), 4);
    EXPECT_EQ(std::vector<double>(square.begin(), square.begin() + 4),
              (std::vector<double>{16, 2, 3, 13}));

    // Order 6: the first cell of the half square holds 8 under an L.
    square.resize(36);
    buildMagicSquare(square.data(), 6);
    EXPECT_EQ(square[0], 32);
    EXPECT_EQ(square[1], 29);
    EXPECT_EQ(square[6], 30);
    EXPECT_EQ(square[7], 31);

    for (int n = 3; n <= 14; n++) {
        SCOPED_TRACE(n);
        std::vector<double> m(size_t(n) * n);
        char* top = newram;
        buildMagicSquare(m.data(), n);
        EXPECT_EQ(newram, top);
        double sum = double(n) * (double(n) * n + 1) / 2, diagonal = 0, anti = 0;
        std::vector<double> sorted = m;
        std::sort(sorted.begin(), sorted.end());
        for (int k = 0; k < n * n; k++) EXPECT_EQ(sorted[k], k + 1);
        for (int i = 0; i < n; i++) {
            double rowSum = 0, columnSum = 0;
            for (int j = 0; j < n; j++) rowSum += m[i * n + j], columnSum += m[j * n + i];
            EXPECT_EQ(rowSum, sum);
            EXPECT_EQ(columnSum, sum);
            diagonal += m[i * n + i];
            anti += m[i * n + n - 1 - i];
        }
        EXPECT_EQ(diagonal, sum);
        EXPECT_EQ(anti, sum);
    }
}

TEST_F(BuiltinHelpersTest, MagicSquareScratchMustFit) {
    // Order 4m+2 needs (n/2)^2 doubles of scratch above the stack top.
    newram = ramend - 64;
    std::vector<double> m(36);
    buildMagicSquare(m.data(), 6);
    EXPECT_EQ(output(), "Out of stack space in magic\n");
    EXPECT_EQ(errorCode, 1);
}

}  // namespace kalix
