// The crop area of exported pictures.
#include "graphics/crop_area.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace kalix {

namespace {
std::mutex cropLock;
CropRectangle crop;  // under cropLock
}  // namespace

std::atomic<int> cropMode{0};

CropRectangle currentCrop() {
    std::lock_guard hold(cropLock);
    return crop;
}

void setCrop(const CropRectangle& area) {
    std::lock_guard hold(cropLock);
    crop = area;
}

bool setCropFromCorners(int x0, int y0, int x1, int y1, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    const int left = std::clamp(std::min(x0, x1), 0, width),
              right = std::clamp(std::max(x0, x1), 0, width),
              top = std::clamp(std::min(y0, y1), 0, height),
              bottom = std::clamp(std::max(y0, y1), 0, height);
    if (right <= left || bottom <= top) return false;
    CropRectangle area;
    area.left = double(left) / width;
    area.right = double(width - right) / width;
    area.top = double(top) / height;
    area.bottom = double(height - bottom) / height;
    setCrop(area);
    return true;
}

bool cropPixels(PixelImage& image, PixelImage& out) {
    const CropRectangle c = currentCrop();
    if (c.isWhole()) {
        out = std::move(image);
        return !out.empty();
    }
    const int w = image.width(), h = image.height();
    const int width = int((1 - c.left - c.right) * w + 0.5);
    const int height = int((1 - c.top - c.bottom) * h + 0.5);
    const int x = int(c.left * w + 0.5), y = int(c.top * h + 0.5);
    if (width < 1 || height < 1 || !out.allocate(width, height)) return false;
    // Pixels outside the source (rounding at the edges) are white.
    out.fill(0xffffffffu);
    for (int row = 0; row < height; row++) {
        const int sy = y + row;
        if (sy < 0 || sy >= h) continue;
        for (int col = 0; col < width; col++) {
            const int sx = x + col;
            if (sx >= 0 && sx < w) out.row(row)[col] = image.row(sy)[sx];
        }
    }
    return true;
}

void fillCropBands(PixelDevice& device) {
    const CropRectangle c = currentCrop();
    const int w = device.width(), h = device.height();
    const Rgb band{220, 220, 220};
    if (c.left > 0) device.fillRect(0, 0, int(c.left * w + 0.5), h, band);
    if (c.right > 0)
        device.fillRect(int(w * (1 - c.right) + 0.5), 0, int(c.right * w + 0.5), h, band);
    if (c.top > 0) device.fillRect(0, 0, w, int(c.top * h + 0.5), band);
    if (c.bottom > 0)
        device.fillRect(0, int(h * (1 - c.bottom) + 0.5), w, int(c.bottom * h + 0.5), band);
}

}  // namespace kalix
