// The picture as pixels and PNG files, and RGB images read and written as
// matrices of RGB codes. Painting needs the installed pixel backend
// (graphics/pixel_device.h); without one nothing is drawn and the
// operations fail.
#pragma once

#include <string>

#include "graphics/graphics_export.h"
#include "graphics/metafile.h"
#include "graphics/pixel_device.h"
#include "graphics/writer_output.h"

namespace kalix {

// Results: `written`; `cannotOpen` when nothing could be painted (no
// backend, too little memory); `writeFailed`; `interrupted` by the stop
// poll.

// Paints `store` onto a new width x height image `out`. With `antialias`
// it is painted 3 times larger and reduced by the 3:1 filter ("sharper"
// weights with that setting), or by area resampling while "systemscaling"
// is on. Line widths follow the painted size; dashes and hatches are
// scaled by half the line width of the final size. Holds the "Graphics"
// lock while it copies the records (graphics/graphics_store.h).
ExportResult renderPicture(Metafile& store, int width, int height, bool antialias,
                           TextConversion codePageToUtf8, StopPoll stop, PixelImage& out);

// The picture as shown (the anaglyph of pages 1 and 2 while it is shown
// and there are two pages, else the live picture) painted as
// `renderPicture` does.
ExportResult renderShownPicture(int width, int height, bool antialias,
                                TextConversion codePageToUtf8, StopPoll stop, PixelImage& out);

// The current picture (the anaglyph of pages 1 and 2 while it is shown) as
// a PNG file of width x height pixels: a width
// below 10 is the graphics area's, a height below 10 follows the area's
// shape; both at least 10. Stores the antialias choice in
// "savewithantialias". ".png" is added to a name without extension
// (`*written` gets the name used); cut to the crop area (graphics/crop_area.h).
// With "createbb" on, a ".bb" file beside
// it gets the picture's bounding box.
ExportResult saveGraphicsPng(const char* name, int width, int height, bool antialias,
                             TextConversion codePageToUtf8, StopPoll stop, std::string* written);

// Reads an image file (".png" added to a name without extension) into
// `image`; false when it is missing or unreadable.
bool loadRgbImage(const char* name, PixelImage& image, std::string* used);

// The packed RGB value of a pixel: 0x1000000 + R * 65536 + G * 256 + B.
inline double rgbCodeOfPixel(uint32_t pixel) { return double(0x1000000 | (pixel & 0xffffff)); }

// Writes rows x columns values (row by row, the first row at the top) as a
// PNG image; each value's integer part gives the pixel its low three
// bytes (red, green, blue from the high byte down). ".png" is added to a
// name without extension. False when nothing was written.
bool saveRgbImage(const char* name, const double* values, int rows, int columns,
                  std::string* written);

}  // namespace kalix
