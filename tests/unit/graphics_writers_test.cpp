// The EPS and SVG writers: a picture written directly and replayed from
// the metafile (and from its frozen copy) gives the same bytes; the
// writers' own rules for paths, colours, clips, patterns and texts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/threads.h"
#include "graphics/eps_writer.h"
#include "graphics/graphics_export.h"
#include "graphics/gzip_sink.h"
#include "graphics/metafile.h"
#include "graphics/svg_writer.h"
#include "tests/unit/every_record_picture.h"
#include "tests/unit/graphics_lock_probe.h"

namespace kalix {

namespace {

WriterSettings testSettings() {
    WriterSettings s;
    s.width = 600;
    s.height = 400;
    s.creationDate = "Mon Jan 01 00:00:00 2024";
    return s;
}

std::string svgOf(void (*draw)(Surface&)) {
    StringSink sink;
    ClipNumbering numbers;
    SvgWriter writer(sink, testSettings(), numbers);
    draw(writer);
    EXPECT_TRUE(writer.finish());
    return sink.text;
}

std::string epsOf(void (*draw)(Surface&)) {
    StringSink sink;
    EpsWriter writer(sink, testSettings());
    draw(writer);
    EXPECT_TRUE(writer.finish());
    return sink.text;
}

template <typename Writer>
std::string replayed(Metafile& m) {
    StringSink sink;
    ClipNumbering numbers;
    Writer* writer;
    if constexpr (std::is_same_v<Writer, SvgWriter>)
        writer = new Writer(sink, testSettings(), numbers);
    else
        writer = new Writer(sink, testSettings());
    EXPECT_EQ(m.replay(*writer, true), ReplayEnd::complete);
    EXPECT_TRUE(writer->finish());
    delete writer;
    return sink.text;
}

TEST(Writers, DirectAndReplayedPicturesAreByteIdentical) {
    Metafile m(1 << 20);
    drawEveryRecord(m);
    Metafile copy(m);
    const std::string svg = svgOf(drawEveryRecord), eps = epsOf(drawEveryRecord);
    EXPECT_EQ(replayed<SvgWriter>(m), svg);
    EXPECT_EQ(replayed<SvgWriter>(copy), svg);
    EXPECT_EQ(replayed<EpsWriter>(m), eps);
    EXPECT_EQ(replayed<EpsWriter>(copy), eps);
    std::unique_ptr<Metafile> frozen = Metafile::frozenCopy(m);
    ASSERT_TRUE(frozen);
    EXPECT_EQ(replayed<SvgWriter>(*frozen), svg);
    EXPECT_EQ(replayed<EpsWriter>(*frozen), eps);
}

// An export copies the records under the lock and writes them after it is
// left, so the window's paint never waits for a whole export.
TEST(Writers, AnExportWritesOutsideTheGraphicsLock) {
    Metafile m(1 << 20);
    drawEveryRecord(m);
    GraphicsLockProbe::reset();
    StringSink sink;
    ASSERT_EQ(writeSvg(m, sink, testSettings(), GraphicsLockProbe::poll), ExportResult::written);
    EXPECT_GT(GraphicsLockProbe::records, 20);
    EXPECT_EQ(GraphicsLockProbe::underLock, 0);
    EXPECT_NE(sink.text.find("</svg>"), std::string::npos);
    EXPECT_EQ(graphicsLock.getDepth(), 0);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
    return n;
}

TEST(SvgWriter, TextsAreEscapedUtf8) {
    const std::string svg = svgOf(drawEveryRecord);
    EXPECT_TRUE(contains(svg, ">a&lt;b &amp; c (x) \\ \xC3\xA4</text>"));
    EXPECT_TRUE(contains(svg, ">up \xC3\xA4</text>"));  // marked UTF-8 kept, mark dropped
    EXPECT_TRUE(contains(svg, "text-anchor=\"middle\""));
    EXPECT_TRUE(contains(svg, "fill=\"rgb(26,26,26)\""));
    EXPECT_TRUE(contains(svg, "transform=\"rotate(270 "));
    EXPECT_EQ(svg.rfind("</svg>"), svg.size() - 6);

    // A converter from the code page is used for unmarked texts, and bytes
    // that are no XML characters never reach the file.
    WriterSettings s = testSettings();
    s.codePageToUtf8 = [](const char* text, std::string& out) { out += text, out += "\x01!"; };
    StringSink sink;
    ClipNumbering numbers;
    SvgWriter writer(sink, s, numbers);
    writer.text(0, 0, "x", 1, 0, 1, TextDirection::horizontal);
    writer.finish();
    EXPECT_TRUE(contains(sink.text, ">x?!</text>"));

    // Blanks are kept, and texts are clipped like every other record.
    StringSink spaced;
    ClipNumbering spacedNumbers;
    SvgWriter w(spaced, testSettings(), spacedNumbers);
    w.clip(0, 0, 512, 512);
    w.text(10, 10, "  x=1     y=2", 1, alignLeft, 1, TextDirection::up);
    w.finish();
    EXPECT_TRUE(contains(spaced.text, "xml:space=\"preserve\""));
    EXPECT_TRUE(contains(spaced.text, ">  x=1     y=2</text></g>\n"));
    const size_t text = spaced.text.find("<text");
    ASSERT_NE(text, std::string::npos);
    const size_t group = spaced.text.rfind("<g clip-path=\"url(#clip", text);
    ASSERT_NE(group, std::string::npos);
    EXPECT_EQ(spaced.text.find('<', group + 1), text);  // the group holds the text
}

TEST(SvgWriter, ClipPathsAreNumberedAcrossPicturesAndNotRepeated) {
    StringSink sink;
    ClipNumbering numbers;
    {
        SvgWriter first(sink, testSettings(), numbers);
        first.clip(1, 2, 3, 4);
        first.clip(1, 2, 3, 4);
        first.line(0, 0, 1, 1, 1, lineSolid, 1);
        first.finish();
    }
    EXPECT_EQ(countOf(sink.text, "<clipPath"), 2u);
    EXPECT_TRUE(contains(sink.text,
                         "<clipPath id=\"clip2\"><rect x=\"0.00\" y=\"0.00\" "
                         "width=\"600.00\" height=\"400.00\" /></clipPath>"));
    EXPECT_TRUE(contains(sink.text, "clip-path=\"url(#clip3)\"/>"));
    SvgWriter second(sink, testSettings(), numbers);
    second.finish();
    EXPECT_TRUE(contains(sink.text, "<clipPath id=\"clip4\">"));
}

TEST(SvgWriter, HatchPatternsAreDefinedOncePerColourAndStyle) {
    StringSink sink;
    ClipNumbering numbers;
    SvgWriter w(sink, testSettings(), numbers);
    w.bar(0, 0, 10, 10, 4, barRising);
    w.bar(20, 0, 30, 10, 4, barRising);
    w.bar(40, 0, 50, 10, 2, barRising);
    w.finish();
    EXPECT_EQ(countOf(sink.text, "<pattern id=\"hatch00\""), 1u);
    EXPECT_EQ(countOf(sink.text, "fill:url(#hatch00)"), 2u);
    EXPECT_EQ(countOf(sink.text, "<pattern id=\"hatch01\""), 1u);
}

TEST(SvgWriter, InvisibleLinesKeyedPixelsAndArrows) {
    StringSink sink;
    ClipNumbering numbers;
    SvgWriter w(sink, testSettings(), numbers);
    const std::string header = sink.text;
    w.line(0, 0, 100, 100, 1, lineInvisible, 1);
    const uint8_t pixels[6] = {1, 2, 3, 1, 2, 3};
    w.rgbBar(0, 0, 10, 10, 2, 1, 1, 2, 3, pixels);
    w.finish();
    EXPECT_EQ(countOf(sink.text, "<line"), 0u);
    EXPECT_EQ(countOf(sink.text, "<rect"), 1u);  // the clip path's only

    StringSink arrows;
    SvgWriter a(arrows, testSettings(), numbers);
    const Point p[3] = {{0, 0}, {100, 0}, {100, 100}};
    a.polyline(p, 3, 1, lineArrow, 1);
    a.finish();
    EXPECT_EQ(countOf(arrows.text, "<line"), 6u);  // two segments, two heads each
}

// The numbers after each `name="` in the text, in order.
std::vector<double> attributeValues(const std::string& text, const std::string& name) {
    std::vector<double> values;
    const std::string key = " " + name + "=\"";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1))
        values.push_back(std::atof(text.c_str() + at + key.size()));
    return values;
}

