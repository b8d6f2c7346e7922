// Shapes set straight into a pixel image, pixel by pixel: thin lines,
// circles and disks, tiles. Pixel (x, y) is the point (x, y).
//
// A thin line is one pixel wide. Each segment runs from its first point up
// to but not including its last, so a polyline sets every pixel once and a
// closed one ends where it began. The pixels of a segment are those of the
// line rounded to the nearest pixel along its longer axis (halves round
// towards the segment's end).
#pragma once

#include "graphics/pixel_device.h"

namespace kalix {

// Pixels x in [left, right) and y in [top, bottom).
struct PixelBox {
    int left, top, right, bottom;
};

// Sets the polyline's pixels inside `box` to `value`. Dashes: lengths in
// pixels, on and off in turn, counted pixel by pixel from the first point
// across the joints; none for a solid line.
void drawThinPolyline(PixelImage& image, PixelBox box, const DevicePoint* points, int n,
                      uint32_t value, const int* dashes, int dashCount);

// A line `width` pixels wide (above 1): the pixels within width / 2 of the
// path, so ends and joints are round; a path of even width lies half a
// pixel right of and below its points. Dashes as for thin lines, measured
// along the path; each dash gets round ends.
void drawWidePolyline(PixelImage& image, PixelBox box, const DevicePoint* points, int n, int width,
                      uint32_t value, const int* dashes, int dashCount);

// The ring `width` pixels wide (above 1) whose middle is the circle of
// radius r around (x, y).
void drawRing(PixelImage& image, PixelBox box, int x, int y, int r, int width, uint32_t value);

// The circle of radius r around (x, y) (the midpoint circle: pixels x - r
// .. x + r, symmetric in all eight octants), and the disk it bounds.
void drawCircleOutline(PixelImage& image, PixelBox box, int x, int y, int r, uint32_t value);
void fillDisk(PixelImage& image, PixelBox box, int x, int y, int r, uint32_t value);

// Pixels x .. x + w - 1, y .. y + h - 1 inside the box: one value, or the
// tile repeated from the image's origin.
void fillBox(PixelImage& image, PixelBox box, int x, int y, int w, int h, uint32_t value);
void fillBoxTiled(PixelImage& image, PixelBox box, int x, int y, int w, int h,
                  const PixelImage& tile);

}  // namespace kalix
