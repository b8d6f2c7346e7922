// The SVG writer.
#include "graphics/svg_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "base/text.h"
#include "graphics/png_file.h"

namespace kalix {

ClipNumbering programClipNumbers;

namespace {

// Keeps well-formed UTF-8 and characters XML allows; anything else
// becomes "?".
std::string cleanUtf8(const std::string& text) {
    std::string out;
    for (const char* p = text.c_str(); *p;) {
        const int n = utf8SequenceLength(p);
        if (n == 0 || (n == 1 && static_cast<unsigned char>(*p) < 0x20 && *p != '\t' &&
                       *p != '\n' && *p != '\r')) {
            out += '?';
            p++;
            continue;
        }
        out.append(p, size_t(n));
        p += n;
    }
    return out;
}

}  // namespace

SvgWriter::SvgWriter(OutputSink& sink, const WriterSettings& settings, ClipNumbering& numbering)
    : out(sink), settings(settings), numbering(numbering) {
    writeHeader();
}

bool SvgWriter::finish() {
    out << "</svg>";
    out.flush();
    return !out.failed();
}

double SvgWriter::hatchLineWidth() const { return scaleLineWidth(settings, settings.width, 1); }

void SvgWriter::writeHeader() {
    out << "<?xml version=\"1.0\"?>\n"
        << "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
           "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\""
        << settings.width << "\" height=\"" << settings.height << "\">\n";
    haveClip = false;
    clip(0, 0, 1024, 1024);
    patterns.clear();
}

void SvgWriter::writeRgb(Rgb c) {
    out << "rgb(" << c.red << ',' << c.green << ',' << c.blue << ')';
}

void SvgWriter::writeClipReference() { out << " clip-path=\"url(#clip" << numbering.last << ")\""; }

void SvgWriter::writeRectangle(double x1, double y1, double x2, double y2) {
    out << "<rect x=\"";
    out.fixed(toX(x1));
    out << "\" y=\"";
    out.fixed(toY(y1));
    out << "\" width=\"";
    out.fixed(toX(x2 - x1));
    out << "\" height=\"";
    out.fixed(toY(y2 - y1));
    out << '"';
}

void SvgWriter::writePoints(const Point* points, int n) {
    for (int i = 0; i < n; i++) {
        if (i) out << ' ';
        out.fixed(toX(points[i].x));
        out << ',';
        out.fixed(toY(points[i].y));
    }
}

void SvgWriter::writeDashStyle(int style, Rgb colour, double width) {
    out << " style=\"fill:none;stroke:";
    writeRgb(colour);
    out << ";stroke-linecap:round;stroke-linejoin:round;stroke-width:";
    out.fixed(width);
    // The dash lengths of the pixel surfaces, scaled as there.
    if (const DashPattern* d = dashPatternOf(style)) {
        const double scale = wideLineWidth(1) / 2;
        out << ";stroke-dasharray:";
        for (int i = 0; i < d->count; i++) {
            if (i > 0) out << ',';
            out.fixed(d->lengths[i] * scale);
        }
    }
    out << '"';
}

void SvgWriter::writeLineElement(double x1, double y1, double x2, double y2, Rgb colour) {
    out << "<line x1=\"";
    out.fixed(toX(x1));
    out << "\" y1=\"";
    out.fixed(toY(y1));
    out << "\" x2=\"";
    out.fixed(toX(x2));
    out << "\" y2=\"";
    out.fixed(toY(y2));
    out << "\" style=\"stroke:";
    writeRgb(colour);
    out << ";stroke-width:";
    out.fixed(wideLineWidth(1));
    out << '"';
    writeClipReference();
    out << "/>\n";
}

// --- records -----------------------------------------------------------------

bool SvgWriter::clear() {
    writeRectangle(0, 0, 1024, 1024);
    out << " style=\"fill:";
    writeRgb(resolveColorGrey(0, settings.useColors));
    out << "\"/>\n";
    return true;
}

bool SvgWriter::clip(double x1, double y1, double x2, double y2) {
    const double r[4] = {x1, y1, x2, y2};
    if (haveClip && std::memcmp(r, clipRect, sizeof r) == 0) return true;
    std::memcpy(clipRect, r, sizeof r);
    haveClip = true;
    numbering.last++;
    out << "<clipPath id=\"clip" << numbering.last << "\">";
    writeRectangle(x1, y1, x2, y2);
    out << " /></clipPath>\n";
    return true;
}

void SvgWriter::writeStyledLine(double x1, double y1, double x2, double y2, Rgb colour, int style,
                                double width) {
    out << "<line x1=\"";
    out.fixed(toX(x1));
    out << "\" y1=\"";
    out.fixed(toY(y1));
    out << "\" x2=\"";
    out.fixed(toX(x2));
    out << "\" y2=\"";
    out.fixed(toY(y2));
    out << '"';
    writeDashStyle(style, colour, width);
    writeClipReference();
    out << "/>\n";
}

bool SvgWriter::line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
                     double width) {
    colour = drawingColour(colour);
    if (lineStyle == lineInvisible) return true;
    const Rgb c = colourOf(colour);
    const double w = wideLineWidth(width);
    writeStyledLine(x1, y1, x2, y2, c, lineStyle, w);
    double ends[4];
    if (lineStyle == lineArrow && arrowHeadEnds(settings, x1, y1, x2, y2, ends)) {
        writeStyledLine(x2, y2, ends[0], ends[1], c, lineSolid, w);
        writeStyledLine(x2, y2, ends[2], ends[3], c, lineSolid, w);
    }
    out.flushIfLarge();
    return true;
}

