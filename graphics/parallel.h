// Work on large pictures split into bands of rows, done by a few threads
// at once.
#pragma once

#include <functional>

namespace kalix {

// Calls work(band, first, end) for bands of rows covering 0 .. count - 1,
// band 0 first, each band on its own thread, the last on the calling
// thread; returns when all are done. Fewer than 2 * minimumRows rows run
// as one band.
void forRowBands(int count, int minimumRows,
                 const std::function<void(int band, int first, int end)>& work);

// How many bands forRowBands makes of `count` rows.
int rowBandCount(int count, int minimumRows);

}  // namespace kalix
