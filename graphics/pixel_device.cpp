// Pixel images and the installed pixel backend.
#include "graphics/pixel_device.h"

#include <algorithm>
#include <new>

bool PixelImage::allocate(int width, int height) {
    release();
    if (width <= 0 || height <= 0) return false;
    pixels.reset(new (std::nothrow) uint32_t[size_t(width) * size_t(height)]);
    if (!pixels) return false;
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
