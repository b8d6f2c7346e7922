// Transposition in cache-sized blocks.
#pragma once

#include <algorithm>
#include <cstdint>

namespace kalix {

// Copies the rows x columns row-major `from` into `to` stored by columns
// (leading dimension rows), element (i, j) as map(i, element).
template <typename E, typename Map>
void transposeBlocked(const E* from, int rows, int columns, E* to, Map map) {
    constexpr int block = 32;
    for (int i0 = 0; i0 < rows; i0 += block)
        for (int j0 = 0; j0 < columns; j0 += block) {
            const int i1 = std::min(rows, i0 + block), j1 = std::min(columns, j0 + block);
            for (int i = i0; i < i1; i++)
                for (int j = j0; j < j1; j++)
                    to[int64_t(j) * rows + i] = map(i, from[int64_t(i) * columns + j]);
        }
}

}  // namespace kalix
