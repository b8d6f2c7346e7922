// Pictures read from image files for the notebook.
#include "graphics/picture_files.h"

#include "graphics/pages.h"
#include "graphics/png_export.h"

namespace kalix {

bool loadAnaglyphFiles(const char* left, const char* right, PixelImage& out, std::string& message) {
    std::string leftName, rightName;
    PixelImage second;
    if (!loadRgbImage(left, out, &leftName) || !loadRgbImage(right, second, &rightName))
        return false;
    if (out.width() != second.width() || out.height() != second.height() || out.width() <= 15 ||
        out.height() <= 15) {
        auto sizeText = [](const PixelImage& image) {
            return std::to_string(image.width()) + " x " + std::to_string(image.height());
        };
        message = "Need two images of the same size for anaglyphs.\nGot " + leftName + " with " +
                  sizeText(out) + "\nand " + rightName + " with " + sizeText(second);
        out.release();
        return false;
    }
    mergeAnaglyph(out, second);
    return true;
}

}  // namespace kalix