bool SvgWriter::polyline(const Point* points, int n, ColorCode colour, int lineStyle,
                         double width) {
    colour = drawingColour(colour);
    if (lineStyle == lineInvisible || n <= 0) return true;
    if (lineStyle == lineArrow) {
        for (int i = 0; i + 1 < n; i++)
            line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, colour, lineStyle,
                 width);
        return true;
    }
    out << "<polyline points=\"";
    writePoints(points, n);
    out << '"';
    writeDashStyle(lineStyle, colourOf(colour), wideLineWidth(width));
    writeClipReference();
    out << " />\n";
    out.flushIfLarge();
    return true;
}

// --- markers -----------------------------------------------------------------

void SvgWriter::writeEllipse(double x, double y, double r, ColorCode colour, bool filled) {
    const Rgb c = resolveColorGrey(colour, settings.useColors);
    out << "<ellipse cx=\"";
    out.fixed(toX(x));
    out << "\" cy=\"";
    out.fixed(toY(y));
    out << "\" rx=\"";
    out.fixed(toX(r));
    out << "\" ry=\"";
    out.fixed(toX(r));
    out << '"';
    if (filled) {
        out << " style=\"stroke:none;fill:";
        writeRgb(c);
        out << '"';
    } else {
        out << " style=\"stroke:";
        writeRgb(c);
        out << ";stroke-width:";
        out.fixed(wideLineWidth(1));
        out << ";fill:none\"";
    }
    writeClipReference();
    out << "/>\n";
}

void SvgWriter::writeFilledSquare(double x, double y, double half, ColorCode colour) {
    const double v = upright(half);
    const Point square[4] = {
        {x - half, y - v}, {x + half, y - v}, {x + half, y + v}, {x - half, y + v}};
    fillPolygon(square, 4, barFilled, colour, 0);
}

void SvgWriter::writeOutlinedSquare(double x, double y, double half, ColorCode colour) {
    const Rgb c = colourOf(colour);
    const double v = upright(half);
    writeLineElement(x - half, y - v, x + half, y - v, c);
    writeLineElement(x + half, y - v, x + half, y + v, c);
    writeLineElement(x + half, y + v, x - half, y + v, c);
    writeLineElement(x - half, y + v, x - half, y - v, c);
}

void SvgWriter::writeDiamond(double x, double y, double half, ColorCode colour, bool filled) {
    const double v = upright(half);
    const Point diamond[4] = {{x, y - v}, {x + half, y}, {x, y + v}, {x - half, y}};
    if (filled) return void(fillPolygon(diamond, 4, barFilled, colour, 0));
    const Rgb c = colourOf(colour);
    for (int i = 0; i < 4; i++)
        writeLineElement(diamond[i].x, diamond[i].y, diamond[(i + 1) % 4].x, diamond[(i + 1) % 4].y,
                         c);
}

