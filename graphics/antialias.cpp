// The 3:1 reduction filter and area resampling.
#include "graphics/antialias.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/parallel.h"

namespace kalix {

namespace {

// The three colours of a pixel in 21-bit fields of one word, so one
// multiply-add serves all three (sums stay below 324 * 255 < 2^21).
constexpr uint64_t fieldMask = (1u << 21) - 1;

inline uint64_t spread(uint32_t p) {
    return uint64_t((p >> 16) & 0xff) << 42 | uint64_t((p >> 8) & 0xff) << 21 | (p & 0xff);
}

template <typename Divide>
inline uint32_t gather(uint64_t s, Divide divide) {
    return 0xff000000u | divide(uint32_t(s >> 42)) << 16 |
           divide(uint32_t((s >> 21) & fieldMask)) << 8 | divide(uint32_t(s & fieldMask));
}

// Offsets -2..2 around a block centre that stay inside: all of them inside,
// from 0 on at the first block, up to 0 at the last.
struct Taps {
    int first, last, weightSum;
};

Taps tapsOf(int index, int count, const int weights[5]) {
    Taps t{-2, 2, 0};
    if (index == 0) t.first = 0;
    if (index == count - 1) t.last = 0;
    for (int d = t.first; d <= t.last; d++) t.weightSum += weights[d + 2];
    return t;
}

// The horizontal pass over one source row: per target column the weighted
// sum of its taps, colours spread.
template <int W0, int W1, int W2>
void filterRow(const uint32_t* row, int w, std::vector<uint64_t>& spreadRow, uint64_t* out) {
    static const int weights[5] = {W0, W1, W2, W1, W0};
    const size_t n = size_t(w) * 3;
    uint64_t* s = spreadRow.data();
    for (size_t x = 0; x < n; x++) s[x] = spread(row[x]);
    for (int i : {0, w - 1}) {
        const Taps t = tapsOf(i, w, weights);
        uint64_t sum = 0;
        for (int d = t.first; d <= t.last; d++) sum += weights[d + 2] * s[3 * i + 1 + d];
        out[i] = sum;
    }
    for (int i = 1; i < w - 1; i++) {
        const uint64_t* c = s + 3 * i + 1;
        out[i] = W0 * (c[-2] + c[2]) + W1 * (c[-1] + c[1]) + W2 * c[0];
    }
}

template <int W0, int W1, int W2>
void filterRows(const PixelImage& source, PixelImage& target, int firstRow, int endRow) {
    constexpr uint32_t Sum = uint32_t((2 * W0 + 2 * W1 + W2) * (2 * W0 + 2 * W1 + W2));
    static const int weights[5] = {W0, W1, W2, W1, W0};
    const int w = target.width(), h = target.height();
    // Horizontal sums of five consecutive source rows, slot = row mod 5.
    std::vector<uint64_t> rows[5];
    int rowIn[5] = {-1, -1, -1, -1, -1};
    for (auto& r : rows) r.resize(size_t(w));
    std::vector<uint64_t> spreadRow(size_t(w) * 3);
    for (int j = firstRow; j < endRow; j++) {
        const Taps ty = tapsOf(j, h, weights);
        const uint64_t* sums[5] = {};
        for (int d = ty.first; d <= ty.last; d++) {
            const int r = 3 * j + 1 + d;
            const int slot = r % 5;
            if (rowIn[slot] != r) {
                filterRow<W0, W1, W2>(source.row(r), w, spreadRow, rows[slot].data());
                rowIn[slot] = r;
            }
            sums[d + 2] = rows[slot].data();
        }
        uint32_t* out = target.row(j);
        auto border = [&](int i) {
            uint64_t s = 0;
            for (int d = ty.first; d <= ty.last; d++) s += weights[d + 2] * sums[d + 2][i];
            const uint32_t divisor = uint32_t(tapsOf(i, w, weights).weightSum * ty.weightSum);
            out[i] = gather(s, [divisor](uint32_t v) { return v / divisor; });
        };
        if (j == 0 || j == h - 1) {
            for (int i = 0; i < w; i++) border(i);
            continue;
        }
        border(0);
        if (w > 1) border(w - 1);
        const uint64_t *a = sums[0], *b = sums[1], *c = sums[2], *d = sums[3], *e = sums[4];
        for (int i = 1; i < w - 1; i++) {
            const uint64_t s = W0 * (a[i] + e[i]) + W1 * (b[i] + d[i]) + W2 * c[i];
            out[i] = gather(s, [](uint32_t v) { return v / Sum; });
        }
    }
}

}  // namespace

bool filterDownBy3(const PixelImage& source, PixelImage& target, bool sharper) {
    const int w = target.width(), h = target.height();
    if (w <= 0 || h <= 0 || source.width() != 3 * w || source.height() != 3 * h) return false;
    forRowBands(h, 64, [&](int, int first, int end) {
        if (sharper)
            filterRows<1, 5, 6>(source, target, first, end);
        else
            filterRows<1, 3, 4>(source, target, first, end);
    });
    return true;
}

namespace {

// The source pixels a target pixel covers along one axis, with their
// shares of it.
struct Cover {
    int first;
    std::vector<double> shares;
};

std::vector<Cover> coversOf(int sourceSize, int targetSize) {
    std::vector<Cover> covers(static_cast<size_t>(targetSize));
    const double step = double(sourceSize) / targetSize;
    for (int t = 0; t < targetSize; t++) {
        const double a = t * step, b = (t + 1) * step;
        Cover& c = covers[size_t(t)];
        c.first = int(a);
        for (int s = c.first; s < sourceSize && s < b; s++)
            c.shares.push_back((std::min(b, s + 1.0) - std::max(a, double(s))) / step);
    }
    return covers;
}

}  // namespace

void resampleInto(const PixelImage& source, PixelImage& target) {
    if (source.empty() || target.empty()) return;
    const std::vector<Cover> across = coversOf(source.width(), target.width());
    const std::vector<Cover> down = coversOf(source.height(), target.height());
    std::vector<double> line(size_t(target.width()) * 3);
    for (int j = 0; j < target.height(); j++) {
        std::fill(line.begin(), line.end(), 0.0);
        const Cover& cy = down[size_t(j)];
        for (size_t dy = 0; dy < cy.shares.size(); dy++) {
            const uint32_t* row = source.row(cy.first + int(dy));
            for (int i = 0; i < target.width(); i++) {
                const Cover& cx = across[size_t(i)];
                double* acc = &line[size_t(i) * 3];
                for (size_t dx = 0; dx < cx.shares.size(); dx++) {
                    const uint32_t p = row[cx.first + int(dx)];
                    const double share = cx.shares[dx] * cy.shares[dy];
                    acc[0] += share * ((p >> 16) & 0xff);
                    acc[1] += share * ((p >> 8) & 0xff);
                    acc[2] += share * (p & 0xff);
                }
            }
        }
        uint32_t* out = target.row(j);
        for (int i = 0; i < target.width(); i++) {
            const double* acc = &line[size_t(i) * 3];
            auto channel = [](double v) { return uint32_t(std::clamp(v + 0.5, 0.0, 255.0)); };
            out[i] = 0xff000000u | channel(acc[0]) << 16 | channel(acc[1]) << 8 | channel(acc[2]);
        }
    }
}

void reduceInto(const PixelImage& source, PixelImage& target, bool filter, bool sharper) {
    if (filter && filterDownBy3(source, target, sharper)) return;
    resampleInto(source, target);
}

}  // namespace kalix