std::string fromBase64(const std::string& text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const size_t d = digits.find(c);
        if (d == std::string::npos) break;
        bits = bits << 6 | uint32_t(d);
        if ((count += 6) >= 8) bytes += char(bits >> (count -= 8) & 0xff);
    }
    return bytes;
}

TEST(SvgWriter, MarkersStaySquareInAWidePicture) {
    // 600 x 400: a marker is as tall as it is wide in pixels.
    const std::string circles = svgOf([](Surface& s) {
        s.marker(512, 512, 1, markerCircle, 20);
        s.marker(512, 512, 1, markerWhiteCircle, 20);
    });
    const std::vector<double> rx = attributeValues(circles, "rx"),
                              ry = attributeValues(circles, "ry");
    ASSERT_EQ(rx.size(), 3u);
    EXPECT_EQ(rx, ry);
    EXPECT_NEAR(rx[0], 1.25 * 600 / 20, 0.01);  // a thin pen here, as the pixel surface draws it

    for (int kind : {markerSquare, markerCross, markerPlus, markerDiamond}) {
        StringSink sink;
        ClipNumbering numbers;
        SvgWriter w(sink, testSettings(), numbers);
        w.marker(512, 512, 1, kind, 20);
        w.finish();
        const std::vector<double> x1 = attributeValues(sink.text, "x1"),
                                  x2 = attributeValues(sink.text, "x2"),
                                  y1 = attributeValues(sink.text, "y1"),
                                  y2 = attributeValues(sink.text, "y2");
        ASSERT_FALSE(x1.empty()) << kind;
        double width = 0, height = 0;
        for (size_t i = 0; i < x1.size(); i++) {
            width = std::max(width, std::fabs(x2[i] - x1[i]));
            height = std::max(height, std::fabs(y2[i] - y1[i]));
        }
        EXPECT_NEAR(width, height, 0.02) << "marker kind " << kind;
    }
}