bool SvgWriter::marker(double x, double y, ColorCode colour, int markerType, double size) {
    colour = drawingColour(colour);
    const double h = size > 0 ? 1024 / size : 1;
    const double l = int(1.4 * h + 0.5);
    const double v = upright(h);
    // Circles as on the pixel surfaces: a thin pen draws them a quarter
    // larger than the marker size, a wider one a fifth, filled ones one or
    // two pixels more.
    const bool thinPen = int(wideLineWidth(1) + 0.5) <= 1;
    const double pixel = 1024.0 / std::max(1, settings.width);
    const double circle = h * (thinPen ? 1.25 : 1.2);
    const double filledCircle = circle + (thinPen ? 1 : 2) * pixel;
    const Rgb c = colourOf(colour);
    auto diagonalCross = [&] {
        writeLineElement(x - h, y - v, x + h, y + v, c);
        writeLineElement(x - h, y + v, x + h, y - v, c);
    };
    auto uprightCross = [&] {
        writeLineElement(x - h, y, x + h, y, c);
        writeLineElement(x, y - v, x, y + v, c);
    };
    switch (markerType) {
        case markerCross:
            diagonalCross();
            break;
        case markerCircle:
            writeEllipse(x, y, circle, colour, false);
            break;
        case markerDiamond:
            writeDiamond(x, y, l, colour, false);
            break;
        case markerDot: {
            // Half a side of 0.8 pixel widths, in picture pixels.
            const double half = 0.8 * wideLineWidth(1);
            const Rgb g = resolveColorGrey(colour, settings.useColors);
            out << "<rect x=\"";
            out.fixed(toX(x) - half);
            out << "\" y=\"";
            out.fixed(toY(y) - half);
            out << "\" width=\"";
            out.fixed(2 * half);
            out << "\" height=\"";
            out.fixed(2 * half);
            out << "\" style=\"fill:";
            writeRgb(g);
            out << "\"/>\n";
            break;
        }
        case markerPlus:
            uprightCross();
            break;
        case markerSquare:
            writeOutlinedSquare(x, y, h, colour);
            break;
        case markerStar:
            diagonalCross();
            uprightCross();
            break;
        case markerSmallSquare:
            writeOutlinedSquare(x, y, 1, colour);
            break;
        case markerFilledCircle:
            writeEllipse(x, y, filledCircle, colour, true);
            break;
        case markerFilledDiamond:
            writeDiamond(x, y, l + 1, colour, true);
            break;
        case markerLargeDot:
            writeFilledSquare(x, y, 2, colour);
            break;
        case markerFilledSquare:
            writeFilledSquare(x, y, h + 1, colour);
            break;
        case markerVerticalBar:
            writeLineElement(x, y - v, x, y + v, c);
            break;
        case markerHorizontalBar:
            writeLineElement(x - h, y, x + h, y, c);
            break;
        case markerWhiteDiamond:
            writeDiamond(x, y, l, 0, true);
            writeDiamond(x, y, l, colour, false);
            break;
        case markerWhiteSquare:
            writeFilledSquare(x, y, h, 0);
            writeOutlinedSquare(x, y, h, colour);
            break;
        case markerWhiteCircle:
            writeEllipse(x, y, filledCircle, 0, true);
            writeEllipse(x, y, circle, colour, false);
            break;
        default:
            break;
    }
    out.flushIfLarge();
    return true;
}

// --- shapes ------------------------------------------------------------------

bool SvgWriter::facet(const Point* points, const int32_t* edgeFlags, int n, ColorCode fillColour,
                      ColorCode edgeColour) {
    if (n <= 0) return true;
    const Rgb fill = colourOf(fillColour), edge = colourOf(edgeColour);
    out << "<polygon points=\"";
    writePoints(points, n);
    out << "\" style=\"fill:";
    writeRgb(fill);
    out << ";stroke:";
    writeRgb(fill);
    out << ";stroke-width:0.50\" />\n";
    for (int i = 0; i + 1 < n; i++)
        if (edgeFlags[i])
            writeLineElement(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, edge);
    if (edgeFlags[n - 1])
        writeLineElement(points[0].x, points[0].y, points[n - 1].x, points[n - 1].y, edge);
    out.flushIfLarge();
    return true;
}

bool SvgWriter::huePolygon(const Point* points, int n, double hue, int scheme, int) {
    const Rgb c = schemeColor(scheme, hueFraction(hue), settings.useColors);
    out << "<polygon points=\"";
    writePoints(points, n);
    out << "\" style=\"fill:";
    writeRgb(c);
    out << ";stroke:";
    writeRgb(c);
    out << ";stroke-width:0.50\"";
    writeClipReference();
    out << " />\n";
    out.flushIfLarge();
    return true;
}

