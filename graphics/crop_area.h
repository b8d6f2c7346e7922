// The crop area of exported pictures: fractions of the picture cut off at
// each side, chosen with the mouse in the graphics window. All zero means
// the whole picture.
#pragma once

#include <atomic>

#include "graphics/pixel_device.h"

namespace kalix {

struct CropRectangle {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool isWhole() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};

// The GUI thread sets the crop area (with the mouse, and its crop
// commands); exports on any thread read it. A copy is taken under a lock of
// its own.
CropRectangle currentCrop();
void setCrop(const CropRectangle& crop);
// 1 while the crop area is being chosen. Written by the GUI thread; read by
// the computation thread's window host.
extern std::atomic<int> cropMode;

// The area from two corners of a dragged rectangle in a picture of
// width x height pixels; false (the area unchanged) when it is empty.
bool setCropFromCorners(int x0, int y0, int x1, int y1, int width, int height);

// The crop area of `image` into `out`: the picture unchanged (moved) when
// nothing is cropped. False when the area holds no pixel.
bool cropPixels(PixelImage& image, PixelImage& out);

// Greys the parts of a cleared picture outside the crop area, so the window
// shows the area being chosen.
void fillCropBands(PixelDevice& device);

}  // namespace kalix
