// Colour component builtins: the red, green and blue parts of colour codes
// and RGB codes made from parts; RGB images read and written as matrices
// of RGB codes; and playwave, which lives beside them.
#include <cmath>
#include <string>

#include "builtins/builtin_helpers.h"
#include "builtins/graphics_arguments.h"
#include "graphics/colors.h"
#include "graphics/png_export.h"
#include "interpreter/builtin_table.h"
#include "interpreter/elementwise.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"
#include "platform/sound_playback.h"

namespace kalix {

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

UNARY_HANDLER(builtinGetred, mapRealComplex, "getred", getRed, nullptr)
UNARY_HANDLER(builtinGetgreen, mapRealComplex, "getgreen", getGreen, nullptr)
UNARY_HANDLER(builtinGetblue, mapRealComplex, "getblue", getBlue, nullptr)
UNARY_HANDLER(builtinPutred, mapRealComplex, "putred", putRed, nullptr)
UNARY_HANDLER(builtinPutgreen, mapRealComplex, "putgreen", putGreen, nullptr)
UNARY_HANDLER(builtinPutblue, mapRealComplex, "putblue", putBlue, nullptr)

// The image as a matrix: one row per image row from the top, one RGB code
// per pixel.
constexpr Signature loadrgbSignature = {.rules = {{takesString}},
                                        .refusal = {errorFailed, "getpixels needs a file name!\n"}};

void builtinLoadrgb(header* first) {
    const Arguments a(first, loadrgbSignature);
    if (!a) return;
    PixelImage image;
    std::string used;
    const bool loaded = loadRgbImage(a.text(0), image, &used);
    const uint64_t bytes = uint64_t(image.width()) * uint64_t(image.height()) * 8 + 1024;
    if (!loaded || bytes > uint64_t(ramend - newram))
        return fail(errorFailed, "Loading file %s failed!\n", used.c_str());
    header* result = pushRealMatrix(image.height(), image.width());
    if (errorCode) return;
    double* out = matrixData(result);
    for (int i = 0; i < image.height(); i++)
        for (int j = 0; j < image.width(); j++) *out++ = rgbCodeOfPixel(image.at(j, i));
    moveResult(first, result);
}

constexpr Signature savergbSignature = {
    .rules = {{takesRealMatrix}, {takesString}},
    .refusal = {errorFailed, "savepixels needs an RGB matrix and a file name!\n"}};

void builtinSavergb(header* first) {
    const Arguments a(first, savergbSignature);
    if (!a) return;
    const MatrixValue m = a.matrix(0);
    std::string written;
    if (!saveRgbImage(a.text(1), m.data, m.rows, m.columns, &written))
        return fail(errorFailed, "Saving file %s failed!\n", written.c_str());
    returnText(first, written.c_str());
}

// playwave("file"): plays the sound to its end (Escape ends it early) and
// returns the file name.
constexpr Signature playwaveSignature = {
    .rules = {{takesString}}, .refusal = {errorWrongArgument, "Wrong arguments for playwave\n"}};

void builtinPlaywave(header* first) {
    const Arguments a(first, playwaveSignature);
    if (!a) return;
    const std::string path = a.text(0);
    std::string detail;
    switch (playSoundFile(
        path.c_str(), [] { return escapePressed(); }, detail)) {
        case SoundResult::played:
        case SoundResult::interrupted:
            return returnText(first, path.c_str());
        case SoundResult::unreadable:
            return fail(errorFailed, "Could not read the sound file %s!\n%s\n", path.c_str(),
                        detail.c_str());
        case SoundResult::noDevice:
            return fail(errorFailed, "Could not play %s: no sound device!\n%s\n", path.c_str(),
                        detail.c_str());
    }
}

const BuiltinRecord rows[] = {
    {"getblue", 1, 0, builtinGetblue},   {"getgreen", 1, 0, builtinGetgreen},
    {"getred", 1, 0, builtinGetred},     {"loadrgb", 1, 0, builtinLoadrgb},
    {"putblue", 1, 0, builtinPutblue},   {"putgreen", 1, 0, builtinPutgreen},
    {"putred", 1, 0, builtinPutred},     {"savergb", 2, 0, builtinSavergb},
    {"playwave", 1, 0, builtinPlaywave},
};

}  // namespace

KALIX_BUILTIN_FAMILY(colourBuiltins, rows);

}  // namespace kalix