bool SvgWriter::densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                           int gridFlag) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    // The value as the pixel painters take it, so a cell at 1 keeps the
    // colour of 1 in the file as on the screen.
    const Rgb fill = schemeColor(scheme, value, settings.useColors);
    writeRectangle(x1, y1, x2, y2);
    out << " style=\"fill:";
    writeRgb(fill);
    out << ";stroke:";
    writeRgb(gridFlag ? colourOf(1) : fill);
    // A grid line as wide as other lines; otherwise a thin seam closer.
    out << ";stroke-width:";
    out.fixed(gridFlag ? wideLineWidth(1) : 0.5);
    out << '"';
    writeClipReference();
    out << "/>\n";
    out.flushIfLarge();
    return true;
}

int SvgWriter::hatchPattern(ColorCode colour, int style) {
    const auto key = std::make_pair(colour, style);
    const auto found = patterns.find(key);
    if (found != patterns.end()) return found->second;
    const int number = int(patterns.size());
    patterns[key] = number;
    const int d = hatchSpacing(settings);
    const int h = d;
    out.format("<pattern id=\"hatch%02d\" patternUnits=\"userSpaceOnUse\"", number);
    out << " x=\"0\" y=\"0\" width=\"" << d << "\" height=\"" << d << "\">\n";
    const Rgb c = colourOf(colour);
    out.format(" <g style=\"fill:none; stroke:rgb(%d,%d,%d); stroke-width:%d\">\n", c.red, c.green,
               c.blue, int(hatchLineWidth() + 0.5));
    auto vertical = [&] { out.format("  <path d=\"M%d,0 L%d,%d\"/>\n", h / 2, h / 2, h); };
    auto horizontal = [&] { out.format("  <path d=\"M0,%d L%d,%d\"/>\n", h / 2, h, h / 2); };
    switch (style) {
        case barVertical:
            vertical();
            break;
        case barHorizontal:
            horizontal();
            break;
        case barRising:
            out.format("  <path d=\"M%d,0 L0,%d\"/>\n", h, h);
            out.format("  <path d=\"M%d,%d L%d,%d\"/>\n", -h, h, h, -h);
            out.format("  <path d=\"M%d,0 L0,%d\"/>\n", 2 * h, 2 * h);
            break;
        case barFalling:
            out.format("  <path d=\"M0,0 L%d,%d\"/>\n", h, h);
            out.format("  <path d=\"M0,%d L%d,%d\"/>\n", -h, 2 * h, h);
            out.format("  <path d=\"M%d,0 L%d,%d\"/>\n", -h, h, 2 * h);
            break;
        case barCrossedDiagonals:
            out.format("  <path d=\"M%d,0 L0,%d\"/>\n", h, h);
            out.format("  <path d=\"M0,0 L%d,%d\"/>\n", h, h);
            break;
        case barCrossed:
            horizontal();
            vertical();
            break;
        default:
            break;
    }
    out << " </g>\n</pattern>\n";
    return number;
}

// The style attribute of a bar or filled polygon.
void SvgWriter::writeShapeStyle(int style, ColorCode colour, bool isBar, bool framed, int pattern) {
    const Rgb c = colourOf(colour), one = colourOf(1);
    const double w = wideLineWidth(1);
    auto filledStroked = [&](Rgb stroke) {
        out << " style=\"fill:";
        writeRgb(c);
        out << ";stroke:";
        writeRgb(stroke);
        out << ";stroke-width:";
        out.fixed(w);
        out << '"';
    };
    auto strokedOnly = [&](Rgb stroke) {
        out << " style=\"fill:none;stroke:";
        writeRgb(stroke);
        out << ";stroke-width:";
        out.fixed(w);
        out << '"';
    };
    auto filledOnly = [&](Rgb fill) {
        out << " style=\"fill:";
        writeRgb(fill);
        out << ";stroke:none\"";
    };
    // An unframed filled polygon is edged in its own colour, as a bar is,
    // so that polygons sharing an edge (the pieces of contour bands) leave
    // no light seam in a smoothing viewer.
    auto filledSealed = [&] { filledStroked(c); };
    switch (style) {
        case barFilled:
            if (isBar)
                filledStroked(c);
            else
                filledSealed();
            break;
        // A polygon is framed only when its record asks for a frame.
        case barFilledFramed:
            if (isBar || framed)
                filledStroked(one);
            else
                filledSealed();
            break;
        case barFramed:
            if (isBar || framed)
                strokedOnly(isBar ? c : one);
            else
                out << " style=\"fill:none;stroke:none\"";
            break;
        case barVertical:
        case barHorizontal:
        case barRising:
        case barFalling:
        case barCrossedDiagonals:
        case barCrossed:
            out.format(" style=\"fill:url(#hatch%02d);", pattern);
            if (isBar || framed) {
                out << "stroke:";
                writeRgb(c);
                out << ";stroke-width:";
                out.fixed(w);
                out << '"';
            } else {
                out << "stroke:none\"";
            }
            break;
        case barTransparent:
            if (isBar || framed)
                strokedOnly(c);
            else
                out << " style=\"fill:none;stroke:none\"";
            break;
        default:
            filledOnly(isBar ? one : c);
            break;
    }
}

