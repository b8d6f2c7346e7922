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

namespace kalix {

namespace {

// Row counts of inserted pictures.
int pictureRows(double n) {
    const int rows = clampToInt(n);
    return rows < 5 ? 5 : rows > 60 ? 60 : rows;
}

// insimg(n [, name [, flag [, crop]]]): the omitted arguments are "", 1
// and [0, 1, 0, 1].
constexpr Signature insimgSignature = {
    .rules = {{takesReal},
              {.kinds = takesString, .presence = Presence::optional},
              {.kinds = takesReal, .presence = Presence::optional, .fallback = 1},
              {.kinds = takesRealMatrix, .presence = Presence::optional, .rows = 1, .columns = 4}},
    .refusal = {errorFailed,
                "insertimage needs a number, a string, a flag, and crop limits (1x4 vector)!\n"}};

void builtinInsimg(header* first) {
    const Arguments a(first, insimgSignature);
    if (!a) return;
    double limits[4] = {0, 1, 0, 1};
    if (a.given(3)) std::memcpy(limits, matrixData(a[3]), sizeof limits);
    // The area kept: top to bottom and left to right, within 0..1.
    const double top = std::max(limits[0], 0.0), bottom = std::min(limits[1], 1.0),
                 left = std::max(limits[2], 0.0), right = std::min(limits[3], 1.0);
    if (!(bottom > top) || !(right > left))
        return (void)fail(errorFailed, "The crop area of insimg is empty!\n");
    const int rows = pictureRows(a.real(0));
    insertGraphicsImage(rows, a.given(1) ? a.text(1) : "", a.real(2) != 0, limits[0], limits[1],
                        limits[2], limits[3]);
    if (errorCode) return;
    returnReal(first, rows);
}

// insimglines(n) sets the lines of inserted graphics, within 10..100, and
// returns the old count; insimglines(none) returns the count.
constexpr Signature insimglinesSignature = {
    .rules = {{.kinds = takesReal, .presence = Presence::optionalOrNone}},
    .refusal = {errorGraphicsArgument, "Argument for color must be real!\n"}};

void builtinInsimglines(header* first) {
    const Arguments a(first, insimglinesSignature);
    if (!a) return;
    const int old = imageLineCount;
    if (a.given(0)) {
        const int lines = clampToInt(a.real(0));
        imageLineCount = lines < 10 ? 10 : lines > 100 ? 100 : lines;
    }
    returnReal(first, old);
}

constexpr Signature insrgbSignature = {
    .rules = {{takesReal}, {takesString}, {takesRealMatrix}},
    .refusal = {errorFailed, "insertpixels needs a number, a string and a matrix!\n"}};

void builtinInsrgb(header* first) {
    const Arguments a(first, insrgbSignature);
    if (!a) return;
    const MatrixValue m = a.matrix(2);
    if (m.rows < 1 || m.columns < 1) return a.refuse();
    // Matrix elements may lie unaligned on the stack.
    std::vector<double> copy(size_t(m.count()));
    std::memcpy(copy.data(), m.data, copy.size() * sizeof(double));
    const int lines = pictureRows(a.real(0));
    insertRgbImage(lines, a.text(1), copy.data(), m.columns, m.rows);
    if (errorCode) return;
    returnReal(first, lines);
}

constexpr Signature loadimgSignature = {
    "loadimg", "string, lines, scale", {{takesString}, {takesReal}, {takesReal}}};

void builtinLoadimg(header* first) {
    const Arguments a(first, loadimgSignature);
    if (!a) return;
    const int rows = pictureRows(a.real(1));
    if (!insertImageFile(rows, a.text(0), a.real(2), 0, nullptr, 0)) {
        if (!errorCode) fail(errorFailed, "loadimg failed on %s\n", a.text(0));
        return;
    }
    returnReal(first, rows);
}

constexpr Signature loadanaglyphSignature = {
    .rules = {{takesReal}, {takesString}, {takesString}},
    .refusal = {errorFailed, "loadanaglyph needs a number and two filenames!\n"}};

void builtinLoadanaglyph(header* first) {
    const Arguments a(first, loadanaglyphSignature);
    if (!a) return;
    const int rows = pictureRows(a.real(0));
    std::string message;
    if (!loadAnaglyphImage(rows, a.text(1), a.text(2), message)) {
        if (errorCode) return;
        if (!message.empty()) printFormatted("%s\n", message.c_str());
        fail(errorFailed, "loadimg failed on %s\n", a.text(1));
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

constexpr Signature texpngSignature = {
    "texpng",
    "string, alias (flag), factor (real), transparent (flag), color",
    {{takesString}, {takesReal}, {takesReal}, {takesReal}, {takesReal}}};

void builtinTexpng(header* first) {
    const Arguments a(first, texpngSignature);
    if (!a) return;
    std::string formula = a.text(0);
    std::string png = makeTexPng(formula.c_str(), a.real(1) != 0, a.real(2), clampToInt(a.real(3)),
                                 clampToInt(a.real(4)));
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

}  // namespace kalix
