// Pictures read from image files for the notebook: the red/cyan anaglyph
// of two files.
#pragma once

#include <string>

#include "graphics/pixel_device.h"

namespace kalix {

// Reads both files (".png" added to names without extension) and merges
// them into `out`. Both must load; when they differ in size or either
// side is not above 15 pixels, `message` names both with their sizes.
bool loadAnaglyphFiles(const char* left, const char* right, PixelImage& out, std::string& message);

}  // namespace kalix
