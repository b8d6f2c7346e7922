// The widest vectors of the processor the program runs on, for kernels
// compiled once per width. The arithmetic of every lane is the same IEEE
// operation at any width (products are never fused into sums), so every
// choice gives the same bits.
#pragma once

namespace kalix {

enum class VectorWidth {
    basic,   // what every processor of the target has (two doubles on x86-64)
    avx2,    // four doubles
    avx512,  // eight doubles
};

VectorWidth widestVectors();

// Vectors of two, four and eight doubles, for kernels written once for all
// widths.
typedef double Doubles8 __attribute__((vector_size(64)));
typedef double Doubles4 __attribute__((vector_size(32)));
typedef double Doubles2 __attribute__((vector_size(16)));

// Marks a function compiled for one of the widths; elsewhere than on x86-64
// with GCC or Clang they are compiled as the basic one (and never chosen).
#if defined(__x86_64__) && defined(__GNUC__)
#define KALIX_VECTORS_AVX2 __attribute__((target("avx2")))
#define KALIX_VECTORS_AVX512 __attribute__((target("avx512f")))
#else
#define KALIX_VECTORS_AVX2
#define KALIX_VECTORS_AVX512
#endif

// The one of the three compilations of a function for widestVectors().
template <typename F>
F forWidestVectors(F basic, F avx2, F avx512) {
    switch (widestVectors()) {
        case VectorWidth::avx512:
            return avx512;
        case VectorWidth::avx2:
            return avx2;
        default:
            return basic;
    }
}

}  // namespace kalix
