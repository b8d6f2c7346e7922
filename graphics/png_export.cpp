// Pictures as pixels and PNG files; RGB images.
#include "graphics/png_export.h"

#include <cmath>
#include <cstdio>

#include "base/settings.h"
#include "base/threads.h"
#include "graphics/antialias.h"
#include "graphics/crop_area.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_export.h"
#include "graphics/graphics_store.h"
#include "graphics/pages.h"
#include "graphics/pixel_surface.h"
#include "graphics/png_file.h"
#include "graphics/safe_file.h"

namespace kalix {

namespace {

std::string withExtension(const char* name, const char* extension) {
    std::string s = name;
    if (!hasExtension(s)) s += extension;
    return s;
}

// The bounding box file beside a picture: its extension replaced by ".bb".
bool writeBoundingBox(const std::string& picture, int width, int height) {
    std::string name = picture;
    const size_t slash = name.rfind('/'), dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.erase(dot);
    name += ".bb";
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%%%%BoundingBox: 0 0 %d %d\n", width, height);
    SafeFile file(name);
    if (!file.isOpen()) return false;
    FILE* stream = fdopen(file.descriptor(), "wb");
    if (!stream) return file.commit(false);
    file.release();
    bool ok = std::fwrite(line, 1, size_t(n), stream) == size_t(n);
    ok = std::fclose(stream) == 0 && ok;
    return file.commit(ok);
}

}  // namespace

ExportResult renderPicture(Metafile& store, int width, int height, bool antialias,
                           TextConversion codePageToUtf8, StopPoll stop, PixelImage& out) {
    PixelBackend* backend = pixelBackend();
    const int factor = antialias ? antialiasFactor : 1;
    PixelImage drawn;
    if (!backend || !drawn.allocate(width * factor, height * factor))
        return ExportResult::cannotOpen;
    FontSpec font;
    font.face = graphicsFontName();
    font.cellHeight = drawn.height() / graphicsLineCount();
    font.bold = intSetting("boldfont") != 0;
    std::unique_ptr<PixelDevice> device = backend->deviceOn(drawn, font);
    if (!device) return ExportResult::cannotOpen;

    WriterSettings settings = pictureSettings(drawn.width(), drawn.height());
    settings.codePageToUtf8 = codePageToUtf8;
    const double exportScale = scaleLineWidth(settings, width, 1) / 2 * factor;
    PixelSurface surface(*device, settings, exportScale);
    surface.clear();
    const ReplayEnd end = replayCopyOutsideLock(store, "renderPicture", [&](Metafile& records) {
        return records.replay(surface, true, stop);
    });
    device->flush();
    device.reset();
    if (end == ReplayEnd::stopped) return ExportResult::interrupted;

    if (!antialias) {
        out = std::move(drawn);
        return ExportResult::written;
    }
    if (!out.allocate(width, height)) return ExportResult::cannotOpen;
    reduceInto(drawn, out, intSetting("systemscaling") == 0, intSetting("sharper") == 1);
    return ExportResult::written;
}

ExportResult renderShownPicture(int width, int height, bool antialias,
                                TextConversion codePageToUtf8, StopPoll stop, PixelImage& out) {
    // While the anaglyph of two pages is shown it is the picture; with
    // fewer than two pages the live picture is.
    ExportResult result = ExportResult::cannotOpen;
    if (anaglyphShown) result = renderAnaglyph(width, height, antialias, codePageToUtf8, stop, out);
    if (result == ExportResult::cannotOpen)
        result =
            renderPicture(graphicsStore(), width, height, antialias, codePageToUtf8, stop, out);
    return result;
}

ExportResult saveGraphicsPng(const char* name, int width, int height, bool antialias,
                             TextConversion codePageToUtf8, StopPoll stop, std::string* written) {
    *written = withExtension(name, ".png");
    const int areaWidth = getGraphicsWidth(), areaHeight = getGraphicsHeight();
    if (width < 10) width = areaWidth;
    if (height < 10) height = int((long long)width * areaHeight / areaWidth);
    if (width < 10) width = 10;
    if (height < 10) height = 10;
    writeIntSetting("savewithantialias", antialias ? 1 : 0);
    PixelImage image;
    ExportResult result = renderShownPicture(width, height, antialias, codePageToUtf8, stop, image);
    if (result != ExportResult::written) return result;
    PixelImage cropped;
    if (!cropPixels(image, cropped)) return ExportResult::cannotOpen;
    if (!writePngFile(cropped, *written)) return ExportResult::writeFailed;
    if (intSetting("createbb") == 1 &&
        !writeBoundingBox(*written, cropped.width(), cropped.height()))
        return ExportResult::writeFailed;
    return ExportResult::written;
}

bool loadRgbImage(const char* name, PixelImage& image, std::string* used) {
    *used = withExtension(name, ".png");
    PixelBackend* backend = pixelBackend();
    return backend && backend->loadImage(used->c_str(), image);
}

bool saveRgbImage(const char* name, const double* values, int rows, int columns,
                  std::string* written) {
    *written = withExtension(name, ".png");
    PixelImage image;
    if (!image.allocate(columns, rows)) return false;
    for (int i = 0; i < rows; i++) {
        uint32_t* row = image.row(i);
        for (int j = 0; j < columns; j++) {
            const double v = values[size_t(i) * size_t(columns) + size_t(j)];
            // The integer part's low 24 bits; beyond 2^63 and NaN give 0.
            const long long code = std::fabs(v) < 9.2e18 ? (long long)v : 0;
            row[j] = 0xff000000u | uint32_t(code & 0xffffff);
        }
    }
    return writePngFile(image, *written);
}

}  // namespace kalix
