// Saving the picture as EPS and SVG files.
#include <string>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_export.h"
#include "graphics/png_export.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"
#include "base/settings.h"
#include "base/text.h"

namespace {

constexpr int largestPictureSize = 10000;

WriterSettings currentSettings() {
    WriterSettings s = pictureSettings(0, 0);
    s.codePageToUtf8 = codePageToUtf8;
    return s;
}

// The name actually written, or the message and error 1.
void finishSave(header* first, ExportResult result, const std::string& name) {
    switch (result) {
        case ExportResult::written:
            return returnText(first, name.c_str());
        case ExportResult::interrupted:
            return fail(errorFailed, "User interrupted!\n");
        case ExportResult::cannotOpen:
        case ExportResult::writeFailed:
            return fail(errorFailed, "Saving file %s failed!\n", name.c_str());
    }
}

void builtinSaveps(header* first) {
    header* name = resolveValue(first);
    if (errorCode) return;
    if (name->kind != kindString) return reportNeed("filename", "saveps");
    std::string written;
    const ExportResult result =
        saveGraphicsEps(stringOf(name), currentSettings(), escapePressed, &written);
    finishSave(first, result, written);
}

int pictureSize(double v) {
    const int n = clampToInt(v);
    return n > largestPictureSize ? largestPictureSize : n;
}

void builtinSavesvg(header* first) {
    header* name = resolveValue(first);
    if (errorCode) return;
    header* width = realArgument(nextValue(first));
    if (errorCode) return;
    header* height = realArgument(nextValue(nextValue(first)));
    if (errorCode) return;
    if (name->kind != kindString || !width || !height)
        return reportNeed("filename, x, y", "savesvg");
    std::string written;
    const ExportResult result = saveSvgFile(
        stringOf(name), pictureSize(realOf(width)), pictureSize(realOf(height)),
        intSetting("savecompressedsvg") != 0, currentSettings(), escapePressed, &written);
    finishSave(first, result, written);
}

void builtinSavepng(header* first) {
    header* name = resolveValue(first);
    if (errorCode) return;
    header* width = realArgument(nextValue(first));
    if (errorCode) return;
    header* height = realArgument(nextValue(nextValue(first)));
    if (errorCode) return;
    header* flag = realArgument(nextValue(nextValue(nextValue(first))));
    if (errorCode) return;
    if (name->kind != kindString || !width || !height || !flag)
        return reportNeed("filename, x, y, flag", "savepng");
    std::string written;
    const ExportResult result =
        saveGraphicsPng(stringOf(name), pictureSize(realOf(width)), pictureSize(realOf(height)),
                        clampToInt(realOf(flag)) != 0, codePageToUtf8, escapePressed, &written);
    finishSave(first, result, written);
}

// pswindow([w h]): the size of the EPS pictures in points, each at least 1.
// The argument stays the result.
void builtinPswindow(header* first) {
    header* size = resolveValue(first);
    if (errorCode) return;
    if (size->kind != kindRealMatrix || matrixRows(size) != 1 || matrixColumns(size) != 2)
        return fail(errorGraphicsArgument, "Arguments for pswindow are [c r]!\n");
    const double* wh = matrixData(size);
    auto atLeastOne = [](double v) { return v >= 1 ? v : 1.0; };
    setPsWindowSize(atLeastOne(wh[0]), atLeastOne(wh[1]));
}

const BuiltinRecord rows[] = {
    {"pswindow", 1, 0, builtinPswindow},
    {"savepng", 4, 0, builtinSavepng},
    {"saveps", 1, 0, builtinSaveps},
    {"savesvg", 3, 0, builtinSavesvg},
};

}  // namespace

KALIX_BUILTIN_FAMILY(graphicsFileBuiltins, rows);
