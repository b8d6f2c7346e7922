// Kernels of the matrix builtins: sorting, searching in sorted vectors,
// recursive filters and folds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "numerics/filters.h"
#include "numerics/sorting.h"
#include "numerics/vector_search.h"

namespace kalix {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

bool sameBits(double a, double b) { return std::memcmp(&a, &b, 8) == 0; }

// The reference: a stable sort of the positions, NaN after every number.
std::vector<double> referenceOrder(const std::vector<double>& v) {
    std::vector<double> order(v.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&v](double a, double b) {
        const double x = v[size_t(a)], y = v[size_t(b)];
        return !std::isnan(x) && (std::isnan(y) || x < y);
    });
    return order;
}

void expectSortedLikeReference(const std::vector<double>& v, const char* what) {
    const uint32_t n = uint32_t(v.size());
    std::vector<double> sorted(n), positions(n);
    std::vector<uint64_t> scratch(size_t(doubleSortScratchBytes(n) / 8) + 1);
    sortDoubles(v.data(), n, sorted.data(), positions.data(), scratch.data());
    EXPECT_EQ(positions, referenceOrder(v)) << what;
    for (uint32_t i = 0; i < n; i++)
        EXPECT_TRUE(sameBits(sorted[i], v[size_t(positions[i])])) << what << " at " << i;
}

TEST(SortDoubles, OrdersLikeAStableSortWithNanLast) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> uniform(-1, 1);
    std::vector<double> wide(5000), clustered(5000), repeated(5000), mixed;
    for (double& x : wide) x = uniform(random) * std::pow(10.0, std::floor(uniform(random) * 300));
    for (double& x : clustered) x = 1 + uniform(random) * 1e-12;  // one exponent, low bits differ
    for (double& x : repeated) x = std::floor(uniform(random) * 20);
    mixed = {3, nan, -0.0, 0.0, -inf, inf, -1, 5e-324, -5e-324, 0.0, -0.0, nan, 1e308, -1e308, 2};
    for (int i = 0; i < 300; i++)
        mixed.push_back(i % 7 == 0 ? nan : std::floor(uniform(random) * 4));
    expectSortedLikeReference(wide, "wide range");
    expectSortedLikeReference(clustered, "clustered");
    expectSortedLikeReference(repeated, "repeated values keep their order");
    expectSortedLikeReference(mixed, "zeros, infinities, subnormals and NaN");
    expectSortedLikeReference({}, "empty");
    expectSortedLikeReference({nan}, "one NaN");
    expectSortedLikeReference({nan, nan, nan}, "only NaN");
    expectSortedLikeReference(std::vector<double>(100, 4.5), "all equal");
}

TEST(SortDoubles, KeepsTheSignOfEachZero) {
    const std::vector<double> v = {0.0, -0.0, 1, -0.0};
    std::vector<double> sorted(4), positions(4);
    std::vector<uint64_t> scratch(size_t(doubleSortScratchBytes(4) / 8));
    sortDoubles(v.data(), 4, sorted.data(), positions.data(), scratch.data());
    EXPECT_EQ(positions, (std::vector<double>{0, 1, 3, 2}));
    EXPECT_FALSE(std::signbit(sorted[0]));
    EXPECT_TRUE(std::signbit(sorted[1]));
    EXPECT_TRUE(std::signbit(sorted[2]));
}

TEST(MergeSortPositions, StableAndSafeUnderAnyOrdering) {
    std::mt19937 random(3);
    for (size_t n : {0u, 1u, 2u, 15u, 16u, 17u, 100u, 1000u}) {
        std::vector<int> keys(n);
        for (int& k : keys) k = int(random() % 10);
        std::vector<uint32_t> order(n), temp(n), expected(n);
        std::iota(order.begin(), order.end(), 0u);
        std::iota(expected.begin(), expected.end(), 0u);
        auto less = [&keys](uint32_t a, uint32_t b) { return keys[a] < keys[b]; };
        mergeSortPositions(order.data(), temp.data(), int64_t(n), less);
        std::stable_sort(expected.begin(), expected.end(), less);
        EXPECT_EQ(order, expected) << n;

        // An ordering that contradicts itself still leaves a permutation.
        std::iota(order.begin(), order.end(), 0u);
        mergeSortPositions(order.data(), temp.data(), int64_t(n),
                           [&random](uint32_t, uint32_t) { return random() % 2 == 0; });
        std::sort(order.begin(), order.end());
        std::vector<uint32_t> all(n);
        std::iota(all.begin(), all.end(), 0u);
        EXPECT_EQ(order, all) << n;
    }
}

