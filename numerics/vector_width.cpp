#include "numerics/vector_width.h"

namespace kalix {

VectorWidth widestVectors() {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return VectorWidth::avx512;
    if (__builtin_cpu_supports("avx2")) return VectorWidth::avx2;
#endif
    return VectorWidth::basic;
}

}  // namespace kalix
