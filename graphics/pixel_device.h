// Pictures as pixels. A `PixelImage` is a block of 0xffRRGGBB words, rows
// top-down. A `PixelDevice` rasterises onto one: the few primitives the
// pixel painters need. The devices come from a `PixelBackend` that the
// program installs at start (the windowing toolkit's); this layer only
// declares them, so it links no toolkit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/colors.h"
#include "graphics/surface.h"

namespace kalix {

class PixelImage {
  public:
    PixelImage() = default;
    // false (and no pixels) when the size is not positive or memory is
    // short; the pixels are not initialised.
    bool allocate(int width, int height);
    void release();

    int width() const { return w; }
    int height() const { return h; }
    bool empty() const { return !pixels; }
    uint32_t* data() { return pixels.get(); }
    const uint32_t* data() const { return pixels.get(); }
    uint32_t* row(int y) { return pixels.get() + size_t(y) * size_t(w); }
    const uint32_t* row(int y) const { return pixels.get() + size_t(y) * size_t(w); }
    uint32_t at(int x, int y) const { return row(y)[x]; }
    void fill(uint32_t value);

  private:
    struct Free {
        void operator()(uint32_t* p) const;
    };
    std::unique_ptr<uint32_t, Free> pixels;
    int w = 0, h = 0;
};

inline uint32_t pixelOf(RgbColor c) {
    return 0xff000000u | uint32_t(c.redOf()) << 16 | uint32_t(c.greenOf()) << 8 | c.blueOf();
}
inline uint32_t pixelOf(Rgb c) {
    return 0xff000000u | uint32_t(c.red & 0xff) << 16 | uint32_t(c.green & 0xff) << 8 |
           uint32_t(c.blue & 0xff);
}

struct DevicePoint {
    int x, y;
    bool operator==(const DevicePoint&) const = default;
};

// A pen. Width 1 is the thin line: its last pixel is not drawn, so joined
// segments set each pixel once. Wider pens have round caps and joins and
// are centred on the path. Dashes: lengths in pixels, on and off in turn.
struct PenSpec {
    Rgb colour{0, 0, 0};
    int width = 1;
    const int* dashes = nullptr;
    int dashCount = 0;
};

// The face and the cell height (ascent plus descent) in pixels of the
// fonts texts are drawn in.
struct FontSpec {
    std::string face = "Arial";
    int cellHeight = 13;
    bool bold = false;
};

class PixelDevice {
  public:
    virtual ~PixelDevice() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    // Pixels x .. x + w - 1 and y .. y + h - 1.
    virtual void fillRect(int x, int y, int w, int h, Rgb colour) = 0;
    // The same with `tile` repeated from the device's origin.
    virtual void fillRectTiled(int x, int y, int w, int h, const PixelImage& tile) = 0;
    // The interior by the winding rule, no outline: a pixel is filled when
    // its centre lies inside.
    virtual void fillPolygon(const DevicePoint* points, int n, Rgb colour) = 0;
    virtual void fillPolygonTiled(const DevicePoint* points, int n, const PixelImage& tile) = 0;
    virtual void drawPolyline(const DevicePoint* points, int n, const PenSpec& pen) = 0;
    // The circle of pixels x - r .. x + r; filled first when `fill` is given.
    virtual void drawCircle(int x, int y, int radius, const PenSpec& pen, const Rgb* fill) = 0;
    virtual void setPixel(int x, int y, Rgb colour) = 0;
    // Later drawing only inside pixels x .. x + w - 1, y .. y + h - 1.
    virtual void setClip(int x, int y, int w, int h) = 0;
    virtual void clearClip() = 0;
    // UTF-8 text, the top of its cell at y; alignment 0 left, 1 centre,
    // 2 right of x along the reading direction.
    virtual void drawText(int x, int y, const char* utf8, Rgb colour, int alignment,
                          TextDirection direction) = 0;
    // Completes pending drawing: the image then holds every pixel drawn.
    virtual void flush() = 0;
    // A device of the same kind on another image (hatch tiles), with the
    // same fonts.
    virtual std::unique_ptr<PixelDevice> deviceOn(PixelImage& image) = 0;
};

class PixelBackend {
  public:
    virtual ~PixelBackend() = default;
    // A device drawing onto `image` (which must outlive it) with texts in
    // `font`; null when the toolkit cannot paint.
    virtual std::unique_ptr<PixelDevice> deviceOn(PixelImage& image, const FontSpec& font) = 0;
    // Reads an image file of any format the toolkit knows; transparent
    // pixels are laid over white. False when it cannot be read.
    virtual bool loadImage(const char* file, PixelImage& out) = 0;
};

// The backend pixel pictures use; null until the program installs one.
void installPixelBackend(PixelBackend* backend);
PixelBackend* pixelBackend();

}  // namespace kalix