TEST(SvgWriter, PixelBarsAreOneSharpImage) {
    // 100 x 50 cells over a third of the picture: one embedded PNG, each
    // cell a block of whole image pixels, keyed pixels see-through.
    std::vector<uint8_t> pixels(100 * 50 * 3);
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = uint8_t(i * 7);
    pixels[0] = 1, pixels[1] = 2, pixels[2] = 3;
    StringSink sink;
    ClipNumbering numbers;
    SvgWriter w(sink, testSettings(), numbers);
    w.rgbBar(0, 512, 512, 0, 100, 50, 1, 2, 3, pixels.data());
    w.finish();
    EXPECT_EQ(countOf(sink.text, "<image"), 1u);
    EXPECT_EQ(countOf(sink.text, "<rect"), 1u);  // the clip path's only
    EXPECT_LT(sink.text.size(), 60000u);
    const std::string mark = "base64,";
    const size_t at = sink.text.find(mark);
    ASSERT_NE(at, std::string::npos);
    const std::string png = fromBase64(sink.text.substr(at + mark.size()));
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto bigEndian = [&](size_t k) {
        return uint32_t(uint8_t(png[k])) << 24 | uint32_t(uint8_t(png[k + 1])) << 16 |
               uint32_t(uint8_t(png[k + 2])) << 8 | uint8_t(png[k + 3]);
    };
    EXPECT_EQ(bigEndian(16) % 100, 0u);  // image width: whole blocks per cell
    EXPECT_EQ(bigEndian(20) % 50, 0u);
    EXPECT_EQ(bigEndian(16) / 100, 3u);  // 300 pixels across 100 cells
    EXPECT_EQ(png.substr(37, 4), "tRNS");
    const std::string key = png.substr(41, 6);
    EXPECT_EQ(key, std::string("\0\1\0\2\0\3", 6));
}