TEST(SortedSearch, PositionsInASortedVector) {
    const double v[] = {1, 2, 2, 3};
    const SortedDoubles sorted = sortedDoubles(v, 4);
    struct Case {
        double x;
        int64_t notAbove, lastEqual, equal;
    };
    const Case cases[] = {
        {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 3, 3, 2},   {2.5, 3, 0, 0},
        {3, 4, 4, 1}, {4, 4, 0, 0}, {nan, 4, 0, 0},  // NaN comes after every number and equals none
                                                     // of them
    };
    for (const Case& c : cases) {
        EXPECT_EQ(countNotAbove(sorted, c.x), c.notAbove) << c.x;
        EXPECT_EQ(lastEqualPosition(sorted, c.x), c.lastEqual) << c.x;
        EXPECT_EQ(equalCount(sorted, c.x), c.equal) << c.x;
    }
}

TEST(SortedSearch, NanElementsAtTheEndAreAboveEveryNumber) {
    const double v[] = {1, 2, nan, nan};
    const SortedDoubles sorted = sortedDoubles(v, 4);
    EXPECT_EQ(sorted.numbers, 2);
    const double queries[] = {5, 2, nan};
    const int64_t notAbove[] = {2, 2, 4}, lastEqual[] = {0, 2, 4}, equal[] = {0, 1, 2};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(countNotAbove(sorted, queries[i]), notAbove[i]) << queries[i];
        EXPECT_EQ(lastEqualPosition(sorted, queries[i]), lastEqual[i]) << queries[i];
        EXPECT_EQ(equalCount(sorted, queries[i]), equal[i]) << queries[i];
    }
    const double onlyNan[] = {nan};
    EXPECT_EQ(countNotAbove(sortedDoubles(onlyNan, 1), 3.0), 0);
    EXPECT_EQ(equalCount(sortedDoubles(onlyNan, 1), nan), 1);
}

TEST(SortedSearch, EmptyVectorAnswersZero) {
    const double v[] = {1};
    const SortedDoubles empty = sortedDoubles(v, 0);
    for (double x : {0.0, 1.0, nan}) {
        EXPECT_EQ(countNotAbove(empty, x), 0);
        EXPECT_EQ(lastEqualPosition(empty, x), 0);
        EXPECT_EQ(equalCount(empty, x), 0);
        double out = -1;
        countNotAboveEach(empty, &x, 1, &out);
        EXPECT_EQ(out, 0);
    }
    EXPECT_EQ(firstEqualPosition(v, 0, 1.0), 0);
}

TEST(SortedSearch, InterleavedSearchAnswersAsTheSingleOne) {
    std::mt19937_64 random(5);
    for (int64_t n : {0, 1, 2, 3, 1000}) {
        std::vector<double> v{};
        v.resize(size_t(n));
        for (double& x : v) x = double(random() % 50);
        std::sort(v.begin(), v.end());
        if (n > 3) v[size_t(n) - 1] = v[size_t(n) - 2] = nan;
        const SortedDoubles sorted = sortedDoubles(v.data(), n);
        std::vector<double> queries = {nan, -1, 60};
        for (int i = 0; i < 100; i++) queries.push_back(double(random() % 110) / 2 - 2);
        std::vector<double> out(queries.size());
        countNotAboveEach(sorted, queries.data(), int64_t(queries.size()), out.data());
        for (size_t i = 0; i < queries.size(); i++)
            EXPECT_EQ(out[i], double(countNotAbove(sorted, queries[i])))
                << "n " << n << " query " << queries[i];
    }
}

TEST(FirstEqualPosition, LinearSearch) {
    const double v[] = {5, 3, nan, 5};
    EXPECT_EQ(firstEqualPosition(v, 4, 5), 1);
    EXPECT_EQ(firstEqualPosition(v, 4, 4), 0);
    EXPECT_EQ(firstEqualPosition(v, 4, nan), 3);
}

TEST(FirstEqualPosition, ManyQueriesAnswerAsTheLinearSearch) {
    std::mt19937_64 random(9);
    std::vector<double> v(3000);
    for (double& x : v) {
        const uint64_t r = random() % 100;
        x = r < 5 ? nan : r < 10 ? -0.0 : double(r % 40) - 10;
    }
    std::vector<double> queries = {nan, 0.0, -0.0, 1e9, -1e9, 0.5};
    for (int i = 0; i < 200; i++) queries.push_back(double(random() % 60) - 15);
    std::vector<double> out(queries.size());
    std::vector<uint64_t> scratch(size_t(firstEqualScratchBytes(3000) / 8));
    for (uint32_t n : {0u, 1u, 50u, 3000u}) {
        firstEqualPositionEach(v.data(), n, queries.data(), int64_t(queries.size()), out.data(),
                               scratch.data());
        for (size_t i = 0; i < queries.size(); i++)
            EXPECT_EQ(out[i], double(firstEqualPosition(v.data(), n, queries[i])))
                << "n " << n << " query " << queries[i];
    }
}

