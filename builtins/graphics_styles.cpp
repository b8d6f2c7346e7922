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

// The resolved string argument, else the message with error 90.
const char* stringArgument(header* first, const char* message) {
    if (!first) return nullptr;
    header* v = resolveValue(first);
    if (errorCode) return nullptr;
    if (v->kind != kindString) {
        fail(errorGraphicsArgument, "%s", message);
        return nullptr;
    }
    return stringOf(v);
}

template <size_t N>
void builtinStyle(header* first, const StyleName (&table)[N], int* current, const char* message) {
    const char* s = stringArgument(first, message);
    if (!s) return;
    const int old = *current;
    const int code = findStyle(table, s);
    if (code >= 0) *current = code;
    returnText(first, styleText(table, old));
}

void builtinLinestyle(header* first) {
    builtinStyle(first, lineStyles, &currentLineStyle, "Argument for linestyle must be string!\n");
}
void builtinMarkerstyle(header* first) {
    builtinStyle(first, markerStyles, &currentMarkerStyle,
                 "Argument for markerstyle must be a string!\n");
}
void builtinBarstyle(header* first) {
    builtinStyle(first, barStyles, &currentBarStyle, "Argument for barstyle must be a string!\n");
}

// style(s): one of the line strings, "m" and a marker string, "b" and a bar
// string; anything else resets all three. No result.
void builtinStyleAny(header* first) {
    if (isNoneArgument(first)) return;
    const char* s = stringArgument(first, "Argument style must be a string!\n");
    if (!s) return;
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

// Setter of one colour global: the old value; none changes nothing.
void colourSetter(header* first, int* global, const char* message, bool noneAccepted) {
    if (noneAccepted && isNoneArgument(first)) return returnReal(first, *global);
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "%s", message);
    const int old = *global;
    *global = clampToInt(realOf(v));
    returnReal(first, old);
}

#define COLOUR_BUILTINS(name, global, message)                               \
    void builtin##name##Getter(header* first) { returnReal(first, global); } \
    void builtin##name##Setter(header* first) { colourSetter(first, &global, message, true); }

COLOUR_BUILTINS(Textcolor, currentTextColor, "Argument for textcolor must be integer!\n")
COLOUR_BUILTINS(Framecolor, currentFrameColor, "Argument for framecolor must be real!\n")
COLOUR_BUILTINS(Frame3dcolor, currentFrame3dColor, "Argument for frame3dcolor must be real!\n")
COLOUR_BUILTINS(Wirecolor, currentWireColor, "Argument for wirecolor must be integer!\n")
COLOUR_BUILTINS(Contourcolor, currentContourColor, "Argument for color must be real!\n")

void builtinBarcolor(header* first) {
    colourSetter(first, &currentBarColor, "Argument for textcolor must be integer!\n", false);
}

void builtinHuecolor(header* first) {
    colourSetter(first, &currentHueColor, "Argument for densitycolor must be integer!\n", true);
}

void builtinHuegrid(header* first) {
    colourSetter(first, &hueGridFlag, "Argument for huegrid must be integer!\n", true);
}

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

void builtinColorSetter(header* first) {
    if (isNoneArgument(first)) return returnColour(first);
    header* v = resolveValue(first);
    if (errorCode) return;
    int rows, columns;
    const double* data;
    if (!realMatrixOf(v, &rows, &columns, &data))
        return fail(errorGraphicsArgument, "Argument for color must be real!\n");
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

void builtinFillcolorSetter(header* first) {
    const int old[2] = {fillColors[0], fillColors[1]};
    header* second = first ? nextValue(first) : nullptr;
    if (!second && isNoneArgument(first)) return returnIntRow(first, old, 2);
    header* a = second ? realArgument(first) : realRowArgument(first, 2);
    if (errorCode) return;
    header* b = second ? realArgument(second) : nullptr;
    if (errorCode) return;
    if (!a || (second && !b) || (!second && a->kind != kindRealMatrix))
        return fail(errorGraphicsArgument,
                    "Argument for fillcolor must none, a 1x2 vector or two reals!\n");
    if (second) {
        fillColors[0] = clampToInt(realOf(a));
        fillColors[1] = clampToInt(realOf(b));
    } else {
        fillColors[0] = clampToInt(matrixData(a)[0]);
        fillColors[1] = clampToInt(matrixData(a)[1]);
    }
    returnIntRow(first, old, 2);
}

void builtinSetcolor(header* first) {
    double v[4];
    header* a = first;
    for (int i = 0; i < 4; i++, a = a ? nextValue(a) : nullptr) {
        header* x = realArgument(a);
        if (errorCode) return;
        if (!x) return fail(errorGraphicsArgument, "Argument for setcolor must be real!\n");
        v[i] = realOf(x);
    }
    const int index = clampToInt(v[0]);
    if (setPaletteColor(index, v[1], v[2], v[3]))
        return fail(errorGraphicsArgument, "Argument error for setcolor!\n");
    returnReal(first, index);
}

void builtinResetcolors(header* first) {
    resetColorsToDefault();
    returnReal(first, 0);
}

// --- sizes -------------------------------------------------------------------

void builtinLinewidth(header* first) {
    const double old = currentLineWidth;
    if (isNoneArgument(first)) return returnReal(first, old);
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Argument for linewidth must be a real!");
    currentLineWidth = std::fabs(realOf(v));
    returnReal(first, old);
}

void builtinMarkersizeGetter(header* first) { returnReal(first, 1024 / currentMarkerSize); }

void builtinMarkersizeSetter(header* first) {
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v) return fail(errorGraphicsArgument, "Argument for markersize must be integer!\n");
    const int old = 1024 / currentMarkerSize;
    int n = clampToInt(realOf(v));
    if (n < 1) n = 1;
    // Sizes above 1024 would make the divisor 0: the largest mark is 1024.
    currentMarkerSize = n > 1024 ? 1 : 1024 / n;
    returnReal(first, old);
}

void builtinHatchgridsize(header* first) {
    header* v = realArgument(first);
    if (errorCode) return;
    if (!v) return reportNeed("real number", "hatchgridsize");
    const int old = hatchCellSize;
    const int n = clampToInt(realOf(v));
    hatchCellSize = n < 8 ? 8 : n > 32 ? 32 : n;
    redrawGraphics();
    returnReal(first, old);
}

void builtinSetfontDefault(header* first) { returnReal(first, setGraphicsFont(0, "")); }

void builtinSetfont(header* first) {
    header* n = realArgument(first);
    if (errorCode) return;
    header* name = resolveValue(nextValue(first));
    if (errorCode) return;
    if (!n || !(realOf(n) >= 1) || !name || name->kind != kindString)
        return fail(errorGraphicsArgument,
                    "Arguments for setfont must be an integer and a string!\n");
    returnReal(first, setGraphicsFont(clampToInt(realOf(n)), stringOf(name)));
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