TEST(SvgWriter, UnframedOutlinePolygonsDrawNothing) {
    const std::string svg = svgOf([](Surface& s) {
        const Point p[3] = {{0, 0}, {500, 0}, {250, 500}};
        s.fillPolygon(p, 3, barTransparent, 2, 0);
        s.fillPolygon(p, 3, barTransparent, 2, 1);
    });
    EXPECT_EQ(countOf(svg, "style=\"fill:none;stroke:none\""), 1u);
    EXPECT_EQ(countOf(svg, "style=\"fill:none;stroke:rgb"), 1u);
}

TEST(EpsWriter, JoinsLinesIntoOnePath) {
    StringSink sink;
    EpsWriter w(sink, testSettings());
    w.line(0, 0, 512, 512, 1, lineSolid, 1);
    w.line(512, 512, 1024, 0, 1, lineSolid, 1);
    w.line(1024, 0, 0, 0, 2, lineSolid, 1);   // a new colour: a new path
    w.line(0, 0, 10, 10, 2, lineSolid, 1.5);  // another width: a new path
    w.line(10, 10, 20, 20, 2, lineDashed, 0.5);
    w.finish();
    // Widths and dashes scale with the picture's width as on the pixel
    // surfaces (600 / 500 * 40 / 41 here), fractions kept.
    EXPECT_TRUE(contains(sink.text, "[ 0 400 300 200 600 400 ] 1 1.17073 l\n")) << sink.text;
    EXPECT_TRUE(contains(sink.text, "[ 600 400 0 400 ] 2 1.17073 l\n"));
    EXPECT_TRUE(contains(sink.text, "] 2 1.7561 l\n"));
    EXPECT_TRUE(contains(sink.text, "] 2 0.585366 [ 3.5122 7.02439 ] ld\n"));
    EXPECT_EQ(countOf(sink.text, "/l {"), 1u);
}

// An arrow is a solid line with a head of two strokes of the line's own
// width, each reaching a marker size back along and across the line (as on
// the pixel surfaces), whatever the width and direction.
TEST(EpsWriter, ArrowHeadsAreStrokesOfTheLineWidth) {
    struct Case {
        double x1, y1, x2, y2, width;
        const char* widthOperand;
    };
    // 600 x 400 points, marker size 1024 / 140 units: the head ends lie
    // 7.314 units back and across.
    const Case cases[] = {{0, 512, 1024, 512, 1, "1.17073"},
                          {512, 1024, 512, 0, 3, "3.5122"},
                          {100, 100, 900, 900, 6, "7.02439"}};
    for (const Case& c : cases) {
        StringSink sink;
        EpsWriter w(sink, testSettings());
        w.line(c.x1, c.y1, c.x2, c.y2, 1, lineArrow, c.width);
        w.finish();
        EXPECT_FALSE(contains(sink.text, " la\n")) << sink.text;
        // Every path is solid and of the line's width.
        EXPECT_EQ(countOf(sink.text, "] 1 " + std::string(c.widthOperand) + " l\n"),
                  countOf(sink.text, "[ ") - countOf(sink.text, "[ ]"))
            << sink.text;
        double ends[4];
        WriterSettings settings = testSettings();
        ASSERT_TRUE(arrowHeadEnds(settings, c.x1, c.y1, c.x2, c.y2, ends));
        const double along = 1024.0 / 140;
        for (int k = 0; k < 2; k++)
            EXPECT_NEAR(std::hypot(ends[2 * k] - c.x2, ends[2 * k + 1] - c.y2),
                        along * std::sqrt(2.0), 1e-9);
        char tipToEnd[96];
        std::snprintf(tipToEnd, sizeof tipToEnd, "%g %g %g %g", c.x2 * 600 / 1024,
                      (1024 - c.y2) * 400 / 1024, ends[0] * 600 / 1024,
                      (1024 - ends[1]) * 400 / 1024);
        EXPECT_TRUE(contains(sink.text, tipToEnd)) << tipToEnd << '\n' << sink.text;
    }
}

