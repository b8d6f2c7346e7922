// Row bands on threads.
#include "graphics/parallel.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace {
constexpr int largestBandCount = 4;
}

int rowBandCount(int count, int minimumRows) {
    const int hardware = int(std::max(1u, std::thread::hardware_concurrency()));
    const int byRows = minimumRows > 0 ? count / minimumRows : count;
    return std::max(1, std::min({largestBandCount, hardware, byRows}));
}

void forRowBands(int count, int minimumRows, const std::function<void(int, int, int)>& work) {
    const int bands = rowBandCount(count, minimumRows);
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
