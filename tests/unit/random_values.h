// Reproducible random test data for the numerical kernels.
#pragma once

#include <random>
#include <vector>

namespace kalix {

// `count` values uniform in [-1, 1) from the given seed.
inline std::vector<double> randomValues(size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-1, 1);
    std::vector<double> v(count);
    for (double& x : v) x = uniform(generator);
    return v;
}

inline std::vector<double> randomMatrix(int rows, int columns, unsigned seed) {
    return randomValues(size_t(rows) * columns, seed);
}

}  // namespace kalix