// Markers follow markersize: half a marker is the picture's width (600)
// over the size, as on the pixel surfaces.
TEST(EpsWriter, MarkersFollowTheMarkerSize) {
    for (auto [size, operand] : {std::pair{140.0, "4.28571"}, {50.0, "12"}, {600.0, "1"}}) {
        StringSink sink;
        EpsWriter w(sink, testSettings());
        w.marker(512, 512, 1, markerVerticalBar, size);
        w.marker(512, 512, 1, markerCircle, size);
        w.finish();
        EXPECT_TRUE(contains(sink.text, std::string("300 200 ") + operand + " 1 mvbr\n"))
            << size << '\n'
            << sink.text;
        EXPECT_TRUE(contains(sink.text, std::string("300 200 ") + operand + " 1 mcir\n")) << size;
    }
}

// A long line is cut into paths of bounded length, each starting where
// the previous one ended, so that no array overflows the operand stack.
TEST(EpsWriter, LongLinesAreCutIntoBoundedPaths) {
    for (int n : {10, 499, 500, 501, 1999, 100000}) {
        StringSink sink;
        EpsWriter w(sink, testSettings());
        for (int i = 0; i < n; i++)
            w.line(i * 1000.0 / n, 0, (i + 1) * 1000.0 / n, 0, 1, lineSolid, 1);
        w.finish();
        size_t points = 0, paths = 0;
        std::string previousEnd;
        for (size_t at = sink.text.find("[ "); at != std::string::npos;
             at = sink.text.find("[ ", at + 1)) {
            const size_t end = sink.text.find(" ] 1 1.17073 l\n", at);
            ASSERT_NE(end, std::string::npos);
            std::vector<std::string> numbers;
            std::string word;
            for (size_t k = at + 2; k <= end; k++) {
                if (k == end || sink.text[k] == ' ') {
                    if (!word.empty()) numbers.push_back(word);
                    word.clear();
                } else {
                    word += sink.text[k];
                }
            }
            ASSERT_EQ(numbers.size() % 2, 0u);
            EXPECT_LE(numbers.size(), 1000u) << n;
            if (paths > 0) {
                EXPECT_EQ(numbers[0] + ' ' + numbers[1], previousEnd) << n;
            }
            previousEnd = numbers[numbers.size() - 2] + ' ' + numbers.back();
            points += numbers.size() / 2;
            paths++;
        }
        EXPECT_EQ(points, size_t(n) + paths) << n;  // each path repeats one point
        EXPECT_EQ(paths, size_t(n + 498) / 499) << n;
    }
}

// Texts take the glyphs of code page 1252, also from marked UTF-8.
TEST(EpsWriter, CodePage1252Glyphs) {
    const struct {
        const char* text;
        const char* glyphs;
    } cases[] = {
        {"\x80\x85\x96\x97\x95\x99\x9c\x89\x93\x94",
         "8#200 /Euro\n8#205 /ellipsis\n8#226 /endash\n8#227 /emdash\n8#225 /bullet\n"
         "8#231 /trademark\n8#234 /oe\n8#211 /perthousand\n8#223 /quotedblleft\n"
         "8#224 /quotedblright\n"},
        {"\xEF\xBB\xBF\xE2\x82\xAC \xE2\x80\x94 \xC3\xA4",
         "8#200 /Euro\n8#227 /emdash\n8#344 /adieresis\n"},
        // Beyond code page 1252: the glyph names on the codes 1, 2, ...,
        // one code per glyph however often it comes.
        {"\xEF\xBB\xBF\xCE\xB1 \xCE\xA9\xE2\x89\xA4\xCE\xB1 \xE2\x88\x9E\xC3\xA4",
         "8#1 /alpha\n8#2 /uni03A9\n8#3 /lessequal\n8#1 /alpha\n8#4 /infinity\n"
         "8#344 /adieresis\n"},
    };
    for (auto& c : cases) {
        StringSink sink;
        EpsWriter w(sink, testSettings());
        w.text(10, 10, c.text, 1, alignLeft, 1, TextDirection::horizontal);
        w.finish();
        EXPECT_TRUE(contains(sink.text, std::string("gsave /scan-vec [\n") + c.glyphs + "] def"))
            << sink.text;
    }
}

