// Pictures the interpreter puts into the notebook.
#include "notebook/notebook_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <sys/stat.h>

#include <cstdio>

#include "base/settings.h"
#include "base/string.h"
#include "base/text.h"
#include "graphics/antialias.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_export.h"
#include "graphics/graphics_store.h"
#include "graphics/pages.h"
#include "graphics/picture_files.h"
#include "graphics/png_export.h"
#include "graphics/png_file.h"
#include "notebook/notebook_services.h"

namespace kalix {

namespace {

constexpr double magnifyFactor = 1.2;

double magnification(NotebookEditor& editor) {
    return editor.options().magnifyMode ? magnifyFactor : 1.0;
}

int lineHeightOf(NotebookEditor& editor) {
    int height = editor.getTextLineHeight();
    return height > 0 ? height : 1;
}

// The part of `image` from (x, y) of w x h pixels.
bool cutImage(const PixelImage& image, int x, int y, int w, int h, PixelImage& out) {
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (w > image.width() - x) w = image.width() - x;
    if (h > image.height() - y) h = image.height() - y;
    if (w < 1 || h < 1 || !out.allocate(w, h)) return false;
    for (int row = 0; row < h; row++)
        std::copy(image.row(y + row) + x, image.row(y + row) + x + w, out.row(row));
    return true;
}

// The image resampled to w x h.
bool resized(const PixelImage& image, int w, int h, PixelImage& out) {
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    if (!out.allocate(w, h)) return false;
    reduceInto(image, out, false, false);
    return true;
}

std::string fileWithPng(const char* file) {
    String name(file);
    name.trimBlanks();
    if (!*name.findExtension()) name.append(".png");
    return name.getText();
}

}  // namespace

GraphicsPictureSize graphicsPictureSize(int rows, double aspect, int lineHeight, int textPixelWidth,
                                        bool magnify) {
    GraphicsPictureSize size{rows, 0, 0};
    const double limit = 0.8 * textPixelWidth;
    int n = rows;
    for (; n >= 3; n--) {
        size.height = lineHeight * n;
        size.width = int(std::lround(size.height * aspect));
        if (size.width <= limit) break;
    }
    if (n < 3) {
        size.height = lineHeight * 3;
        size.width = int(std::lround(size.height * aspect));
        n = 2;
    }
    size.rows = n;
    if (magnify) {
        size.width = int(std::lround(size.width / magnifyFactor));
        size.height = int(std::lround(size.height / magnifyFactor));
    }
    if (size.width < 1) size.width = 1;
    if (size.height < 1) size.height = 1;
    return size;
}

std::shared_ptr<NotebookPicture> pictureOfPixels(const PixelImage& image) {
    StringSink sink;
    if (image.empty() || !writePng(image, sink)) return nullptr;
    return std::make_shared<NotebookPicture>(image.width(), image.height(), std::move(sink.text));
}

void placePictureRows(NotebookEditor& editor, const std::shared_ptr<NotebookPicture>& picture,
                      int rows, const char* text, const std::shared_ptr<NotebookPicture>& large,
                      const char* formula, int mathJax, const std::string& svgName) {
    TextLockHold hold(editor, "insertimage");
    editor.view().setShowPaint(0);
    for (int row = 0; row < rows; row++) {
        NotebookLine* line = editor.cursor().getLine();
        line->image = picture;
        line->imageRow = row;
        if (row == 0) {
            line->largeImage = large;
            if (formula) {
                line->formula = std::make_unique<String>(formula);
                line->formulaIsMathJax = mathJax;
            }
            if (!svgName.empty()) line->svgFileName = std::make_unique<String>(svgName.c_str());
            if (text && *text) editor.insertText(text);
        }
        editor.insertText("\n");
    }
    editor.view().setShowPaint(1);
    editor.setNotebookChanged(1);
    editor.showCursor();
    editor.getHost().invalidate();
}

namespace {
int svgImageCounter = 0;  // computation thread; 0 outside a run-and-export
}  // namespace

void beginSvgExportRun() { svgImageCounter = 1; }
void endSvgExportRun() { svgImageCounter = 0; }

// During a run-and-export: the current graphics as the next SVG file of the
// notebook; the name the HTML page links, or "" when nothing was written.
static std::string writeSvgCopy(NotebookEditor& editor, int width, int height) {
    if (!svgImageCounter) return std::string();
    std::string path;
    {
        TextLockHold hold(editor, "svg copy");
        path = editor.getFilePath();
    }
    if (path.empty()) return std::string();
    std::string folder = directoryOf(path);
    std::string name = path.substr(folder.size());
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    const bool inFolder = intSetting("imagesindirectory") != 0;
    const bool compressed = intSetting("savecompressedsvg") != 0;
    char file[64];
    std::snprintf(file, sizeof file, "-%03d.svg%s", svgImageCounter++, compressed ? "z" : "");
    std::string link = (inFolder ? "images/" : "") + name + file;
    if (inFolder) mkdir((folder + "images").c_str(), 0755);
    WriterSettings settings = pictureSettings(0, 0);
    settings.codePageToUtf8 = codePageToUtf8;
    std::string written;
    if (saveSvgFile((folder + link).c_str(), width, height, compressed, settings, nullptr,
                    &written) != ExportResult::written)
        return std::string();
    return link;
}

int insertGraphicsPicture(NotebookEditor& editor, int rows, const char* text, int antialias,
                          double top, double bottom, double left, double right) {
    if (intSetting("neverantialiasinsimg")) antialias = 0;
    const int factor = antialias ? antialiasFactor : 1;
    const double m = magnification(editor);
    GraphicsPictureSize size = graphicsPictureSize(rows, getAspectRatio(), lineHeightOf(editor),
                                                   editor.getMetrics().textPixelWidth(), m != 1.0);
    if (top < 0) top = 0;
    if (left < 0) left = 0;
    if (bottom > 1) bottom = 1;
    if (right > 1) right = 1;
    const double across = (left > right ? left : right) - left;
    const double down = (top > bottom ? top : bottom) - top;
    // The part of a rendering of width w and height h that is kept.
    auto crop = [&](PixelImage& image) {
        if (across >= 1 && down >= 1) return true;
        const int w = image.width(), h = image.height();
        PixelImage cut;
        if (!cutImage(image, int(std::lround(left * w)), int(std::lround(top * h)),
                      int(std::lround(w * across)), int(std::lround(h * down)), cut))
            return false;
        image = std::move(cut);
        return true;
    };

    PixelImage shown;
    if (renderShownPicture(size.width, size.height, factor != 1, codePageToUtf8, nullptr, shown) !=
            ExportResult::written ||
        !crop(shown))
        return 0;
    if (down < 1) size.rows = std::max(1, int(std::lround(size.rows * down)));
    // The full-size rendering is kept for large pictures.
    std::shared_ptr<NotebookPicture> large;
    if (factor != 1 && (intSetting("largeimages") || m != 1.0)) {
        PixelImage full;
        if (renderShownPicture(size.width * factor, size.height * factor, false, codePageToUtf8,
                               nullptr, full) == ExportResult::written &&
            crop(full))
            large = pictureOfPixels(full);
    }
    std::shared_ptr<NotebookPicture> picture = pictureOfPixels(shown);
    if (!picture) return 0;
    std::string svg = writeSvgCopy(editor, size.width, size.height);
    placePictureRows(editor, picture, size.rows, text, large, nullptr, 0, svg);
    return 1;
}

int insertRgbPicture(NotebookEditor& editor, int rows, const char* text, const double* values,
                     int columns, int valueRows) {
    PixelImage image;
    if (!image.allocate(columns, valueRows)) return 0;
    for (int i = 0; i < valueRows; i++) {
        uint32_t* row = image.row(i);
        for (int j = 0; j < columns; j++) {
            const double v = values[size_t(i) * size_t(columns) + size_t(j)];
            const long long code = std::fabs(v) < 9.2e18 ? (long long)v : 0;
            row[j] = 0xff000000u | uint32_t(code & 0xffffff);
        }
    }
    const int lineHeight = lineHeightOf(editor);
    int needed = (valueRows - 1) / lineHeight + 1;
    PixelImage scaled;
    if (needed > rows) {
        const int h = rows * lineHeight;
        const int w = int(std::lround(double(columns) * h / valueRows));
        if (!resized(image, w, h, scaled)) return 0;
        image = std::move(scaled);
        needed = rows;
    }
    std::shared_ptr<NotebookPicture> picture = pictureOfPixels(image);
    if (!picture) return 0;
    placePictureRows(editor, picture, needed, text, nullptr, nullptr, 0);
    return 1;
}

int insertImageFilePicture(NotebookEditor& editor, int rows, const char* file, double scale,
                           int mode, const char* formula, int mathJax) {
    NotebookOptions options = editor.options();
    const std::string path = findImageFile(directoryOf(editor.getFilePath()), fileWithPng(file),
                                           options.imagesInDirectory);
    std::shared_ptr<NotebookPicture> picture = editor.getHost().loadPicture(path.c_str());
    if (!picture) return 0;
    std::shared_ptr<NotebookPicture> large;
    if (mode == 2) large = editor.getHost().loadPicture(path.c_str());
    double x = scale == 0 ? 1 : scale;
    x = x < 0.1 ? 0.1 : x > 10 ? 10 : x;
    double width = picture->getWidth(), height = picture->getHeight();
    if (mode == 1 || mode == 2) {
        width /= antialiasFactor;
        height /= antialiasFactor;
    } else if (x != 1) {
        width *= x;
        height *= x;
    }
    const double m = magnification(editor);
    const double limit = 0.8 * editor.getMetrics().textPixelWidth();
    if (width > limit) {
        const double newWidth = std::floor(limit / m + 0.5);
        height = std::floor(height * newWidth / width + 0.5);
        width = newWidth;
    }
    const int lineHeight = lineHeightOf(editor);
    int needed = int(height * m / lineHeight) + 1;
    if (needed > rows) {
        const double newHeight = std::floor(double(lineHeight) * rows / m + 0.5);
        width = std::floor(width * newHeight / height + 0.5);
        height = newHeight;
        needed = rows;
    }
    picture->scaleTo(width >= 1 ? int(width) : 1, height >= 1 ? int(height) : 1);
    placePictureRows(editor, picture, needed, "", large, formula, mathJax);
    return 1;
}

int insertAnaglyphPicture(NotebookEditor& editor, int rows, const char* left, const char* right,
                          std::string& message) {
    NotebookOptions options = editor.options();
    const std::string directory = directoryOf(editor.getFilePath());
    const std::string leftPath =
        findImageFile(directory, fileWithPng(left), options.imagesInDirectory);
    const std::string rightPath =
        findImageFile(directory, fileWithPng(right), options.imagesInDirectory);
    PixelImage image;
    if (!loadAnaglyphFiles(leftPath.c_str(), rightPath.c_str(), image, message)) return 0;
    const double m = magnification(editor);
    const int lineHeight = lineHeightOf(editor);
    int needed = int(std::lround(image.height() * m / lineHeight));
    if (needed < 1) needed = 1;
    if (needed > rows) {
        const int h = int(std::lround(double(lineHeight) * rows / m));
        const int w = int(std::lround(double(image.width()) * h / image.height()));
        PixelImage scaled;
        if (!resized(image, w, h, scaled)) return 0;
        image = std::move(scaled);
        needed = rows;
    }
    std::shared_ptr<NotebookPicture> picture = pictureOfPixels(image);
    if (!picture) return 0;
    placePictureRows(editor, picture, needed, "", nullptr, nullptr, 0);
    return 1;
}

void EditorPictureService::insertGraphicsImage(int lineCount, const char* text, int antialias,
                                               double top, double bottom, double left,
                                               double right) {
    insertGraphicsPicture(editor, lineCount, text, antialias, top, bottom, left, right);
}

int EditorPictureService::insertRgbImage(int lineCount, const char* text, const double* values,
                                         int columns, int rows) {
    return insertRgbPicture(editor, lineCount, text, values, columns, rows);
}

int EditorPictureService::insertImageFile(int lineCount, const char* path, double scale, int mode,
                                          const char* formula, int mathJax) {
    return insertImageFilePicture(editor, lineCount, path, scale, mode, formula, mathJax);
}

int EditorPictureService::loadAnaglyphImage(int lineCount, const char* left, const char* right,
                                            std::string& message) {
    return insertAnaglyphPicture(editor, lineCount, left, right, message);
}

}  // namespace kalix
