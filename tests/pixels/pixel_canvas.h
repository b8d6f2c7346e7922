// A white image with a Qt pixel device on it, and pixel tables: rows of
// '#' for painted and '.' for white pixels.
#pragma once

#include <memory>
#include <string>

#include "graphics/pixel_device.h"
#include "gui/qt_pixels.h"

namespace kalix {

constexpr uint32_t whitePixel = 0xffffffffu;

struct Canvas {
    PixelImage image;
    std::unique_ptr<PixelDevice> device;

    explicit Canvas(int width, int height, int fontCell = 13) {
        image.allocate(width, height);
        image.fill(whitePixel);
        FontSpec font;
        font.cellHeight = fontCell;
        device = qtPixelBackend().deviceOn(image, font);
    }

    bool painted(int x, int y) const { return image.at(x, y) != whitePixel; }
    uint32_t rgb(int x, int y) const { return image.at(x, y) & 0xffffff; }

    // The pixels of rows y0..y1 and columns x0..x1, one line a row.
    std::string table(int x0, int y0, int x1, int y1) {
        device->flush();
        std::string out;
        for (int y = y0; y <= y1; y++) {
            for (int x = x0; x <= x1; x++) out += painted(x, y) ? '#' : '.';
            out += '\n';
        }
        return out;
    }

    // The smallest box holding every painted pixel: left, top, right,
    // bottom (all -1 when nothing is painted).
    void inkBox(int box[4]) {
        device->flush();
        box[0] = box[1] = box[2] = box[3] = -1;
        for (int y = 0; y < image.height(); y++)
            for (int x = 0; x < image.width(); x++) {
                if (!painted(x, y)) continue;
                if (box[0] < 0 || x < box[0]) box[0] = x;
                if (box[1] < 0) box[1] = y;
                if (x > box[2]) box[2] = x;
                box[3] = y;
            }
    }
};

}  // namespace kalix