TEST(FindMinMax, ExtremesWithTheirPositions) {
    const double a[] = {nan, 2, 1, 3};
    MinMax m = findMinMax(a, 4);
    EXPECT_EQ(m.minimum, 1);
    EXPECT_EQ(m.minimumIndex, 2);
    EXPECT_EQ(m.maximum, 3);
    EXPECT_EQ(m.maximumIndex, 3);

    const double ties[] = {2, 1, 5, 1, 5};
    m = findMinMax(ties, 5);
    EXPECT_EQ(m.minimumIndex, 1);
    EXPECT_EQ(m.maximumIndex, 2);

    m = findMinMax(a, 0);
    EXPECT_EQ(m.minimum, 0);
    EXPECT_EQ(m.maximum, 0);
    EXPECT_EQ(m.minimumIndex, 0);
    EXPECT_EQ(m.maximumIndex, 0);

    const double nans[] = {nan, nan};
    m = findMinMax(nans, 2);
    EXPECT_TRUE(std::isnan(m.minimum) && std::isnan(m.maximum));
    EXPECT_EQ(m.minimumIndex, 0);
}

TEST(Filter, RealRecurrence) {
    // Moving sum of two.
    const double b[] = {1, 1}, a[] = {1}, x[] = {1, 2, 3}, y[] = {0};
    double r[2];
    filterReal(b, 2, a, 1, x, 3, y, 1, r);
    EXPECT_EQ(r[0], 3);
    EXPECT_EQ(r[1], 5);

    // Running sum from the start value 10: r(l) = x(l) + r(l - 1).
    const double one[] = {1}, feedback[] = {1, -1}, ones[] = {1, 1, 1}, start[] = {10};
    double s[3];
    filterReal(one, 1, feedback, 2, ones, 3, start, 1, s);
    EXPECT_EQ(std::vector<double>(s, s + 3), (std::vector<double>{11, 12, 13}));

    // Second order: the last start value stands right before r(0); a(0) divides.
    const double a2[] = {2, -1, -1}, x2[] = {2, 0, 0}, y2[] = {3, 5};
    double t[3];
    filterReal(one, 1, a2, 3, x2, 3, y2, 2, t);
    EXPECT_EQ(t[0], (2 + 5 + 3) / 2.0);  // 5
    EXPECT_EQ(t[1], (0 + 5 + 5) / 2.0);  // 5
    EXPECT_EQ(t[2], (0 + 5 + 5) / 2.0);
}

TEST(Filter, ComplexDivisionByTheFirstFeedbackCoefficient) {
    // filter([1], [I], [1, 2], 0) = [-I, -2I].
    const double b[] = {1, 0}, a[] = {0, 1}, x[] = {1, 0, 2, 0}, y[] = {0, 0};
    double r[4];
    filterComplex(b, 1, a, 1, x, 2, y, 1, r);
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[1], -1);
    EXPECT_EQ(r[2], 0);
    EXPECT_EQ(r[3], -2);
}

TEST(Fold, SumsOfProductsWhereTheSmallMatrixFits) {
    const double a[] = {1, 2, 3, 4}, ones[] = {1, 1};
    double r[3];
    foldReal(a, 1, 4, ones, 1, 2, r);
    EXPECT_EQ(std::vector<double>(r, r + 3), (std::vector<double>{3, 5, 7}));

    const double square[] = {1, 2, 3, 4}, identity[] = {1, 0, 0, 1};
    double trace;
    foldReal(square, 2, 2, identity, 2, 2, &trace);
    EXPECT_EQ(trace, 5);

    // B is neither mirrored nor conjugated: [I, 2I] with [I, 1] gives -1 + 2I.
    const double c[] = {0, 1, 0, 2}, d[] = {0, 1, 1, 0};
    double z[2];
    foldComplex(c, 1, 2, d, 1, 2, z);
    EXPECT_EQ(z[0], -1);
    EXPECT_EQ(z[1], 2);
    const double realB[] = {1, 3};
    foldComplexReal(c, 1, 2, realB, 1, 2, z);
    EXPECT_EQ(z[0], 0);
    EXPECT_EQ(z[1], 7);
}

}  // namespace

}  // namespace kalix
