// PNG files of pixel images: 8-bit RGB, rows top-down, compressed with
// zlib.
#pragma once

#include <string>

#include "graphics/pixel_device.h"
#include "graphics/writer_output.h"

namespace kalix {

// Writes the PNG into the sink; false when a write failed. Pixels of the
// colour `transparent`, when given, are marked see-through.
bool writePng(const PixelImage& image, OutputSink& sink, const Rgb* transparent = nullptr);
// Writes the PNG file `name` completely or not at all (graphics/safe_file.h).
bool writePngFile(const PixelImage& image, const std::string& name);

}  // namespace kalix
