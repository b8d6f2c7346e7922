// Saving the current picture as EPS or SVG (optionally gzip-compressed)
// files. A file is written completely or not at all: the picture goes to a
// new file beside the target, which replaces the target only when every
// byte was written.
#pragma once

#include <string>

#include "graphics/metafile.h"
#include "graphics/writer_output.h"

namespace kalix {

enum class ExportResult { written, cannotOpen, writeFailed, interrupted };

// The settings of a picture of that size from the current settings and
// graphics state (text conversions not set).
WriterSettings pictureSettings(int width, int height);

// Writes the records of `store` as SVG into a sink; false when a write
// failed. The stop poll ends the replay (result `interrupted`). The
// "Graphics" lock is held while the records are copied, not while they are
// written.
ExportResult writeSvg(Metafile& store, OutputSink& sink, const WriterSettings& settings,
                      StopPoll stop);

// The EPS picture's size in points, set by pswindow; the graphics area's
// size is used until it is set. Computation thread.
void setPsWindowSize(double width, double height);

// The current picture as an EPS file of the pswindow size (else the graphics
// area's size); ".eps" is added to a name without extension (`*written` gets the name used).
ExportResult saveGraphicsEps(const char* name, WriterSettings settings, StopPoll stop,
                             std::string* written);
// The largest width or height of an exported picture.
constexpr int largestExportSize = 10000;

// The current picture as SVG of width x height pixels (below 10: from the
// graphics area; at most largestExportSize). Compressed with gzip when `compressed` is set or the
// name ends in ".svgz"; ".svg" or ".svgz" is added to a name without extension.
ExportResult saveSvgFile(const char* name, int width, int height, bool compressed,
                         WriterSettings settings, StopPoll stop, std::string* written);

}  // namespace kalix