// An unmarked text is in the code page: converted to UTF-8 (in code page
// 65001 it is UTF-8 already), it takes the glyphs of code page 1252 on
// their codes and the others (Greek, Cyrillic, signs) by their names on
// the codes the text leaves free.
TEST(EpsWriter, UnmarkedTextsTakeTheirGlyphsThroughTheCodePage) {
    const TextConversion utf8 = [](const char* text, std::string& out) { out = text; };
    const struct {
        TextConversion convert;
        const char* text;
        const char* glyphs;
        const char* string;
    } cases[] = {
        {utf8, "Gr\xC3\xBC\303\237e \xE2\x82\xAC",
         "8#374 /udieresis\n8#337 /germandbls\n8#200 /Euro\n", "(Gr\xFC\337e \x80)"},
        {utf8, "\xCE\xB1\xCE\xB2 \xCE\x94 \xCE\xA9 \xCF\x80 \xE2\x89\xA4",
         "8#1 /alpha\n8#2 /beta\n8#3 /uni0394\n8#4 /uni03A9\n8#5 /pi\n8#6 /lessequal\n",
         "(\\001\\002 \\003 \\004 \\005 \\006)"},
        {utf8, "\xD0\x96\xD0\xB6 \xC5\x81\303\263d\xC5\xBA",
         "8#1 /afii10024\n8#2 /afii10072\n8#3 /Lslash\n8#363 /oacute\n8#4 /zacute\n",
         "(\\001\\002 \\003\363d\\004)"},
        // What no font has is asked for by its name and shows as "?"; bytes
        // that are no UTF-8 and control characters are "?" at once.
        {utf8, "\xE6\xBC\xA2 \xF0\x9F\x98\x80 \xFF\x01", "8#1 /uni6F22\n8#2 /u1F600\n",
         "(\\001 \\002 ?\?)"},
        {codePage1252ToUtf8, "Gr\xFC\337e \x80",
         "8#374 /udieresis\n8#337 /germandbls\n8#200 /Euro\n", "(Gr\xFC\337e \x80)"},
    };
    for (const auto& c : cases) {
        WriterSettings settings = testSettings();
        settings.codePageToUtf8 = c.convert;
        StringSink sink;
        EpsWriter w(sink, settings);
        w.text(10, 10, c.text, 1, alignLeft, 1, TextDirection::horizontal);
        w.finish();
        EXPECT_TRUE(contains(sink.text, std::string("gsave /scan-vec [\n") + c.glyphs + "] def"))
            << c.text << "\n"
            << sink.text;
        EXPECT_TRUE(contains(sink.text, std::string(c.string) + " 1 Lstr\n")) << sink.text;
        // A glyph the font lacks is drawn as "?".
        EXPECT_TRUE(contains(sink.text, "{ pop /question } if")) << c.text;
    }
    // More glyphs than the free codes below 32: the unused codes from 127
    // on serve, then "?".
    std::string many;
    char buffer[4];
    for (int code = 0x410; code < 0x410 + 200; code++)
        many.append(buffer, appendUtf8(code, buffer));
    WriterSettings settings = testSettings();
    settings.codePageToUtf8 = utf8;
    StringSink sink;
    EpsWriter w(sink, settings);
    w.text(10, 10, many.c_str(), 1, alignLeft, 1, TextDirection::horizontal);
    w.finish();
    EXPECT_EQ(countOf(sink.text, "\n8#"), 31u + 129u);
    EXPECT_TRUE(contains(sink.text, "\n8#177 /afii10") && contains(sink.text, "\n8#377 /"));
    const size_t end = sink.text.find(") 1 Lstr\n");
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(sink.text.compare(end - 40, 41, std::string(40, '?') + ")"), 0);
    EXPECT_NE(sink.text[end - 41], '?');
}

