// What the EPS and SVG writers share: the picture's settings, the text
// conversion, and an output buffer that numbers are printed into quickly
// and that is handed to a sink in large pieces.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>

#include "graphics/colors.h"

namespace kalix {

// The conversion of a text from the program's code page to UTF-8, into
// `out` (empty on the call). Without one the SVG writer and the pixel
// surfaces take bytes 128..255 as Latin-1, the EPS writer as code page 1252.
using TextConversion = void (*)(const char* text, std::string& out);

struct WriterSettings {
    int width = 1024;  // pixels (SVG) or points (EPS)
    int height = 1024;
    int graphicsLines = 40;
    std::string fontName = "Arial";
    bool useColors = true;
    bool fatterLines = false;
    bool scaleLines = true;
    bool fontLines = true;
    bool boldFont = false;
    int markerSize = 140;  // markers across the picture width
    int hatchCellSize = 16;
    ColorCode fillColors[2] = {11, 3};
    // EPS: the creation date line's text (24 characters, local time).
    std::string creationDate;
    TextConversion codePageToUtf8 = nullptr;
};

// Pen style dash patterns at scale 1, in pixels of a picture 512 wide; every file and surface
// scales them by half the line scale (scaleLineWidth) (on, off, ...).
struct DashPattern {
    int count;
    int lengths[6];
};
// The pattern of a line style (2 to 6); null for solid styles.
const DashPattern* dashPatternOf(int lineStyle);

// Line width w on a picture `surfaceWidth` pixels wide: times width / 500
// (width / 300 with fatter lines) when lines scale and that is at least 1,
// then times 40 / (graphics lines + 1) when lines follow the font.
double scaleLineWidth(const WriterSettings& settings, int surfaceWidth, double w);

// The side of a hatch cell in the vector files, even so that a line can
// run through its middle; cells are laid from the picture's top left.
int hatchSpacing(const WriterSettings& settings);

// The far ends of the two strokes of the arrowhead at (x2, y2) of a segment
// from (x1, y1), in 1024 units: each a marker size long along and across
// the segment. False for segments too short to carry one.
bool arrowHeadEnds(const WriterSettings& settings, double x1, double y1, double x2, double y2,
                   double ends[4]);

// Receives the written text; false when writing failed.
class OutputSink {
  public:
    virtual ~OutputSink() = default;
    virtual bool write(const char* data, size_t n) = 0;
};

class StringSink : public OutputSink {
  public:
    std::string text;
    bool write(const char* data, size_t n) override {
        text.append(data, n);
        return true;
    }
};

class FileSink : public OutputSink {
  public:
    explicit FileSink(FILE* file) : file(file) {}
    bool write(const char* data, size_t n) override { return std::fwrite(data, 1, n, file) == n; }

  private:
    FILE* file;
};

class WriterOutput {
  public:
    explicit WriterOutput(OutputSink& sink) : sink(sink) {}
    ~WriterOutput() { flush(); }

    WriterOutput& operator<<(const char* text) {
        buffer += text;
        return *this;
    }
    WriterOutput& operator<<(const std::string& text) {
        buffer += text;
        return *this;
    }
    WriterOutput& operator<<(char c) {
        buffer += c;
        return *this;
    }
    WriterOutput& operator<<(int v) {
        char digits[16];
        buffer.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
        return *this;
    }
    // printf's "%0.2f" (or another number of places).
    void fixed(double v, int places = 2);
    // printf's "%g".
    void general(double v);
    // printf with a format, for the rare texts that need one.
    void format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Hands the buffer on when it has grown large.
    void flushIfLarge() {
        if (buffer.size() >= (1 << 20)) flush();
    }
    void flush();
    bool failed() const { return writeFailed; }

  private:
    OutputSink& sink;
    std::string buffer;
    bool writeFailed = false;
};

}  // namespace kalix
