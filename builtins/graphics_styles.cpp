// Style builtins: line, marker and bar styles by their strings, the colours
// of each kind of element, line width, marker size, hatch cell, palette
// entries, shading and the graphics font.
#include <cmath>
#include <cstring>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/colors.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

namespace {

struct StyleName {
    const char* text;
    int code;
};

// The first row of each code is the string returned for it.
const StyleName lineStyles[] = {
    {"i", 0},  {"-", 1},   {".", 2},   {"--", 3}, {"-.", 4},
    {".-", 4}, {"-.-", 5}, {".-.", 6}, {"->", 7},
};
const StyleName markerStyles[] = {
    {"x", 0},    {"o", 1},  {"<>", 2}, {".", 3},    {"+", 4},    {"[]", 5},
    {"*", 6},    {"..", 7}, {"o#", 8}, {"<>#", 9},  {"...", 10}, {"..#", 10},
    {"[]#", 11}, {"|", 12}, {"-", 13}, {"<>w", 14}, {"[]w", 15}, {"ow", 16},
};
const StyleName barStyles[] = {
    {"#", 0}, {"O#", 1}, {"#O", 1},  {"O", 2},   {"|", 3}, {"-", 4},
    {"/", 5}, {"\\", 6}, {"\\/", 7}, {"/\\", 7}, {"+", 8}, {"t", 9},
};

template <size_t N>
int findStyle(const StyleName (&table)[N], const char* text) {
    for (const StyleName& s : table)
        if (std::strcmp(s.text, text) == 0) return s.code;
    return -1;
}

template <size_t N>
const char* styleText(const StyleName (&table)[N], int code) {
    for (const StyleName& s : table)
        if (s.code == code) return s.text;
    return "";
}

constexpr Signature linestyleSignature =
    oneArgumentSignature({takesString}, "Argument for linestyle must be string!\n");
constexpr Signature markerstyleSignature =
    oneArgumentSignature({takesString}, "Argument for markerstyle must be a string!\n");
constexpr Signature barstyleSignature =
    oneArgumentSignature({takesString}, "Argument for barstyle must be a string!\n");

template <size_t N>
void builtinStyle(header* first, const StyleName (&table)[N], int* current,
                  const Signature& signature) {
    const Arguments a(first, signature);
    if (!a) return;
    const int old = *current;
    const int code = findStyle(table, a.text(0));
    if (code >= 0) *current = code;
    returnText(first, styleText(table, old));
}

void builtinLinestyle(header* first) {
    builtinStyle(first, lineStyles, &currentLineStyle, linestyleSignature);
}
void builtinMarkerstyle(header* first) {
    builtinStyle(first, markerStyles, &currentMarkerStyle, markerstyleSignature);
}
void builtinBarstyle(header* first) {
    builtinStyle(first, barStyles, &currentBarStyle, barstyleSignature);
}

// style(s): one of the line strings, "m" and a marker string, "b" and a bar
// string; anything else resets all three. No result; none changes nothing.
constexpr Signature styleAnySignature =
    oneArgumentSignature({.kinds = takesString, .presence = Presence::optionalOrNone},
                         "Argument style must be a string!\n");

void builtinStyleAny(header* first) {
    const Arguments a(first, styleAnySignature);
    if (!a || !a.given(0)) return;
    const char* s = a.text(0);
    int code;
    if ((code = findStyle(lineStyles, s)) >= 0) {
        currentLineStyle = code;
    } else if (s[0] == 'm' && (code = findStyle(markerStyles, s + 1)) >= 0) {
        currentMarkerStyle = code;
    } else if (s[0] == 'b' && (code = findStyle(barStyles, s + 1)) >= 0) {
        currentBarStyle = code;
    } else {
        currentLineStyle = 1;
        currentMarkerStyle = 15;
        currentBarStyle = 1;
    }
}

// --- colours -----------------------------------------------------------------

// A real, or none for the current value.
constexpr ArgumentRule realOrNone = {.kinds = takesReal, .presence = Presence::optionalOrNone};

// Setter of one colour global: the old value; none changes nothing.
void colourSetter(header* first, int* global, const Signature& signature) {
    const Arguments a(first, signature);
    if (!a) return;
    const int old = *global;
    if (a.given(0)) *global = clampToInt(a.real(0));
    returnReal(first, old);
}

#define COLOUR_BUILTINS(name, global, message)                                       \
    constexpr Signature name##Signature = oneArgumentSignature(realOrNone, message); \
    void builtin##name##Getter(header* first) { returnReal(first, global); }         \
    void builtin##name##Setter(header* first) { colourSetter(first, &global, name##Signature); }

COLOUR_BUILTINS(Textcolor, currentTextColor, "Argument for textcolor must be integer!\n")
COLOUR_BUILTINS(Framecolor, currentFrameColor, "Argument for framecolor must be real!\n")
COLOUR_BUILTINS(Frame3dcolor, currentFrame3dColor, "Argument for frame3dcolor must be real!\n")
COLOUR_BUILTINS(Wirecolor, currentWireColor, "Argument for wirecolor must be integer!\n")
COLOUR_BUILTINS(Contourcolor, currentContourColor, "Argument for color must be real!\n")

// barcolor takes no none.
constexpr Signature barcolorSignature =
    oneArgumentSignature({takesReal}, "Argument for textcolor must be integer!\n");
constexpr Signature huecolorSignature =
    oneArgumentSignature(realOrNone, "Argument for densitycolor must be integer!\n");
constexpr Signature huegridSignature =
    oneArgumentSignature(realOrNone, "Argument for huegrid must be integer!\n");

void builtinBarcolor(header* first) { colourSetter(first, &currentBarColor, barcolorSignature); }
void builtinHuecolor(header* first) { colourSetter(first, &currentHueColor, huecolorSignature); }
void builtinHuegrid(header* first) { colourSetter(first, &hueGridFlag, huegridSignature); }

// Pushes the current colour: the row colours as a 1 x count vector when
// set, else the colour.
header* pushColour() {
    if (rowColorCount == 0) return pushReal(currentColor);
    header* result = pushRealMatrix(1, rowColorCount);
    if (errorCode) return nullptr;
    for (int i = 0; i < rowColorCount; i++) matrixData(result)[i] = rowColors[i];
    return result;
}

void returnColour(header* first) {
    header* result = pushColour();
    if (!errorCode && first) moveResult(first, result);
}

void builtinColorGetter(header* first) { returnColour(first); }

constexpr Signature colorSignature =
    oneArgumentSignature({.kinds = takesRealMatrix, .presence = Presence::optionalOrNone},
                         "Argument for color must be real!\n");

void builtinColorSetter(header* first) {
    const Arguments a(first, colorSignature);
    if (!a) return;
    if (!a.given(0)) return returnColour(first);
    header* v = a[0];
    const MatrixValue m = a.matrix(0);
    const int rows = m.rows, columns = m.columns;
    const double* data = m.data;
    // The old value is pushed before the colours change; pushing leaves
    // the argument where it is.
    header* old = pushColour();
    if (errorCode) return;
    if (v->kind == kindReal) {
        currentColor = clampToInt(realOf(v));
        rowColorCount = 0;
    } else if (rows > 0 && columns > 0) {
        int count = rows > columns ? rows : columns;
        if (count > maxRowColors) count = maxRowColors;
        for (int i = 0; i < count; i++) rowColors[i] = clampToInt(data[i]);
        rowColorCount = count;
        currentColor = rowColors[0];
    }
    moveResult(first, old);
}

void builtinFillcolorGetter(header* first) { returnIntRow(first, fillColors, 2); }

// fillcolor(none), fillcolor([c1, c2]) and fillcolor(c1, c2).
constexpr const char* fillcolorMessage =
    "Argument for fillcolor must none, a 1x2 vector or two reals!\n";
constexpr Signature fillcolorRowSignature =
    oneArgumentSignature({.kinds = kindBit(kindRealMatrix),
                          .presence = Presence::optionalOrNone,
                          .rows = 1,
                          .columns = 2},
                         fillcolorMessage);
constexpr Signature fillcolorPairSignature = {.rules = {{takesReal}, {takesReal}},
                                              .refusal = {errorGraphicsArgument, fillcolorMessage}};

void builtinFillcolorSetter(header* first) {
    const int old[2] = {fillColors[0], fillColors[1]};
    const bool pair = countArguments(first) == 2;
    const Arguments a(first, pair ? fillcolorPairSignature : fillcolorRowSignature);
    if (!a) return;
    if (pair) {
        fillColors[0] = clampToInt(a.real(0));
        fillColors[1] = clampToInt(a.real(1));
    } else if (a.given(0)) {
        fillColors[0] = clampToInt(matrixData(a[0])[0]);
        fillColors[1] = clampToInt(matrixData(a[0])[1]);
    }
    returnIntRow(first, old, 2);
}

// setcolor(index, red, green, blue): each argument is checked as soon as
// it is resolved.
constexpr Signature setcolorSignature = {
    .rules = {{takesReal}, {takesReal}, {takesReal}, {takesReal}},
    .order = CheckOrder::asResolved,
    .refusal = {errorGraphicsArgument, "Argument for setcolor must be real!\n"}};

void builtinSetcolor(header* first) {
    const Arguments a(first, setcolorSignature);
    if (!a) return;
    const int index = clampToInt(a.real(0));
    if (setPaletteColor(index, a.real(1), a.real(2), a.real(3)))
        return fail(errorGraphicsArgument, "Argument error for setcolor!\n");
    returnReal(first, index);
}

void builtinResetcolors(header* first) {
    resetColorsToDefault();
    returnReal(first, 0);
}

// --- sizes -------------------------------------------------------------------

constexpr Signature linewidthSignature =
    oneArgumentSignature(realOrNone, "Argument for linewidth must be a real!");

void builtinLinewidth(header* first) {
    const Arguments a(first, linewidthSignature);
    if (!a) return;
    const double old = currentLineWidth;
    if (a.given(0)) currentLineWidth = std::fabs(a.real(0));
    returnReal(first, old);
}

void builtinMarkersizeGetter(header* first) { returnReal(first, 1024 / currentMarkerSize); }

constexpr Signature markersizeSignature =
    oneArgumentSignature({takesReal}, "Argument for markersize must be integer!\n");

void builtinMarkersizeSetter(header* first) {
    const Arguments a(first, markersizeSignature);
    if (!a) return;
    const int old = 1024 / currentMarkerSize;
    int n = clampToInt(a.real(0));
    if (n < 1) n = 1;
    // Sizes above 1024 would make the divisor 0: the largest mark is 1024.
    currentMarkerSize = n > 1024 ? 1 : 1024 / n;
    returnReal(first, old);
}

constexpr Signature hatchgridsizeSignature = {"hatchgridsize", "real number", {{takesReal}}};

void builtinHatchgridsize(header* first) {
    const Arguments a(first, hatchgridsizeSignature);
    if (!a) return;
    const int old = hatchCellSize;
    const int n = clampToInt(a.real(0));
    hatchCellSize = n < 8 ? 8 : n > 32 ? 32 : n;
    redrawGraphics();
    returnReal(first, old);
}

void builtinSetfontDefault(header* first) { returnReal(first, setGraphicsFont(0, "")); }

// setfont(size, name): a size of at least 1.
constexpr Signature setfontSignature = {
    .rules = {{takesReal}, {takesString}},
    .refusal = {errorGraphicsArgument, "Arguments for setfont must be an integer and a string!\n"}};

void builtinSetfont(header* first) {
    const Arguments a(first, setfontSignature);
    if (!a) return;
    if (!(a.real(0) >= 1)) return a.refuse();
    returnReal(first, setGraphicsFont(clampToInt(a.real(0)), a.text(1)));
}

const BuiltinRecord rows[] = {
    {"barcolor", 1, 0, builtinBarcolor},
    {"barstyle", 1, 0, builtinBarstyle},
    {"color", 0, 0, builtinColorGetter},
    {"color", 1, 0, builtinColorSetter},
    {"contourcolor", 0, 0, builtinContourcolorGetter},
    {"contourcolor", 1, 0, builtinContourcolorSetter},
    {"fillcolor", 0, 0, builtinFillcolorGetter},
    {"fillcolor", 1, 0, builtinFillcolorSetter},
    {"fillcolor", 2, 0, builtinFillcolorSetter},
    {"frame3dcolor", 0, 0, builtinFrame3dcolorGetter},
    {"frame3dcolor", 1, 0, builtinFrame3dcolorSetter},
    {"framecolor", 0, 0, builtinFramecolorGetter},
    {"framecolor", 1, 0, builtinFramecolorSetter},
    {"hatchgridsize", 1, 0, builtinHatchgridsize},
    {"huecolor", 1, 0, builtinHuecolor},
    {"huegrid", 1, 0, builtinHuegrid},
    {"linestyle", 1, 0, builtinLinestyle},
    {"linewidth", 1, 0, builtinLinewidth},
    {"markersize", 0, 0, builtinMarkersizeGetter},
    {"markersize", 1, 0, builtinMarkersizeSetter},
    {"markerstyle", 1, 0, builtinMarkerstyle},
    {"resetcolors", 0, 0, builtinResetcolors},
    {"setcolor", 4, 0, builtinSetcolor},
    {"setfont", 0, 0, builtinSetfontDefault},
    {"setfont", 2, 0, builtinSetfont},
    {"style", 1, 0, builtinStyleAny},
    {"textcolor", 0, 0, builtinTextcolorGetter},
    {"textcolor", 1, 0, builtinTextcolorSetter},
    {"wirecolor", 0, 0, builtinWirecolorGetter},
    {"wirecolor", 1, 0, builtinWirecolorSetter},
};

}  // namespace

KALIX_BUILTIN_FAMILY(graphicsStyleBuiltins, rows);

}  // namespace kalix
