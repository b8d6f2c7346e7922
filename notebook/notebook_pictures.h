// Pictures the interpreter puts into the notebook: the current graphics,
// RGB matrices, image files and anaglyphs. They are made without the text
// lock (the graphics from a copy of the records taken under the "Graphics"
// lock) and then take rows below the cursor line: the cursor line and the
// lines opened after it; afterwards the cursor stands on a new empty line
// below the picture.
#pragma once

#include <memory>
#include <string>

#include "graphics/pixel_device.h"
#include "interpreter/notebook_services.h"
#include "notebook/notebook_model.h"

namespace kalix {

// The size of an inserted graphic: for n from `rows` down to 3 the first
// whose width (n line heights times the aspect) is at most 0.8 of the text
// width; when none fits, 3 rows' size with 2 rows. Divided by 1.2 in
// magnify mode.
struct GraphicsPictureSize {
    int rows, width, height;
};
GraphicsPictureSize graphicsPictureSize(int rows, double aspect, int lineHeight, int textPixelWidth,
                                        bool magnify);

// A picture of the pixels (kept as PNG bytes); null when encoding failed.
std::shared_ptr<NotebookPicture> pictureOfPixels(const PixelImage& image);

// Places the picture in `rows` rows at the cursor; row 0 gets the large
// picture, the formula, the SVG copy's name and `text`.
void placePictureRows(NotebookEditor& editor, const std::shared_ptr<NotebookPicture>& picture,
                      int rows, const char* text, const std::shared_ptr<NotebookPicture>& large,
                      const char* formula, int mathJax, const std::string& svgName = {});

// A run that ends in an HTML export with SVG pictures ("createsvg"): while
// it runs, every inserted graphic is also written as an SVG file beside the
// notebook, numbered from 1. Computation thread.
void beginSvgExportRun();
void endSvgExportRun();

// The current graphics (the anaglyph while it is shown), anti-aliased on
// request, cut to the crop fractions. 0 when nothing could be drawn.
int insertGraphicsPicture(NotebookEditor& editor, int rows, const char* text, int antialias,
                          double top, double bottom, double left, double right);
// columns x valueRows RGB codes, row by row; no width limit.
int insertRgbPicture(NotebookEditor& editor, int rows, const char* text, const double* values,
                     int columns, int valueRows);
// A PNG file (".png" added, looked up in "images" beside the notebook),
// scaled by `scale` (0 as 1, limited to 0.1..10); mode 1 and 2 a third of
// its size, 2 keeping the full size as the large picture. 0 when it does
// not load.
int insertImageFilePicture(NotebookEditor& editor, int rows, const char* file, double scale,
                           int mode, const char* formula, int mathJax);
// The red/cyan anaglyph of two files; `message` says why two files do not
// fit. 0 when nothing was inserted.
int insertAnaglyphPicture(NotebookEditor& editor, int rows, const char* left, const char* right,
                          std::string& message);

// The operations above on one notebook, for the interpreter.
class EditorPictureService : public PictureService {
  public:
    explicit EditorPictureService(NotebookEditor& editor) : editor(editor) {}
    void insertGraphicsImage(int lineCount, const char* text, int antialias, double top,
                             double bottom, double left, double right) override;
    int insertRgbImage(int lineCount, const char* text, const double* values, int columns,
                       int rows) override;
    int insertImageFile(int lineCount, const char* path, double scale, int mode,
                        const char* formula, int mathJax) override;
    int loadAnaglyphImage(int lineCount, const char* left, const char* right,
                          std::string& message) override;

  private:
    NotebookEditor& editor;
};

}  // namespace kalix
