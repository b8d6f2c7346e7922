// The pixel backend painted with Qt: QPainter on a QImage laid over the
// picture's own pixels, fonts through fontconfig, image files read by Qt's
// image readers. Geometry is drawn without smoothing (pictures are
// smoothed by drawing them larger and filtering them down); texts are
// smoothed.
#pragma once

#include "graphics/pixel_device.h"

namespace kalix {

// Makes the Qt backend the pixel backend. When no Qt application exists
// at the first drawing, one is made for the "offscreen" platform (the
// terminal program has no windows); Qt's messages go to the log.
void installQtPixelBackend();

// Qt's messages to the log; a fatal one to standard error as well.
void installQtMessageLog();

// The backend itself, for tests that use it directly.
PixelBackend& qtPixelBackend();

// The cell (ascent plus descent) and the average character width in pixels
// of the font texts are drawn in for `spec`: the largest pixel size whose
// cell is at most the asked height.
struct FontCell {
    int height, averageWidth;
};
FontCell qtFontCell(const FontSpec& spec);

}  // namespace kalix
