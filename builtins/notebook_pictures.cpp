// Pictures in the notebook: the graphics, RGB matrices, image files,
// anaglyphs, and LaTeX formulas rendered into PNG files.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/colors.h"
#include "graphics/graphics_state.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"
#include "platform/host.h"
#include "platform/latex_render.h"

namespace {

// Row counts of inserted pictures.
int pictureRows(double n) {
    const int rows = clampToInt(n);
    return rows < 5 ? 5 : rows > 60 ? 60 : rows;
}

header* argumentAt(header* first, int index) {
    header* h = first;
    for (int i = 0; i < index; i++) h = nextValue(h);
    return h;
}

// insimg(n [, name [, flag [, crop]]]): the omitted arguments are "", 1
// and [0, 1, 0, 1].
void builtinInsimg(header* first) {
    const int count = countArguments(first);
    const char* message =
        "insertimage needs a number, a string, a flag, and crop limits (1x4 vector)!\n";
    header* n = realArgument(first);
    if (errorCode) return;
    header* name = count > 1 ? resolveValue(argumentAt(first, 1)) : nullptr;
    if (errorCode) return;
    header* flag = count > 2 ? realArgument(argumentAt(first, 2)) : nullptr;
    if (errorCode) return;
    header* crop = count > 3 ? realRowArgument(argumentAt(first, 3), 4) : nullptr;
    if (errorCode) return;
    if (!n || (count > 1 && name->kind != kindString) || (count > 2 && !flag) ||
        (count > 3 && !crop))
        return (void)fail(errorFailed, "%s", message);
    double limits[4] = {0, 1, 0, 1};
    if (crop) std::memcpy(limits, matrixData(crop), sizeof limits);
    // The area kept: top to bottom and left to right, within 0..1.
    const double top = std::max(limits[0], 0.0), bottom = std::min(limits[1], 1.0),
                 left = std::max(limits[2], 0.0), right = std::min(limits[3], 1.0);
    if (!(bottom > top) || !(right > left))
        return (void)fail(errorFailed, "The crop area of insimg is empty!\n");
    const int rows = pictureRows(realOf(n));
    const int antialias = flag ? realOf(flag) != 0 : 1;
    insertGraphicsImage(rows, name ? stringOf(name) : "", antialias, limits[0], limits[1],
                        limits[2], limits[3]);
    if (errorCode) return;
    returnReal(first, rows);
}

void builtinInsimglines(header* first) {
    if (isNoneArgument(first)) {
        if (errorCode) return;
        return returnReal(first, imageLineCount);
    }
    header* n = realArgument(first);
    if (errorCode) return;
    if (!n) return (void)fail(errorGraphicsArgument, "Argument for color must be real!\n");
    const int old = imageLineCount;
    const int lines = clampToInt(realOf(n));
    imageLineCount = lines < 10 ? 10 : lines > 100 ? 100 : lines;
    returnReal(first, old);
}

void builtinInsrgb(header* first) {
    header* n = realArgument(first);
    if (errorCode) return;
    header* name = resolveValue(nextValue(first));
    if (errorCode) return;
    header* values = resolveValue(nextValue(nextValue(first)));
    if (errorCode) return;
    int rows = 0, columns = 0;
    const double* data = nullptr;
    if (!n || name->kind != kindString || !realMatrixOf(values, &rows, &columns, &data) ||
        rows < 1 || columns < 1)
        return (void)fail(errorFailed, "insertpixels needs a number, a string and a matrix!\n");
    // Matrix elements may lie unaligned on the stack.
    std::vector<double> copy(size_t(rows) * size_t(columns));
    std::memcpy(copy.data(), data, copy.size() * sizeof(double));
    const int lines = pictureRows(realOf(n));
    insertRgbImage(lines, stringOf(name), copy.data(), columns, rows);
    if (errorCode) return;
    returnReal(first, lines);
}

void builtinLoadimg(header* first) {
    header* name = resolveValue(first);
    if (errorCode) return;
    header* lines = realArgument(nextValue(first));
    if (errorCode) return;
    header* scale = realArgument(nextValue(nextValue(first)));
    if (errorCode) return;
    if (name->kind != kindString || !lines || !scale)
        return reportNeed("string, lines, scale", "loadimg");
    const int rows = pictureRows(realOf(lines));
    if (!insertImageFile(rows, stringOf(name), realOf(scale), 0, nullptr, 0)) {
        if (!errorCode) fail(errorFailed, "loadimg failed on %s\n", stringOf(name));
        return;
    }
    returnReal(first, rows);
}

void builtinLoadanaglyph(header* first) {
    header* n = realArgument(first);
    if (errorCode) return;
    header* left = resolveValue(nextValue(first));
    if (errorCode) return;
    header* right = resolveValue(nextValue(nextValue(first)));
    if (errorCode) return;
    if (!n || left->kind != kindString || right->kind != kindString)
        return (void)fail(errorFailed, "loadanaglyph needs a number and two filenames!\n");
    const int rows = pictureRows(realOf(n));
    std::string message;
    if (!loadAnaglyphImage(rows, stringOf(left), stringOf(right), message)) {
        if (errorCode) return;
        if (!message.empty()) printFormatted("%s\n", message.c_str());
        fail(errorFailed, "loadimg failed on %s\n", stringOf(left));
        return;
    }
    returnReal(first, rows);
}

LatexColour latexColourOf(Rgb c) { return LatexColour{c.red, c.green, c.blue}; }

// The formula as a PNG file: the size follows the graphics text times
// `factor`; background 0 the notebook's, -1 the palette's colour 0, else
// transparent; foreground -1 the graphics text colour, 0 dvipng's default.
std::string makeTexPng(const char* formula, int scaleWithFont, double factor, int background,
                       int foreground) {
    LatexRequest request;
    request.formula = formula;
    request.scaleWithFont = scaleWithFont;
    request.fontSize = int(std::lround(textCellSize[0] * 0.6 * factor));
    if (background >= 1) {
        request.transparent = 1;
    } else if (background == -1) {
        request.background = latexColourOf(resolveColor(0));
    } else {
        const RgbColor& c = textColors[4];
        request.background = LatexColour{c.redOf(), c.greenOf(), c.blueOf()};
    }
    if (foreground != 0) {
        request.hasForeground = 1;
        request.foreground =
            latexColourOf(resolveColor(foreground == -1 ? currentTextColor : foreground));
    }
    LatexResult result = renderLatexToPng(
        request, latexOptionsFromSettings(), [] { return checkEscape() != 0; },
        [](const char* q) { return askKeepWaiting(q) != 0; });
    noteDeclinedWait(result);
    if (result.png.empty() && !result.message.empty()) showWarning(result.message.c_str(), "Kalix");
    return result.png;
}

void builtinTexpng(header* first) {
    header* args[5];
    for (int i = 0; i < 5; i++) {
        args[i] = i == 0 ? resolveValue(first) : realArgument(argumentAt(first, i));
        if (errorCode) return;
    }
    if (args[0]->kind != kindString || !args[1] || !args[2] || !args[3] || !args[4])
        return reportNeed("string, alias (flag), factor (real), transparent (flag), color",
                          "texpng");
    std::string formula = stringOf(args[0]);
    std::string png = makeTexPng(formula.c_str(), realOf(args[1]) != 0, realOf(args[2]),
                                 clampToInt(realOf(args[3])), clampToInt(realOf(args[4])));
    if (png.empty())
        return (void)fail(errorFailed, "Error with Latex formula\n%s\n", formula.c_str());
    returnText(first, png.c_str());
}

const BuiltinRecord rows[] = {
    {"insimg", 1, 0, builtinInsimg},
    {"insimg", 2, 0, builtinInsimg},
    {"insimg", 3, 0, builtinInsimg},
    {"insimg", 4, 0, builtinInsimg},
    {"insimglines", 1, 0, builtinInsimglines},
    {"insrgb", 3, 0, builtinInsrgb},
    {"loadanaglyph", 3, 0, builtinLoadanaglyph},
    {"loadimg", 3, 0, builtinLoadimg},
    {"texpng", 5, 0, builtinTexpng},
};

}  // namespace

KALIX_BUILTIN_FAMILY(notebookPictureBuiltins, rows);