// The EPS uses the family and weight of the picture's font.
TEST(EpsWriter, FontFollowsTheGraphicsFont) {
    const struct {
        const char* name;
        bool bold;
        const char* font;
    } cases[] = {{"Arial", false, "Helvetica"},
                 {"Arial", true, "Helvetica-Bold"},
                 {"DejaVu Sans", false, "Helvetica"},
                 {"Courier New", false, "Courier"},
                 {"DejaVu Sans Mono", true, "Courier-Bold"},
                 {"Times New Roman", false, "Times-Roman"},
                 {"Liberation Serif", true, "Times-Bold"}};
    for (const auto& c : cases) {
        WriterSettings settings = testSettings();
        settings.fontName = c.name;
        settings.boldFont = c.bold;
        StringSink sink;
        EpsWriter w(sink, settings);
        w.text(10, 10, "a\xe4", 1, alignLeft, 1, TextDirection::horizontal);
        w.finish();
        EXPECT_TRUE(contains(sink.text, std::string("/") + c.font + " findfont ")) << c.name;
        EXPECT_TRUE(contains(sink.text, std::string("/") + c.font + " /Kalix-Text scan-vec"))
            << c.name;
    }
}

TEST(EpsWriter, ColoursClipsAndTexts) {
    const std::string eps = epsOf(drawEveryRecord);
    // RGB codes are written as their colour, not as palette colour 0.
    EXPECT_TRUE(contains(eps, "16777216 ge"));
    EXPECT_TRUE(contains(eps, std::to_string(0x1FF8000) + " bar1\n"));
    EXPECT_TRUE(
        contains(eps, "(a<b & c \\(x\\) \\\\ \xe4) " + std::to_string(0x11A1A1A) + " Cstr\n"));
    EXPECT_TRUE(contains(eps, "gsave /scan-vec [\n8#344 /adieresis\n"));
    EXPECT_EQ(countOf(eps, "/ReEncodeSmall"), 1u);
    EXPECT_TRUE(contains(eps, "(up \xe4) 1 Rstr\n"));  // marked UTF-8 back to one byte
    EXPECT_TRUE(contains(eps, "%%BoundingBox: 0 0 600 400\n"));
    EXPECT_EQ(countOf(eps, " rectfill\n"), 3u);  // the pixel equal to the key is left out
    EXPECT_TRUE(contains(eps, "fpoly"));

    StringSink sink;
    EpsWriter w(sink, testSettings());
    w.clip(0, 0, 512, 512);
    w.clip(512, 512, 1024, 1024);
    w.marker(1, 1, 1, markerWhiteCircle, 140);
    const uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    w.rgbBar(0, 0, 10, 10, 2, 1, -1, 0, 0, pixels);
    w.finish();
    EXPECT_TRUE(contains(sink.text, "colorimage\n010203040506\n"));
    EXPECT_EQ(countOf(sink.text, " setclip\n"), 2u);
    EXPECT_TRUE(contains(sink.text, "mcirf\n"));
    EXPECT_TRUE(contains(sink.text, "grestore\nstroke grestore showpage\n"));
}

}  // namespace

