// Saving the picture as EPS and SVG files.
#include <string>

#include "base/settings.h"
#include "base/text.h"
#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/graphics_export.h"
#include "graphics/png_export.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

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

constexpr Signature savepsSignature = {"saveps", "filename", {{takesString}}};

void builtinSaveps(header* first) {
    const Arguments a(first, savepsSignature);
    if (!a) return;
    std::string written;
    const ExportResult result =
        saveGraphicsEps(a.text(0), currentSettings(), escapePressed, &written);
    finishSave(first, result, written);
}

int pictureSize(double v) {
    const int n = clampToInt(v);
    return n > largestPictureSize ? largestPictureSize : n;
}

constexpr Signature savesvgSignature = {
    "savesvg", "filename, x, y", {{takesString}, {takesReal}, {takesReal}}};

void builtinSavesvg(header* first) {
    const Arguments a(first, savesvgSignature);
    if (!a) return;
    std::string written;
    const ExportResult result = saveSvgFile(
        a.text(0), pictureSize(a.real(1)), pictureSize(a.real(2)),
        intSetting("savecompressedsvg") != 0, currentSettings(), escapePressed, &written);
    finishSave(first, result, written);
}

constexpr Signature savepngSignature = {
    "savepng", "filename, x, y, flag", {{takesString}, {takesReal}, {takesReal}, {takesReal}}};

void builtinSavepng(header* first) {
    const Arguments a(first, savepngSignature);
    if (!a) return;
    std::string written;
    const ExportResult result =
        saveGraphicsPng(a.text(0), pictureSize(a.real(1)), pictureSize(a.real(2)),
                        clampToInt(a.real(3)) != 0, codePageToUtf8, escapePressed, &written);
    finishSave(first, result, written);
}

// pswindow([w h]): the size of the EPS pictures in points, each at least 1.
// The argument stays the result.
constexpr Signature pswindowSignature = {
    .builtin = "pswindow",
    .rules = {{.kinds = kindBit(kindRealMatrix), .rows = 1, .columns = 2}},
    .refusal = {errorGraphicsArgument, "Arguments for pswindow are [c r]!\n"}};

void builtinPswindow(header* first) {
    const Arguments a(first, pswindowSignature);
    if (!a) return;
    const double* wh = matrixData(a[0]);
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

}  // namespace kalix
