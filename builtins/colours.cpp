// Colour component builtins: the red, green and blue parts of colour codes
// and RGB codes made from parts.
#include <cmath>

#include "builtins/builtin_helpers.h"
#include "graphics/colors.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"

namespace {

// Palette indices 0..15 through the palette, any other code by its bits.
double componentOf(double x, int shift, int Rgb::*part) {
    const int c = clampToInt(x);
    const int byte = c < 0 || c > 15 ? (c >> shift) & 0xff : resolveColor(c).*part;
    return byte / 255.0;
}

double getRed(double x) { return componentOf(x, 16, &Rgb::red); }
double getGreen(double x) { return componentOf(x, 8, &Rgb::green); }
double getBlue(double x) { return componentOf(x, 0, &Rgb::blue); }

// x * 255 rounded, its low byte shifted into place, plus 0x1000000; no
// clamping, so 2 gives the byte 254.
double putComponent(double x, int shift) {
    const double scaled = std::floor(x * 255 + 0.5);
    long long v = 0;
    if (std::isfinite(scaled)) v = (long long)std::fmod(scaled, 4294967296.0);
    return double(0x1000000 + ((v & 0xff) << shift));
}

double putRed(double x) { return putComponent(x, 16); }
double putGreen(double x) { return putComponent(x, 8); }
double putBlue(double x) { return putComponent(x, 0); }

UNARY_HANDLER(getredBuiltin, mapRealComplex, "getred", getRed, nullptr)
UNARY_HANDLER(getgreenBuiltin, mapRealComplex, "getgreen", getGreen, nullptr)
UNARY_HANDLER(getblueBuiltin, mapRealComplex, "getblue", getBlue, nullptr)
UNARY_HANDLER(putredBuiltin, mapRealComplex, "putred", putRed, nullptr)
UNARY_HANDLER(putgreenBuiltin, mapRealComplex, "putgreen", putGreen, nullptr)
UNARY_HANDLER(putblueBuiltin, mapRealComplex, "putblue", putBlue, nullptr)

const BuiltinRecord rows[] = {
    {"getblue", 1, 0, getblueBuiltin},   {"getgreen", 1, 0, getgreenBuiltin},
    {"getred", 1, 0, getredBuiltin},     {"putblue", 1, 0, putblueBuiltin},
    {"putgreen", 1, 0, putgreenBuiltin}, {"putred", 1, 0, putredBuiltin},
};

}  // namespace

KALIX_BUILTIN_FAMILY(colourBuiltins, rows);