namespace {

bool toolInstalled(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Every record type, written to files that Ghostscript renders and
// xmllint parses without complaint.
TEST(Writers, OutsideToolsAcceptTheFiles) {
    if (!toolInstalled("gs") || !toolInstalled("xmllint")) GTEST_SKIP() << "gs or xmllint missing";
    const std::string dir = ::testing::TempDir();
    // Named for this process: another run of the tests may write beside it.
    const std::string stem = dir + "/kalix_writers" + std::to_string(getpid());
    const std::string eps = stem + ".eps", svg = stem + ".svg";
    FILE* f = std::fopen(eps.c_str(), "w");
    ASSERT_TRUE(f);
    std::fputs(epsOf(drawEveryRecord).c_str(), f);
    std::fclose(f);
    f = std::fopen(svg.c_str(), "w");
    ASSERT_TRUE(f);
    std::fputs(svgOf(drawEveryRecord).c_str(), f);
    std::fclose(f);
    const std::string gs =
        "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=nullpage " + eps + " >" + stem + ".log 2>&1";
    EXPECT_EQ(std::system(gs.c_str()), 0) << "see " << stem << ".log";
    EXPECT_EQ(std::system(("xmllint --noout " + svg).c_str()), 0);
    for (const std::string& made : {eps, svg, stem + ".log"}) std::remove(made.c_str());
}

}  // namespace

namespace {

// The writers' number printing agrees with printf's "%0.2f", "%0.4f" and
// "%g" on values of every size, ties and signs included.
TEST(WriterOutput, NumbersMatchPrintf) {
    std::vector<double> values = {
        0,        -0.0,         0.125,    0.375,         -0.005,   1.005,    2.675,
        999999.5, 99999.95,     0.0001,   0.00012345678, 123456.5, 1e-5,     1e300,
        -1e300,   511.99999999, 1023.995, NAN,           INFINITY, -INFINITY};
    uint64_t state = 12345;
    for (int i = 0; i < 200000; i++) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double unit = double(state >> 11) / double(1ULL << 53);
        const int decade = int(state % 17) - 6;
        values.push_back((unit - 0.3) * std::pow(10.0, decade));
        values.push_back(std::round(unit * 100000) / 1000 + 0.005);  // near ties
    }
    for (double v : values) {
        StringSink sink;
        {
            WriterOutput out(sink);
            out.fixed(v);
            out << '|';
            out.fixed(v, 4);
            out << '|';
            out.general(v);
        }
        char expected[1200];
        std::snprintf(expected, sizeof expected, "%0.2f|%0.4f|%g", v, v, v);
        ASSERT_EQ(sink.text, expected) << v;
    }
}

}  // namespace

namespace {

// Compressed SVG: one gzip stream, compressed in bands and batches, that
// gzip unpacks to exactly the bytes written, for every size from nothing
// to several batches, whatever the pieces the writer hands over.
TEST(GzipSink, GzipUnpacksEveryBandAndBatchToTheBytesWritten) {
    if (std::system("command -v gzip >/dev/null 2>&1") != 0) GTEST_SKIP() << "gzip missing";
    const std::string dir = ::testing::TempDir();
    // Named for this process: another run of the tests may write beside it.
    const std::string stem = dir + "/kalix_gzip" + std::to_string(getpid());
    const std::string packed = stem + ".svgz", unpacked = stem + ".svg";
    // Text like a picture's, with bytes of every value mixed in.
    std::string text;
    uint64_t state = 7;
    while (text.size() < 11000000) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        text += "<line x1=\"" + std::to_string(state >> 50) + ".25\" y1=\"" +
                std::to_string((state >> 40) & 1023) + "\"/>\n";
        if ((state >> 20) % 16 == 0) text += char(state >> 56);
    }
    for (size_t size :
         {size_t(0), size_t(1), size_t(1000), size_t(600000), size_t(4194304), size_t(11000000)}) {
        for (size_t piece : {size_t(7777), size_t(1) << 20}) {
            FILE* file = std::fopen(packed.c_str(), "wb");
            ASSERT_TRUE(file);
            bool ok = true;
            {
                FileSink fileSink(file);
                GzipSink sink(fileSink);
                for (size_t at = 0; at < size; at += piece)
                    ok = sink.write(text.data() + at, std::min(piece, size - at)) && ok;
                ok = sink.finish() && ok;
            }
            ASSERT_EQ(std::fclose(file), 0);
            EXPECT_TRUE(ok) << size;
            ASSERT_EQ(std::system(("gzip -dc <" + packed + " >" + unpacked).c_str()), 0) << size;
            FILE* in = std::fopen(unpacked.c_str(), "rb");
            ASSERT_TRUE(in);
            std::string back(size + 1, '\0');
            back.resize(std::fread(back.data(), 1, back.size(), in));
            std::fclose(in);
            EXPECT_TRUE(back == text.substr(0, size)) << size << " in pieces of " << piece;
        }
    }
    std::remove(packed.c_str());
    std::remove(unpacked.c_str());
}

}  // namespace

}  // namespace kalix
