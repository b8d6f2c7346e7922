// Pixel images and the installed pixel backend.
#include "graphics/pixel_device.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>

namespace kalix {

namespace {

// Large images take huge pages where the system gives them: far fewer
// page faults when the picture is first painted.
constexpr size_t hugePage = size_t(2) << 20;

}  // namespace

void PixelImage::Free::operator()(uint32_t* p) const { std::free(p); }

bool PixelImage::allocate(int width, int height) {
    release();
    if (width <= 0 || height <= 0) return false;
    size_t bytes = size_t(width) * size_t(height) * 4;
    void* block = nullptr;
    if (bytes >= hugePage) {
        bytes = (bytes + hugePage - 1) / hugePage * hugePage;
        block = std::aligned_alloc(hugePage, bytes);
        if (block) madvise(block, bytes, MADV_HUGEPAGE);
    } else {
        block = std::malloc(bytes);
    }
    if (!block) return false;
    pixels.reset(static_cast<uint32_t*>(block));
    w = width, h = height;
    return true;
}

void PixelImage::release() {
    pixels.reset();
    w = h = 0;
}

void PixelImage::fill(uint32_t value) {
    if (pixels) std::fill_n(pixels.get(), size_t(w) * size_t(h), value);
}

namespace {
PixelBackend* installedBackend = nullptr;
}

void installPixelBackend(PixelBackend* backend) { installedBackend = backend; }

PixelBackend* pixelBackend() { return installedBackend; }

}  // namespace kalix
