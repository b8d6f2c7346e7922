// The writers' output buffer.
#include "graphics/writer_output.h"

#include <cmath>
#include <cstdarg>

#include "graphics/surface.h"

namespace kalix {

namespace {

const double powersOfTen[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// v rounded to an integer as printf rounds it, when v is safely away from
// a tie and not large; false when the exact conversion is needed.
bool roundsClearly(double v, long long* n) {
    if (!(std::fabs(v) < 1e9)) return false;
    const double low = std::floor(v), fraction = v - low;
    if (std::fabs(fraction - 0.5) < 1e-6) return false;
    *n = (long long)low + (fraction > 0.5 ? 1 : 0);
    return true;
}

// Appends n / 10^places with exactly `places` decimals ("-" kept for a
// negative value that rounds to zero, as printf does).
void appendScaled(std::string& out, long long n, int places, bool negative, bool trim) {
    char digits[32];
    char* end = std::to_chars(digits, digits + sizeof digits, n < 0 ? -n : n).ptr;
    int length = int(end - digits);
    if (negative) out += '-';
    if (length <= places) {
        out += '0';
        if (places) out += '.';
        out.append(size_t(places - length), '0');
        out.append(digits, size_t(length));
    } else {
        out.append(digits, size_t(length - places));
        if (places) {
            out += '.';
            out.append(digits + length - places, size_t(places));
        }
    }
    if (trim && places) {
        while (out.back() == '0') out.pop_back();
        if (out.back() == '.') out.pop_back();
    }
}

}  // namespace

void WriterOutput::fixed(double v, int places) {
    long long n;
    if (places >= 0 && places <= 6 && roundsClearly(v * powersOfTen[places], &n)) {
        appendScaled(buffer, n, places, std::signbit(v), false);
        return;
    }
    char digits[400];
    auto end = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed, places);
    if (end.ec != std::errc()) return format("%.*f", places, v);
    buffer.append(digits, end.ptr);
}

void WriterOutput::general(double v) {
    // "%g" of values from 1e-4 to below 1e6 is a fixed number with six
    // significant digits and its trailing zeros dropped.
    const double magnitude = std::fabs(v);
    if (v == 0) {
        buffer += std::signbit(v) ? "-0" : "0";
        return;
    }
    if (magnitude >= 1e-4 && magnitude < 1e5) {
        int exponent = 4;
        while (exponent > -4 && magnitude < powersOfTen[exponent < 0 ? 0 : exponent] *
                                                (exponent < 0 ? 1 / powersOfTen[-exponent] : 1))
            exponent--;
        const int places = 5 - exponent;
        long long n;
        if (places <= 9 && roundsClearly(v * powersOfTen[places], &n) &&
            (n < 0 ? -n : n) < 1000000 && (n < 0 ? -n : n) >= 100000) {
            appendScaled(buffer, n, places, v < 0, true);
            return;
        }
    }
    char digits[64];
    auto end = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::general, 6);
    if (end.ec != std::errc()) return format("%g", v);
    buffer.append(digits, end.ptr);
}

void WriterOutput::format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (n > 0) buffer.append(text, size_t(n) < sizeof text ? size_t(n) : sizeof text - 1);
}

void WriterOutput::flush() {
    if (buffer.empty()) return;
    if (!writeFailed && !sink.write(buffer.data(), buffer.size())) writeFailed = true;
    buffer.clear();
}

bool arrowHeadEnds(const WriterSettings& settings, double x1, double y1, double x2, double y2,
                   double ends[4]) {
    const double dx = x2 - x1, dy = y2 - y1, length = std::hypot(dx, dy);
    if (!(length > 1) || settings.markerSize <= 0) return false;
    const double scale = 1024.0 / settings.markerSize / length;
    const double ex = dx * scale, ey = dy * scale;
    ends[0] = x2 - ex - ey;
    ends[1] = y2 - ey + ex;
    ends[2] = x2 - ex + ey;
    ends[3] = y2 - ey - ex;
    return true;
}

double scaleLineWidth(const WriterSettings& settings, int surfaceWidth, double w) {
    double f = 1;
    const double quotient = surfaceWidth / (settings.fatterLines ? 300.0 : 500.0);
    if (settings.scaleLines && quotient >= 1) f = quotient;
    if (settings.fontLines) f *= 40.0 / (settings.graphicsLines + 1);
    return w * f;
}

int hatchSpacing(const WriterSettings& settings) {
    int d = int(settings.hatchCellSize * scaleLineWidth(settings, settings.width, 1) / 2 + 0.5);
    return std::max(2, d + d % 2);
}

namespace {

const DashPattern dotted = {2, {1, 10}};
const DashPattern dashed = {2, {6, 12}};
const DashPattern dashDot = {4, {1, 12, 6, 12}};
const DashPattern dashDotDash = {6, {6, 12, 1, 12, 6, 12}};
const DashPattern dotDashDot = {6, {1, 12, 6, 12, 1, 12}};

}  // namespace

const DashPattern* dashPatternOf(int lineStyle) {
    switch (lineStyle) {
        case lineDotted:
            return &dotted;
        case lineDashed:
            return &dashed;
        case lineDashDot:
            return &dashDot;
        case lineDashDotDash:
            return &dashDotDash;
        case lineDotDashDot:
            return &dotDashDot;
        default:
            return nullptr;
    }
}

}  // namespace kalix
