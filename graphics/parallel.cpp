// Row bands on threads.
#include "graphics/parallel.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace kalix {

namespace {
constexpr int largestBandCount = 4;

// The number of hardware threads, asked once: the C library may read a
// file for it.
int hardwareThreads() {
    static const int count = int(std::max(1u, std::thread::hardware_concurrency()));
    return count;
}

}  // namespace

int rowBandCount(int count, int minimumRows) {
    const int byRows = minimumRows > 0 ? count / minimumRows : count;
    if (byRows < 2) return 1;
    return std::max(1, std::min({largestBandCount, hardwareThreads(), byRows}));
}

void forRowBands(int count, int minimumRows, const std::function<void(int, int, int)>& work) {
    const int bands = rowBandCount(count, minimumRows);
    if (bands == 1) {
        work(0, 0, count);  // small work: no threads
        return;
    }
    std::vector<std::thread> threads;
    int first = 0;
    for (int b = 0; b < bands; b++) {
        const int end = int((long long)count * (b + 1) / bands);
        if (b == bands - 1) {
            work(b, first, end);
        } else {
            try {
                threads.emplace_back(work, b, first, end);
            } catch (const std::system_error&) {
                work(b, first, end);  // no thread to be had: do it here
            }
        }
        first = end;
    }
    for (std::thread& t : threads) t.join();
}

}  // namespace kalix
