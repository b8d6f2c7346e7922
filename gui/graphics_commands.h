// The menu commands that put the graphics somewhere else: PNG, SVG and EPS
// files with the size dialog, the clipboard (PNG, and SVG with PNG in place
// of a vector format), the printer, and the crop area. They work from the
// recorded graphics and the graphics area's size, so they need no graphics
// window. GUI thread.
#pragma once

#include <functional>
#include <string>

#include "graphics/graphics_export.h"
#include "graphics/pixel_device.h"

namespace kalix {

// The size last chosen for a bitmap or SVG export (0 until the first
// export dialog sets them to the graphics area's size).
extern int exportWidth, exportHeight;

enum SizeDialogKind : int { sizeForPng, sizeForBitmap, sizeForSvg };

struct ExportSize {
    int width = 0, height = 0;
    int antialias = 0;
};

// The size dialog's buttons: "Window", "Keep Aspect" (the height for a
// width) and "For Print" (2000 wide, aspect kept, no antialiasing).
ExportSize windowExportSize();
int keepAspectHeight(int width);
ExportSize forPrintExportSize();

// The dialogs the commands ask; tests put answers in their place. A size
// dialog returns false when cancelled; a file chooser "" when cancelled;
// the print dialog false when cancelled (printer and comment in/out).
using SizeDialogRunner = std::function<bool(SizeDialogKind kind, ExportSize& size)>;
using FileChooserRunner = std::function<std::string(const char* title)>;
using PrintDialogRunner = std::function<bool(std::string& printer, std::string& comment)>;
void setExportDialogs(SizeDialogRunner size, FileChooserRunner file, PrintDialogRunner print);

// The picture as shown, width x height pixels (antialiased on request),
// cut to the crop area. False when nothing could be drawn.
bool renderExportBitmap(int width, int height, bool antialias, PixelImage& out);
// The picture as SVG text of width x height.
bool graphicsSvgText(int width, int height, std::string& svg);

// The menu commands.
void saveGraphicsPngDialog();
void copyGraphicsBitmap();
void saveGraphicsSvgDialog();
void copyGraphicsMetafile();
void saveGraphicsEpsDialog();
void printGraphicsDialog();
// 1 while a print job started by printGraphicsDialog runs.
int printJobActive();

// Crop: `startCropMode` clears the area and waits for a rectangle dragged
// in the graphics window, which hands it to `cropToRectangle` (pixels of
// the shown picture); Return ends with `finishCropMode`, another key with
// `cancelCropMode`.
void startCropMode();
// False (and nothing changed) for an empty rectangle.
bool cropToRectangle(int x0, int y0, int x1, int y1, int width, int height);
void finishCropMode();
void cancelCropMode();

// Prints the picture on one page (and the comment below it, continued on
// further pages) to the printer, or into the PDF file `pdfFile` when that is
// not empty. The number of pages; 0 when nothing was printed.
int printGraphicsJob(const std::string& printer, const std::string& pdfFile,
                     const std::string& comment);

}  // namespace kalix
