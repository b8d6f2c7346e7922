// Colour resolution, the two palettes, the shading schemes and the colour
// settings.
#include "graphics/colors.h"

#include <cmath>
#include <cstdio>

#include "base/settings.h"

namespace kalix {

namespace {

const int defaultRed[paletteSize] = {255, 0,  144, 16,  16,  50,  150, 180,
                                     120, 80, 240, 100, 100, 100, 240, 240};
const int defaultGreen[paletteSize] = {255, 0,  16,  144, 16,  150, 150, 180,
                                       120, 80, 130, 240, 150, 240, 180, 240};
const int defaultBlue[paletteSize] = {255, 0,  16,  16,  144, 150, 50,  180,
                                      120, 80, 100, 100, 240, 240, 100, 100};

bool isPaletteIndex(ColorCode code) { return code >= 0 && code < paletteSize; }

Rgb rgbOf(RgbColor c) { return {c.redOf(), c.greenOf(), c.blueOf()}; }

}  // namespace

Palette::Palette() {
    for (int i = 0; i < paletteSize; i++)
        entries[i].setRgb(defaultRed[i], defaultGreen[i], defaultBlue[i]);
}

Palette currentPalette;
Palette defaultPalette;

const RgbColor defaultTextColors[textColorCount] = {
    RgbColor(0, 0, 0),   RgbColor(160, 0, 0),     RgbColor(0, 64, 0),
    RgbColor(0, 0, 140), RgbColor(255, 255, 255), RgbColor(250, 100, 100),
};
RgbColor textColors[textColorCount] = {
    defaultTextColors[0], defaultTextColors[1], defaultTextColors[2],
    defaultTextColors[3], defaultTextColors[4], defaultTextColors[5],
};

bool colorsEnabled() { return intSetting("usecolors") != 0; }

ColorCode makeRgbCode(int r, int g, int b) {
    return rgbCodeBase | (r & 0xff) << 16 | (g & 0xff) << 8 | (b & 0xff);
}

bool isRgbCode(ColorCode code) { return code >= rgbCodeBase; }

Rgb paletteIndexRgb(int index) {
    return rgbOf(currentPalette.entries[isPaletteIndex(index) ? index : 1]);
}

Rgb resolveColor(ColorCode code, bool useColors) {
    if (!useColors) {
        if (isRgbCode(code)) return {1, 1, 1};
        return code == 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    }
    if (isRgbCode(code)) return {(code >> 16) & 0xff, (code >> 8) & 0xff, code & 0xff};
    return paletteIndexRgb(code);
}

Rgb resolveColor(ColorCode code) { return resolveColor(code, colorsEnabled()); }

Rgb greyOf(Rgb c) {
    const int grey = (c.red + c.green + c.blue) / 3;
    return {grey, grey, grey};
}

Rgb resolveColorGrey(ColorCode code, bool useColors) {
    const Rgb c = resolveColor(code, true);
    return useColors ? c : greyOf(c);
}

Rgb resolveColorGrey(ColorCode code) { return resolveColorGrey(code, colorsEnabled()); }

int setPaletteColor(int index, double r, double g, double b) {
    if (!isPaletteIndex(index)) return 1;
    // Written so that NaN components are refused too.
    if (!(r >= 0 && r <= 1 && g >= 0 && g <= 1 && b >= 0 && b <= 1)) return 1;
    currentPalette.entries[index].setRgb(int(r * 255 + 0.5), int(g * 255 + 0.5),
                                         int(b * 255 + 0.5));
    return 0;
}

void resetColorsToDefault() {
    for (int i = 0; i < paletteSize; i++) currentPalette.entries[i] = defaultPalette.entries[i];
}

void hsvToRgb(double hue, double s, double v, double* r, double* g, double* b) {
    if (s == 0) s = 1e-6;
    if (hue == -1) {
        *r = *g = *b = v;
        return;
    }
    if (hue == 360) hue = 0;
    const double h = hue / 60;
    const int i = int(h);
    const double f = h - i;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
        case 0:
            *r = v, *g = t, *b = p;
            break;
        case 1:
            *r = q, *g = v, *b = p;
            break;
        case 2:
            *r = p, *g = v, *b = t;
            break;
        case 3:
            *r = p, *g = q, *b = v;
            break;
        case 4:
            *r = t, *g = p, *b = v;
            break;
        default:
            *r = v, *g = p, *b = q;
            break;
    }
}

double hueFraction(double v) {
    const double f = v - std::floor(v);
    return f == 0 && v > 0 ? 1 : f;
}

Rgb schemeColor(int kind, double v, bool useColors) {
    Rgb c;
    if (kind == 0) {
        // Hues beyond [0, 1] have no colour of their own: clamp.
        if (!(v >= 0)) v = 0;
        if (v > 1) v = 1;
        double r, g, b;
        hsvToRgb((1 - v) * 255, 0.5, 0.9, &r, &g, &b);
        c = {int(r * 255), int(g * 255), int(b * 255)};
    } else if (kind == -1) {
        c = resolveColor(std::isfinite(v) && std::fabs(v) < 2147483647.0 ? ColorCode(v) : 1, true);
    } else if (kind <= -2 && kind >= -10) {
        static const double low[] = {1.5, 1, 1, 1, 1, -1, -1, -1, -1};
        static const double high[] = {1, 0, 0.5, 1, 1.5, 1, 1.5, 2, 2.5};
        const int k = -kind - 2;
        const double theta = M_PI * (low[k] * v + high[k]);
        const double cs = std::cos(theta), sn = std::sin(theta);
        c = {int(255 * (1 + (cs + sn) / M_SQRT2) / 2), int(255 * (1 + (cs - sn) / M_SQRT2) / 2),
             int(255 * (1 - cs / M_SQRT2) / 2)};
    } else {
        const double f = std::isfinite(v) ? hueFraction(v) : 0;
        const Rgb base = resolveColor(kind, true);
        c = {int(f * 255 + (1 - f) * base.red), int(f * 255 + (1 - f) * base.green),
             int(f * 255 + (1 - f) * base.blue)};
    }
    return useColors ? c : greyOf(c);
}

Rgb schemeColor(int kind, double v) { return schemeColor(kind, v, colorsEnabled()); }

void loadColorSettings() {
    char key[32];
    for (int i = 0; i < paletteSize; i++) {
        std::snprintf(key, sizeof key, "color%d", i);
        const uint32_t stored =
            uint32_t(readColorSetting(key, int(currentPalette.entries[i].value())));
        // Into both palettes: the exit writes the default palette back, so
        // the stored colours survive every run, not just the next one.
        currentPalette.entries[i] = RgbColor::fromValue(stored);
        defaultPalette.entries[i] = currentPalette.entries[i];
    }
    for (int i = 0; i < textColorCount; i++) {
        std::snprintf(key, sizeof key, "textcolor%d", i);
        textColors[i] =
            RgbColor::fromValue(uint32_t(readColorSetting(key, int(textColors[i].value()))));
    }
}

void saveColorSettings(SettingsStore& store) {
    char key[32];
    if (colorsEnabled()) {
        for (int i = 0; i < paletteSize; i++) {
            std::snprintf(key, sizeof key, "color%d", i);
            store.writeColorSetting(key, int(defaultPalette.entries[i].value()));
        }
    }
    for (int i = 0; i < textColorCount; i++) {
        std::snprintf(key, sizeof key, "textcolor%d", i);
        store.writeColorSetting(key, int(textColors[i].value()));
    }
}

}  // namespace kalix