bool SvgWriter::bar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) {
    if (!settings.useColors && (barStyle == barFilledFramed || barStyle == barFramed))
        barStyle = barCrossedDiagonals;  // as on the pixel surfaces
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (barStyle != barFilled && barStyle != barTransparent) {
        writeRectangle(x1, y1, x2, y2);
        out << " style=\"fill:";
        writeRgb(colourOf(0));
        out << ";stroke:none\"";
        writeClipReference();
        out << "/>\n";
    }
    const int pattern = hatchPattern(colour, barStyle);
    writeRectangle(x1, y1, x2, y2);
    writeShapeStyle(barStyle, colour, true, true, pattern);
    writeClipReference();
    out << "/>\n";
    out.flushIfLarge();
    return true;
}

bool SvgWriter::fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                            ColorCode frameColour) {
    if (fillStyle != barFilled && fillStyle != barTransparent) {
        out << "<polygon points=\"";
        writePoints(points, n);
        out << "\" style=\"fill:";
        writeRgb(colourOf(0));
        out << ";stroke:none\"";
        writeClipReference();
        out << " />\n";
    }
    const int pattern = hatchPattern(fillColour, fillStyle);
    out << "<polygon points=\"";
    writePoints(points, n);
    out << '"';
    writeShapeStyle(fillStyle, fillColour, false, frameColour != 0, pattern);
    writeClipReference();
    out << " />\n";
    out.flushIfLarge();
    return true;
}

namespace {

std::string base64Of(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (n > 1) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        if (n > 2) v |= uint8_t(bytes[i + 2]);
        text += digits[v >> 18 & 63];
        text += digits[v >> 12 & 63];
        text += n > 1 ? digits[v >> 6 & 63] : '=';
        text += n > 2 ? digits[v & 63] : '=';
    }
    return text;
}

}  // namespace

