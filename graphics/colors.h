// Colour values and palettes. A `ColorCode` below 0x1000000 is a palette
// index (0..15; any other index reads as 1), from 0x1000000 on an RGB code
// 0x1RRGGBB (bits above 23 ignored, so sums of putred/putgreen/putblue stay
// valid). `RgbColor` is the surface word 0x00BBGGRR.
#pragma once

#include <cstdint>

namespace kalix {

using ColorCode = int32_t;
constexpr ColorCode rgbCodeBase = 0x1000000;

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb&) const = default;
};

class RgbColor {
  public:
    RgbColor() = default;
    RgbColor(int r, int g, int b) { setRgb(r, g, b); }
    void setRgb(int r, int g, int b) {
        word = uint32_t(r & 0xff) | uint32_t(g & 0xff) << 8 | uint32_t(b & 0xff) << 16;
    }
    int redOf() const { return word & 0xff; }
    int greenOf() const { return (word >> 8) & 0xff; }
    int blueOf() const { return (word >> 16) & 0xff; }
    uint32_t value() const { return word; }
    static RgbColor fromValue(uint32_t value) {
        RgbColor c;
        c.word = value & 0xffffff;
        return c;
    }
    bool operator==(const RgbColor&) const = default;

  private:
    uint32_t word = 0;
};

constexpr int paletteSize = 16;

struct Palette {
    RgbColor entries[paletteSize];
    Palette();  // the default table
};

// The palette every index is resolved in, and the one `resetcolors`
// restores from (the colours dialog writes both).
extern Palette currentPalette;
extern Palette defaultPalette;

// Notebook text colours: output, command, comment, function body,
// background, highlight.
constexpr int textColorCount = 6;
extern const RgbColor defaultTextColors[textColorCount];
extern RgbColor textColors[textColorCount];

// The setting "usecolors" (read at the moment of use).
bool colorsEnabled();

ColorCode makeRgbCode(int r, int g, int b);
bool isRgbCode(ColorCode code);

// With colours on: the palette entry or the RGB code's bytes. With colours
// off: index 0 white, other indices black, RGB codes (1, 1, 1).
Rgb resolveColor(ColorCode code, bool useColors);
Rgb resolveColor(ColorCode code);
// Resolved with colours on; with them off turned into the grey
// ((r + g + b) / 3 * 2 + 255) / 3.
Rgb resolveColorGrey(ColorCode code, bool useColors);
Rgb resolveColorGrey(ColorCode code);
Rgb greyOf(Rgb c);
Rgb paletteIndexRgb(int index);

// Palette entry `index` := (r, g, b) from components in [0, 1]; 1 (and
// nothing changed) for an index outside 0..15 or a component outside [0, 1].
int setPaletteColor(int index, double r, double g, double b);
void resetColorsToDefault();

// The place of v on a shading scale: v - floor(v), except that a whole
// number above 0 gives 1, so the top of a scale keeps its colour.
double hueFraction(double v);

// Shading: the colour of v in scheme `kind` (0 hue, -1 a colour code, -2..-10
// cyclic schemes, any other a colour mixed with white), grey when colours
// are off.
Rgb schemeColor(int kind, double v, bool useColors);
Rgb schemeColor(int kind, double v);
// Red, green, blue in [0, 1]; hue in degrees, -1 for none.
void hsvToRgb(double hue, double saturation, double value, double* r, double* g, double* b);

// Settings "color%d" and "textcolor%d": read into the current palette and
// the text colours at start; written at exit (palette only with colours on).
class SettingsStore;
void loadColorSettings();
void saveColorSettings(SettingsStore& store);

}  // namespace kalix
