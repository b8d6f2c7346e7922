// Kernels on compressed sparse matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numerics/sparse.h"

namespace kalix {

// Found by argument-dependent lookup: SparseEntry lives in the global
// namespace.
static bool operator==(const SparseEntry& a, const SparseEntry& b) {
    return a.column == b.column && a.row == b.row && a.value == b.value;
}

namespace {

constexpr double epsilon = 2.220446049250313e-12;

std::vector<char> pack(const std::vector<SparseEntry>& entries) {
    std::vector<char> bytes(entries.size() * sparseEntryBytes);
    for (size_t k = 0; k < entries.size(); k++)
        writeSparseEntry(bytes.data() + k * sparseEntryBytes, entries[k]);
    return bytes;
}

std::vector<SparseEntry> unpack(const std::vector<char>& bytes, int64_t count) {
    std::vector<SparseEntry> entries;
    for (int64_t k = 0; k < count; k++)
        entries.push_back(readSparseEntry(bytes.data() + k * sparseEntryBytes));
    return entries;
}

// The entries are read with memcpy: one starting at an odd address must
// come back whole.
TEST(SparseEntries, UnalignedReadAndWrite) {
    std::vector<char> buffer(40);
    writeSparseEntry(buffer.data() + 3, {7, 9, 0.1});
    const SparseEntry e = readSparseEntry(buffer.data() + 3);
    EXPECT_EQ(e.column, 7);
    EXPECT_EQ(e.row, 9);
    EXPECT_EQ(e.value, 0.1);
}

TEST(SparseCompress, KeepsEntriesAboveEpsilonRowByRow) {
    const double a[] = {1, 0, 1e-13, 0, 2, -3};
    std::vector<char> out(6 * sparseEntryBytes);
    int64_t count = -1;
    ASSERT_EQ(compressDense(a, 2, 3, epsilon, out.data(), 6, &count), SparseStatus::ok);
    EXPECT_EQ(unpack(out, count), (std::vector<SparseEntry>{{0, 0, 1}, {1, 1, 2}, {2, 1, -3}}));
    EXPECT_EQ(compressDense(a, 2, 3, epsilon, out.data(), 2, &count), SparseStatus::noRoom);
    double back[6];
    ASSERT_EQ(expandEntries(out.data(), 3, 2, 3, back), SparseStatus::ok);
    EXPECT_EQ(std::vector<double>(back, back + 6), (std::vector<double>{1, 0, 0, 0, 2, -3}));
    const std::vector<char> outside = pack({{3, 0, 1}});
    EXPECT_EQ(expandEntries(outside.data(), 1, 2, 3, back), SparseStatus::badEntry);
}

TEST(SparseMultiply, DenseRightHandSide) {
    // A = [[1, 0, 2], [0, 3, 0]] times B = [[1, 2], [3, 4], [5, 6]].
    const std::vector<char> a = pack({{0, 0, 1}, {2, 0, 2}, {1, 1, 3}});
    const double b[] = {1, 2, 3, 4, 5, 6}, v[] = {1, 1, 1};
    double c[4], w[2];
    ASSERT_EQ(multiplySparseDense(a.data(), 3, 2, 3, b, 2, c), SparseStatus::ok);
    EXPECT_EQ(std::vector<double>(c, c + 4), (std::vector<double>{11, 14, 9, 12}));
    ASSERT_EQ(multiplySparseDense(a.data(), 3, 2, 3, v, 1, w), SparseStatus::ok);
    EXPECT_EQ(w[0], 3);
    EXPECT_EQ(w[1], 3);
    EXPECT_EQ(multiplySparseDense(a.data(), 3, 2, 2, b, 2, c), SparseStatus::badEntry);
}

TEST(SparseMultiply, CompressedRightHandSide) {
    // A (2 x 3) = [[1, 0, 2], [0, 3, 0]], B (3 x 4) = [[1, 0, 0, 1], [0, 1, 0, 0],
    // [0, 0, 1, -0.5]]: A B = [[1, 0, 2, 0], [0, 3, 0, 0]]; the 0 at (0, 3)
    // cancels (1 - 2 * 0.5) and is left out.
    const std::vector<char> a = pack({{0, 0, 1}, {2, 0, 2}, {1, 1, 3}});
    const std::vector<char> b = pack({{0, 0, 1}, {3, 0, 1}, {1, 1, 1}, {2, 2, 1}, {3, 2, -0.5}});
    std::vector<char> out(8 * sparseEntryBytes);
    int64_t count = -1;
    ASSERT_EQ(multiplySparseSparse({a.data(), 3, 2, 3}, {b.data(), 5, 3, 4}, epsilon, out.data(), 8,
                                   &count),
              SparseStatus::ok);
    EXPECT_EQ(unpack(out, count), (std::vector<SparseEntry>{{0, 0, 1}, {2, 0, 2}, {1, 1, 3}}));
    // Every column of the result can be reached.
    const std::vector<char> dense = pack({{0, 0, 1}, {1, 0, 1}, {2, 0, 1}, {3, 0, 1}});
    ASSERT_EQ(multiplySparseSparse({a.data(), 3, 2, 3}, {dense.data(), 4, 3, 4}, epsilon,
                                   out.data(), 8, &count),
              SparseStatus::ok);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(multiplySparseSparse({a.data(), 3, 2, 3}, {dense.data(), 4, 3, 4}, epsilon,
                                   out.data(), 3, &count),
              SparseStatus::noRoom);
    const std::vector<char> unsorted = pack({{0, 1, 1}, {0, 0, 1}});
    EXPECT_EQ(multiplySparseSparse({a.data(), 3, 2, 3}, {unsorted.data(), 2, 3, 1}, epsilon,
                                   out.data(), 8, &count),
              SparseStatus::badEntry);
}

TEST(SparseTranspose, SortsByTheNewRows) {
    const std::vector<char> a = pack({{1, 0, 1}, {2, 0, 2}, {0, 1, 3}, {2, 1, 4}});
    std::vector<char> out(a.size());
    ASSERT_EQ(transposeEntries(a.data(), 4, 2, 3, out.data()), SparseStatus::ok);
    EXPECT_EQ(unpack(out, 4),
              (std::vector<SparseEntry>{{1, 0, 3}, {0, 1, 1}, {0, 2, 2}, {1, 2, 4}}));
    const std::vector<char> outside = pack({{0, 2, 1}});
    EXPECT_EQ(transposeEntries(outside.data(), 1, 2, 3, out.data()), SparseStatus::badEntry);
}

TEST(SparseMerge, LaterValuesWinAndZerosRemove) {
    const std::vector<char> a = pack({{0, 0, 1}, {1, 1, 2}});
    const SparseEntry updates[] = {{2, 2, 5}, {1, 1, 7}, {2, 2, 6}, {0, 0, 0}};
    std::vector<char> out(6 * sparseEntryBytes);
    int64_t count = -1;
    ASSERT_EQ(mergeEntries(a.data(), 2, updates, 4, 3, 3, epsilon, out.data(), &count),
              SparseStatus::ok);
    EXPECT_EQ(unpack(out, count), (std::vector<SparseEntry>{{1, 1, 7}, {2, 2, 6}}));
}

TEST(SparseSeidel, OneSweep) {
    // Diagonal system: one sweep with w = 1 gives b ./ d.
    const std::vector<char> d = pack({{0, 0, 2}, {1, 1, 4}});
    const double b[] = {2, 2}, x[] = {0, 0};
    double y[2];
    int row = -1;
    ASSERT_EQ(seidelSweep(d.data(), 2, 2, b, x, 1, y, nullptr, &row), SparseStatus::ok);
    EXPECT_EQ(y[0], 1);
    EXPECT_EQ(y[1], 0.5);
    // [[4, 1], [1, 3]]: the second row uses the new first value.
    const std::vector<char> a = pack({{0, 0, 4}, {1, 0, 1}, {0, 1, 1}, {1, 1, 3}});
    const double c[] = {5, 4}, start[] = {0, 0};
    ASSERT_EQ(seidelSweep(a.data(), 4, 2, c, start, 1, y, nullptr, &row), SparseStatus::ok);
    EXPECT_EQ(y[0], 1.25);
    EXPECT_EQ(y[1], (4 - 1.25) / 3);
    // Relaxation mixes in the old value.
    const double old[] = {1, 1};
    ASSERT_EQ(seidelSweep(d.data(), 2, 2, b, old, 0.5, y, nullptr, &row), SparseStatus::ok);
    EXPECT_EQ(y[0], 1);
    EXPECT_EQ(y[1], 0.75);
    // A row without its diagonal.
    const std::vector<char> gap = pack({{0, 0, 1}, {0, 1, 1}});
    EXPECT_EQ(seidelSweep(gap.data(), 2, 2, b, x, 1, y, nullptr, &row), SparseStatus::zeroDiagonal);
    EXPECT_EQ(row, 1);
    const std::vector<char> outside = pack({{5, 0, 1}});
    EXPECT_EQ(seidelSweep(outside.data(), 1, 2, b, x, 1, y, nullptr, &row), SparseStatus::badEntry);
}

}  // namespace

}  // namespace kalix