// One embedded PNG image, a picture pixel per cell, stretched over the bar
// without smoothing; keyed pixels are see-through.
bool SvgWriter::rgbBar(double x1, double y1, double x2, double y2, int columns, int rows,
                       int keyRed, int keyGreen, int keyBlue, const uint8_t* pixels) {
    if (columns <= 0 || rows <= 0) return true;
    auto keyed = [&](const uint8_t* p) {
        return p[0] == keyRed && p[1] == keyGreen && p[2] == keyBlue;
    };
    const size_t cells = size_t(columns) * size_t(rows);
    size_t shown = 0;
    for (size_t k = 0; k < cells; k++) shown += !keyed(pixels + 3 * k);
    if (shown == 0) return true;
    // Viewers smooth a stretched image: each cell gets as many image pixels
    // as it covers in the picture, so its edges stay sharp.
    const double across = std::fabs(toX(x2 - x1)), down = std::fabs(toY(y2 - y1));
    int fx = std::max(1, int(std::ceil(across / columns))),
        fy = std::max(1, int(std::ceil(down / rows)));
    if (double(columns) * fx * double(rows) * fy > 16e6) fx = fy = 1;
    PixelImage image;
    if (!image.allocate(columns * fx, rows * fy)) return true;
    // The image's top left is the bar's corner of the smallest coordinates.
    const bool flipX = x2 < x1, flipY = y2 < y1;
    for (int i = 0; i < rows; i++) {
        uint32_t* row = image.row((flipY ? rows - 1 - i : i) * fy);
        for (int j = 0; j < columns; j++) {
            const uint8_t* p = pixels + (size_t(i) * size_t(columns) + size_t(j)) * 3;
            uint32_t* cell = row + size_t(flipX ? columns - 1 - j : j) * size_t(fx);
            std::fill(cell, cell + fx, pixelOf(Rgb{p[0], p[1], p[2]}));
        }
        for (int k = 1; k < fy; k++)
            std::copy(row, row + image.width(), row + size_t(k) * size_t(image.width()));
    }
    const bool keyUsable = shown < cells && keyRed >= 0 && keyRed < 256 && keyGreen >= 0 &&
                           keyGreen < 256 && keyBlue >= 0 && keyBlue < 256;
    const Rgb key{keyRed, keyGreen, keyBlue};
    StringSink png;
    if (!writePng(image, png, keyUsable ? &key : nullptr)) return true;
    out << "<image x=\"";
    out.fixed(toX(std::min(x1, x2)), 4);
    out << "\" y=\"";
    out.fixed(toY(std::min(y1, y2)), 4);
    out << "\" width=\"";
    out.fixed(toX(std::fabs(x2 - x1)), 4);
    out << "\" height=\"";
    out.fixed(toY(std::fabs(y2 - y1)), 4);
    out << "\" preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\""
           " style=\"image-rendering:pixelated\"";
    writeClipReference();
    out << " xlink:href=\"data:image/png;base64,";
    out << base64Of(png.text);
    out << "\"/>\n";
    out.flushIfLarge();
    return true;
}

// --- texts -------------------------------------------------------------------

void SvgWriter::writeEscapedText(const char* text) {
    for (const char* p = text; *p; p++) {
        switch (*p) {
            case '&':
                out << "&amp;";
                break;
            case '<':
                out << "&lt;";
                break;
            case '>':
                out << "&gt;";
                break;
            case '"':
                out << "&quot;";
                break;
            default:
                out << *p;
                break;
        }
    }
}

bool SvgWriter::text(double x, double y, const char* text, ColorCode colour, int alignment, double,
                     TextDirection direction) {
    colour = drawingColour(colour);
    // The text as UTF-8: marked texts are UTF-8 already.
    std::string utf8;
    const size_t markLength = sizeof utf8Mark - 1;
    if (std::strncmp(text, utf8Mark, markLength) == 0) {
        utf8 = text + markLength;
    } else if (settings.codePageToUtf8) {
        settings.codePageToUtf8(text, utf8);
    } else {
        char buffer[4];
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++)
            utf8.append(buffer, appendUtf8(*p, buffer));
    }
    utf8 = cleanUtf8(utf8);

    const int s = int(0.875 * settings.height / settings.graphicsLines + 0.5);
    const double X = toX(x), Y = toY(y);
    const double tx = direction == TextDirection::down ? X - s : X;
    const double ty = direction == TextDirection::down ? Y : Y + s;
    // Clipped by a group: on the text itself the clip would turn with it.
    // Blanks are kept as they are.
    out << "<g";
    writeClipReference();
    out << "><text xml:space=\"preserve\" x=\"";
    out.fixed(tx);
    out << "\" y=\"";
    out.fixed(ty);
    out << '"';
    static const char* const anchors[] = {"start", "middle", "end"};
    if (alignment >= alignLeft && alignment <= alignRight)
        out << " text-anchor=\"" << anchors[alignment] << '"';
    out << " font-family=\"";
    writeEscapedText(cleanUtf8(settings.fontName).c_str());
    out << "\" font-size=\"" << s << '"';
    if (settings.boldFont) out << " font-weight=\"bold\"";
    out << " fill=\"";
    writeRgb(colourOf(colour));
    out << '"';
    if (direction == TextDirection::down) {
        out << " transform=\"rotate(90 ";
        out.fixed(X - s);
        out << ' ';
        out.fixed(Y);
        out << ")\"";
    } else if (direction == TextDirection::up) {
        out << " transform=\"rotate(270 ";
        out.fixed(X);
        out << ' ';
        out.fixed(Y);
        out << ")\"";
    }
    out << '>';
    writeEscapedText(utf8.c_str());
    out << "</text></g>\n";
    out.flushIfLarge();
    return true;
}

}  // namespace kalix
