// The EPS writer.
#include "graphics/eps_writer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "graphics/postscript_glyphs.h"

namespace kalix {

namespace {

// The procedures, each written once before its first use. Their internal
// names carry a prefix of their own so that no procedure overwrites the
// variables of another.
enum Procedure {
    procUnused = 0,
    procSetclip = 1,
    procLine = 2,
    procDashedLine = 3,
    procCross = 6,
    procCircle = 7,
    procDiamond = 8,
    procDot = 9,
    procPlus = 10,
    procSquare = 11,
    procStar = 12,
    procBar = 13,
    procFramedBar = 14,
    procBar1 = 15,
    procFramedBar1 = 16,
    procOutlinedBar = 17,
    procRisingBar = 18,
    procFallingBar = 19,
    procCrossedBar = 20,
    procFacet = 21,
    procHuePolygon = 22,
    procFramedHuePolygon = 23,
    procReencode = 24,
    procLeftText = 25,
    procRightText = 26,
    procCenteredText = 27,
    procFilledCircle = 28,
    procFilledDiamond = 29,
    procFilledSquare = 30,
    procVerticalStroke = 31,
    procHorizontalStroke = 32,
    procVerticalBar = 33,
    procHorizontalBar = 34,
    procGridBar = 35,
    procPolygon = 36,
    procHelpers = 37,  // page size, rectangle and polygon paths, hatch lines
    procBlank = 38,
    procedureCount = 39,
};

struct ProcedureText {
    const char* text;
    int needs;  // a procedure written first, or -1
};

// Procedures that draw through the rectangle or polygon paths.
bool usesHelpers(int procedure) {
    return procedure == procBar || procedure == procBar1 || procedure == procFramedBar1 ||
           procedure == procFramedBar || procedure == procHuePolygon ||
           procedure == procFramedHuePolygon;
}

const ProcedureText procedures[procedureCount] = {
    {nullptr, -1},
    {"/setclip {\n\tgsave /cy2 exch def /cx2 exch def /cy1 exch def /cx1 exch def\n"
     "\tnewpath cx1 cy1 moveto cx2 cy1 lineto cx2 cy2 lineto cx1 cy2 lineto closepath clip "
     "newpath\n} def",
     -1},
    {"/l {\n\tsetlinewidth sc /lpts exch def\n"
     "\tnewpath lpts 0 get lpts 1 get moveto\n"
     "\t2 2 lpts length 1 sub { /lk exch def lpts lk get lpts lk 1 add get lineto } for stroke\n"
     "} def\n",
     -1},
    {"/ld {\n\t0 setdash setlinewidth sc /lpts exch def\n"
     "\tnewpath lpts 0 get lpts 1 get moveto\n"
     "\t2 2 lpts length 1 sub { /lk exch def lpts lk get lpts lk 1 add get lineto } for stroke\n"
     "\t[] 0 setdash\n} def\n",
     -1},
    {nullptr, -1},
    {nullptr, -1},
    {"/mcrs {\n\tsc /ms exch def /my exch def /mx exch def hw setlinewidth\n"
     "\tnewpath mx ms sub my ms sub moveto mx ms add my ms add lineto\n"
     "\tmx ms sub my ms add moveto mx ms add my ms sub lineto stroke\n} def\n",
     -1},
    {"/mcir {\n\tsc /ms exch def /my exch def /mx exch def hw setlinewidth\n"
     "\tnewpath mx ms add my moveto mx my ms 0 360 arc stroke\n} def\n",
     -1},
    {"/mdiapath { newpath mx ms add my moveto mx my ms add lineto mx ms sub my lineto mx my ms "
     "sub lineto closepath } def\n"
     "/mdia {\n\tsc /ms exch def /my exch def /mx exch def hw setlinewidth mdiapath stroke\n} "
     "def\n",
     -1},
    {"/mdot {\n\tsc /my exch def /mx exch def hw setlinewidth\n"
     "\tnewpath mx my moveto mx 1 add my lineto stroke\n} def\n",
     -1},
    {"/mpls {\n\tsc /ms exch def /my exch def /mx exch def hw setlinewidth\n"
     "\tnewpath mx ms sub my moveto mx ms add my lineto mx my ms sub moveto mx my ms add lineto "
     "stroke\n} def\n",
     -1},
    {"/msqrpath { newpath mx ms sub my ms sub moveto mx ms add my ms sub lineto mx ms add my ms "
     "add lineto mx ms sub my ms add lineto closepath } def\n"
     "/msqr {\n\tsc /ms exch def /my exch def /mx exch def hw setlinewidth msqrpath stroke\n} "
     "def\n",
     -1},
    {"/mstr {\n\t/mc exch def /ms exch def /my exch def /mx exch def\n"
     "\tmx my ms mc mcrs mx my ms mc mpls\n} def\n",
     procCross},
    {"/bar {\n\t/bc exch def /bh exch def /bw exch def /by exch def /bx exch def\n"
     "\tbc sc rectpath fill\n} def\n",
     -1},
    {"/fbar {\n\tbar 1 sc hw setlinewidth rectpath stroke\n} def\n", procBar},
    {"/bar1 {\n\t/bc exch def /bh exch def /bw exch def /by exch def /bx exch def\n"
     "\tbc sc rectpath fill\n} def\n",
     -1},
    {"/fbar1 {\n\tbar1 1 sc hw setlinewidth rectpath stroke\n} def\n", procBar1},
    {"/fbar2 {\n\t/bc exch def /bh exch def /bw exch def /by exch def /bx exch def\n"
     "\tbc sc hw setlinewidth rectpath stroke\n} def\n",
     procHelpers},
    {"/fb1d1 { { hrise } hbar } def\n", procHelpers},
    {"/fb1d2 { { hfall } hbar } def\n", procHelpers},
    {"/fb1c { { hrise hfall } hbar } def\n", procHelpers},
    // Edges in the edge colour, as the screen draws them.
    {"/pf {\n\t/fe exch def sc /fpts exch def /fn fpts length 3 idiv def\n"
     "\tnewpath fpts 0 get fpts 1 get moveto\n"
     "\t1 1 fn 1 sub { /fk exch def fpts fk 3 mul get fpts fk 3 mul 1 add get lineto } for\n"
     "\tclosepath fill fe sc hw setlinewidth\n"
     "\t0 1 fn 1 sub { /fk exch def fpts fk 3 mul 2 add get 1 eq {\n"
     "\t\tnewpath fpts fk 3 mul get fpts fk 3 mul 1 add get moveto\n"
     "\t\tfpts fk 1 add fn mod 3 mul get fpts fk 1 add fn mod 3 mul 1 add get lineto stroke\n"
     "\t} if } for\n} def\n",
     -1},
    {"/fillh {\n\tsc /ppts exch def 0.5 setlinewidth ppath gsave fill grestore stroke\n} def\n",
     -1},
    {"/ffillh {\n\tfillh 1 sc ppath stroke\n} def\n", procHuePolygon},
    {"/reencsmalldict 12 dict def\n"
     "/ReEncodeSmall {\n\treencsmalldict begin\n"
     "\t/newcodesandnames exch def /newfontname exch def /basefontname exch def\n"
     "\t/basefontdict basefontname findfont def\n"
     "\t/newfont basefontdict maxlength dict def\n"
     "\tbasefontdict { exch dup /FID ne {\n"
     "\t\tdup /Encoding eq { exch dup length array copy newfont 3 1 roll put }\n"
     "\t\t{ exch newfont 3 1 roll put } ifelse\n"
     "\t} { pop pop } ifelse } forall\n"
     "\tnewfont /FontName newfontname put\n"
     "\tnewcodesandnames aload pop\n"
     // A glyph the font lacks shows as "?".
     "\tnewcodesandnames length 2 idiv {\n"
     "\t\tnewfont /CharStrings known { dup newfont /CharStrings get exch known not "
     "{ pop /question } if } if\n"
     "\t\tnewfont /Encoding get 3 1 roll put\n\t} repeat\n"
     "\tnewfontname newfont definefont pop\n\tend\n} def\n",
     -1},
    {"/Lstr {\n\tsc /ts exch def /ta exch def /ty exch def /tx exch def\n"
     "\tgsave tx ty translate ta rotate 0 fontsize neg moveto ts show grestore\n} def\n",
     -1},
    {"/Rstr {\n\tsc /ts exch def /ta exch def /ty exch def /tx exch def\n"
     "\tgsave tx ty translate ta rotate ts stringwidth pop neg fontsize neg moveto ts show "
     "grestore\n} def\n",
     -1},
    {"/Cstr {\n\tsc /ts exch def /ta exch def /ty exch def /tx exch def\n"
     "\tgsave tx ty translate ta rotate ts stringwidth pop 2 div neg fontsize neg moveto ts show "
     "grestore\n} def\n",
     -1},
    {"/mcirf {\n\tsc /ms exch def /my exch def /mx exch def\n"
     "\tnewpath mx ms add my moveto mx my ms 0 360 arc fill\n} def\n",
     -1},
    {"/mdiaf {\n\tsc /ms exch def /my exch def /mx exch def mdiapath fill\n} def\n", procDiamond},
    {"/msqrf {\n\tsc /ms exch def /my exch def /mx exch def msqrpath fill\n} def\n", procSquare},
    {"/mvbr {\n\tsc /ms exch def /my exch def /mx exch def hw setlinewidth\n"
     "\tnewpath mx my ms sub moveto mx my ms add lineto stroke\n} def\n",
     -1},
    {"/mhbr {\n\tsc /ms exch def /my exch def /mx exch def hw setlinewidth\n"
     "\tnewpath mx ms sub my moveto mx ms add my lineto stroke\n} def\n",
     -1},
    {"/fb1v { { hvert } hbar } def\n", procHelpers},
    {"/fb1h { { hhorz } hbar } def\n", procHelpers},
    {"/fb1g { { hvert hhorz } hbar } def\n", procHelpers},
    {"/fpoly {\n\tsc /ppts exch def ppath fill\n} def\n"
     // Edged in its own colour, so that pieces sharing an edge leave no seam.
     "/spoly {\n\tsc /ppts exch def ppath gsave fill grestore hw setlinewidth stroke\n} def\n"
     "/opoly {\n\tsc /ppts exch def hw setlinewidth ppath stroke\n} def\n"
     "/hpoly {\n\t/php exch def sc /ppts exch def gsave ppath clip hw setlinewidth php grestore\n"
     "} def\n",
     procHelpers},
    {"/rectpath { newpath bx by moveto bw 0 rlineto 0 bh neg rlineto bw neg 0 rlineto closepath "
     "} def\n"
     "/ppath {\n\tnewpath ppts 0 get ppts 1 get moveto\n"
     "\t2 2 ppts length 1 sub { /pk exch def ppts pk get ppts pk 1 add get lineto } for "
     "closepath\n} def\n"
     // Hatch cells are laid from the page's top left, as on the screen:
     // diagonals through the cells' corners, the others through their middles.
     "/hrise { 0 1 pagew pageh add hd div cvi 1 add { /hi exch def newpath 0 pageh hi hd mul sub "
     "moveto pagew pagew rlineto stroke } for } def\n"
     "/hfall { pageh hd div cvi 1 add neg 1 pagew hd div cvi 1 add { /hi exch def newpath 0 pageh "
     "hi hd mul add moveto pagew pagew neg rlineto stroke } for } def\n"
     "/hvert { 0 1 pagew hd div cvi { /hi exch def newpath hi 0.5 add hd mul 0 moveto 0 pageh "
     "rlineto stroke } for } def\n"
     "/hhorz { 0 1 pageh hd div cvi { /hi exch def newpath 0 pageh hi 0.5 add hd mul sub moveto "
     "pagew 0 rlineto stroke } for } def\n"
     "/hbar {\n\t/bhp exch def /bc exch def /bh exch def /bw exch def /by exch def /bx exch def\n"
     "\tgsave rectpath clip bc sc hw setlinewidth bhp grestore\n"
     "\tbc sc hw setlinewidth rectpath stroke\n} def\n",
     -1},
    {"/bblank {\n\t/bh exch def /bw exch def /by exch def /bx exch def 0 sc rectpath fill\n} def\n",
     procHelpers},
};

// The PostScript font of the picture's font: its family (Courier for fixed
// pitch names, Times for serif ones, else Helvetica) and weight.
std::string postScriptFontOf(const WriterSettings& settings) {
    std::string name;
    for (char c : settings.fontName) name += char(std::tolower(static_cast<unsigned char>(c)));
    auto has = [&](const char* part) { return name.find(part) != std::string::npos; };
    const bool fixed = has("courier") || has("mono") || has("consol") || has("fixed");
    const bool serif = !fixed && (has("times") || has("roman") || has("georgia") ||
                                  (has("serif") && !has("sans")));
    if (fixed) return settings.boldFont ? "Courier-Bold" : "Courier";
    if (serif) return settings.boldFont ? "Times-Bold" : "Times-Roman";
    return settings.boldFont ? "Helvetica-Bold" : "Helvetica";
}

// The bytes of the EPS string for a text of the program, and the glyph
// name of each code they use beyond ASCII. The text is read as UTF-8
// (marked, or converted from the code page); what code page 1252 holds
// keeps its code, each other glyph takes a code the text leaves free (1 to
// 31, 127, then the unused ones of 128 to 255); ill-formed bytes, control
// characters and glyphs past the free codes become "?". Without a
// conversion an unmarked text is in code page 1252 already.
void epsTextBytes(const char* text, TextConversion codePageToUtf8, std::string& out,
                  std::array<std::string, 256>& glyphs) {
    const size_t markLength = sizeof utf8Mark - 1;
    std::string utf8;
    if (std::strncmp(text, utf8Mark, markLength) == 0) {
        utf8 = text + markLength;
    } else if (codePageToUtf8) {
        codePageToUtf8(text, utf8);
    } else {
        out = text;
        for (unsigned char b : out)
            if (b >= 128) glyphs[b] = codePage1252GlyphName(b);
        return;
    }
    // Bytes, and the other glyphs as -1, -2, ... in the order of `names`.
    std::vector<int> items;
    std::vector<std::string> names;
    bool used[256] = {};
    for (const char* p = utf8.c_str(); *p;) {
        const int length = utf8SequenceLength(p);
        if (length == 0) {
            items.push_back('?');
            p++;
            continue;
        }
        int code;
        p = decodeUtf8Char(p, &code);
        const int byte = codePage1252Byte(code);
        if (byte >= 32 && byte != 127) {
            items.push_back(byte);
            used[byte] = true;
        } else if (byte >= 0) {
            items.push_back('?');
        } else {
            const std::string name = glyphNameOf(code);
            const size_t k = size_t(std::find(names.begin(), names.end(), name) - names.begin());
            if (k == names.size()) names.push_back(name);
            items.push_back(-int(k) - 1);
        }
    }
    std::vector<int> codeOf;
    for (int code = 1; code < 256 && codeOf.size() < names.size(); code++)
        if ((code < 32 || code >= 127) && !used[code]) codeOf.push_back(code);
    for (int item : items) {
        const size_t k = size_t(-item - 1);
        const int byte = item >= 0 ? item : k < codeOf.size() ? codeOf[k] : '?';
        if (byte >= 128) glyphs[byte] = codePage1252GlyphName(static_cast<unsigned char>(byte));
        if (item < 0 && k < codeOf.size()) glyphs[byte] = names[k];
        out += char(byte);
    }
}

}  // namespace

EpsWriter::EpsWriter(OutputSink& sink, const WriterSettings& settings)
    : out(sink), settings(settings) {
    writeHeader();
}

void EpsWriter::writeHeader() {
    out << "%!PS-Adobe-2.0 EPSF-2.0\n";
    out << "%%BoundingBox: 0 0 " << settings.width << ' ' << settings.height << '\n';
    out << "%%CreationDate: " << settings.creationDate << '\n';
    out << "%%Creator: Kalix\n";
    out << "%%EndComments\n";
    out << "/colors [\n";
    for (int i = 0; i < paletteSize; i++) {
        const Rgb c = resolveColorGrey(i, settings.useColors);
        out.general(c.red / 255.0);
        out << ' ';
        out.general(c.green / 255.0);
        out << ' ';
        out.general(c.blue / 255.0);
        out << '\n';
    }
    out << "] def\n";
    // sc takes a palette index or an RGB code 0x1RRGGBB.
    out << "/rgbof {\n\t/rgbi exch def\n"
           "\trgbi 16777216 ge { rgbi 65536 idiv 256 mod 255 div rgbi 256 idiv 256 mod 255 div "
           "rgbi 256 mod 255 div }\n"
           "\t{ /rgbi rgbi 0 lt rgbi 15 gt or { 1 } { rgbi } ifelse 3 mul def\n"
           "\tcolors rgbi get colors rgbi 1 add get colors rgbi 2 add get } ifelse\n} def\n";
    out << "/sc {\n\trgbof setrgbcolor\n} def\n\n";
    // hw: the width of frames, edges, markers and hatches; hd: the distance
    // of hatch lines; both scale with the picture as on the pixel surfaces.
    const double scale = scaleLineWidth(settings, settings.width, 1);
    out << "/hw ";
    number(scale);
    out << " def /hd " << hatchSpacing(settings) << " def\n";
    out << "%%Beginning of the flag page\n";
    // Round ends and joins, as the pixel surfaces draw lines.
    out << "gsave newpath 1 setlinecap 1 setlinejoin\n";
    out << '/' << postScriptFontOf(settings) << " findfont "
        << std::max(1, settings.height / settings.graphicsLines) << " scalefont setfont\n";
    out << "gsave\n\tnewpath 0 0 moveto (lq) true charpath pathbbox\n"
           "\t/y2 exch def pop /y1 exch def pop\n\t/fontsize y2 y1 sub def\ngrestore\n";
    pending = (uint64_t(1) << procedureCount) - 1;
    pending &= ~(uint64_t(1) << 4 | uint64_t(1) << procUnused);
}

bool EpsWriter::finish() {
    flushPath();
    if (clipActive) out << "grestore\n";
    out << "stroke grestore showpage\n";
    out.flush();
    return !out.failed();
}

void EpsWriter::use(int procedure) {
    const uint64_t bit = uint64_t(1) << procedure;
    if (!(pending & bit)) return;
    pending &= ~bit;
    if (procedures[procedure].needs >= 0) use(procedures[procedure].needs);
    if (usesHelpers(procedure)) use(procHelpers);
    if (procedure == procHelpers)
        out << "/pagew " << settings.width << " def /pageh " << settings.height << " def\n";
    out << procedures[procedure].text << '\n';
}

int EpsWriter::colourOperand(ColorCode code) const {
    if (code >= 0 && code < paletteSize) return code;
    if (!isRgbCode(code)) return 1;
    return rgbOperand(resolveColorGrey(code, settings.useColors));
}

int EpsWriter::rgbOperand(Rgb c) { return makeRgbCode(c.red, c.green, c.blue); }

void EpsWriter::number(double v) { out.general(v); }

void EpsWriter::point(double x, double y) {
    number(toX(x));
    out << ' ';
    number(toY(y));
    out << ' ';
}

// --- paths ---------------------------------------------------------------------

void EpsWriter::flushPath() {
    if (!pathOpen) return;
    // Widths and dashes scale with the picture as on the pixel surfaces.
    const double scale = scaleLineWidth(settings, settings.width, 1);
    out << "] " << pathColour << ' ';
    number(pathWidth * scale);
    switch (pathStyle) {
        case lineSolid:
            out << " l\n";
            break;
        case lineDotted:
        case lineDashed:
        case lineDashDot:
        case lineDashDotDash:
        case lineDotDashDot: {
            const DashPattern* d = dashPatternOf(pathStyle);
            out << " [";
            for (int i = 0; i < d->count; i++) {
                out << ' ';
                number(d->lengths[i] * scale / 2);
            }
            out << " ] ld\n";
            break;
        }
    }
    pathOpen = false;
    lastX = lastY = -1;
    out.flushIfLarge();
}

bool EpsWriter::line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
                     double width) {
    colour = drawingColour(colour);
    if (lineStyle == lineArrow) {
        // Solid, with a head of two strokes of the same width.
        line(x1, y1, x2, y2, colour, lineSolid, width);
        double ends[4];
        if (arrowHeadEnds(settings, x1, y1, x2, y2, ends)) {
            line(x2, y2, ends[0], ends[1], colour, lineSolid, width);
            line(x2, y2, ends[2], ends[3], colour, lineSolid, width);
        }
        return true;
    }
    const int c = colourOperand(colour);
    if (pathOpen && x1 == lastX && y1 == lastY && c == pathColour && lineStyle == pathStyle &&
        width == pathWidth && pathPoints < maxPathPoints) {
        point(x2, y2);
        lastX = x2;
        lastY = y2;
        pathPoints++;
        return true;
    }
    flushPath();
    if (lineStyle < lineSolid || lineStyle >= lineArrow) return true;
    use(lineStyle == lineSolid ? procLine : procDashedLine);
    out << "[ ";
    point(x1, y1);
    point(x2, y2);
    pathOpen = true;
    pathPoints = 2;
    pathColour = c;
    pathStyle = lineStyle;
    pathWidth = std::isfinite(width) && std::fabs(width) < 1e9 ? width : 1;
    lastX = x2;
    lastY = y2;
    return true;
}

bool EpsWriter::polyline(const Point* points, int n, ColorCode colour, int lineStyle,
                         double width) {
    for (int i = 0; i + 1 < n; i++)
        line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, colour, lineStyle, width);
    return true;
}

bool EpsWriter::clear() {
    flushPath();
    return true;
}

// Every clip record applies: the previous clip is ended, the new one set.
bool EpsWriter::clip(double x1, double y1, double x2, double y2) {
    flushPath();
    if (clipActive) out << "grestore\n";
    use(procSetclip);
    point(x1, y1);
    point(x2, y2);
    out << "setclip\n";
    clipActive = true;
    return true;
}

// --- markers -------------------------------------------------------------------

void EpsWriter::markerCall(double x, double y, double ms, int colour, const char* name) {
    point(x, y);
    number(ms);
    out << ' ' << colour << ' ' << name << '\n';
}

bool EpsWriter::marker(double x, double y, ColorCode colour, int markerType, double size) {
    colour = drawingColour(colour);
    flushPath();
    // Half a marker is the picture's width over `size`, as on the pixel
    // surfaces.
    const double ms = size > 0 ? settings.width / size : 0, unit = settings.height / 1024.0;
    const int c = colourOperand(colour);
    switch (markerType) {
        case markerCross:
            use(procCross), markerCall(x, y, ms, c, "mcrs");
            break;
        case markerCircle:
            use(procCircle), markerCall(x, y, ms, c, "mcir");
            break;
        case markerDiamond:
            use(procDiamond), markerCall(x, y, ms, c, "mdia");
            break;
        case markerDot:
            use(procDot);
            point(x, y);
            out << c << " mdot\n";
            break;
        case markerPlus:
            use(procPlus), markerCall(x, y, ms, c, "mpls");
            break;
        case markerSquare:
            use(procSquare), markerCall(x, y, ms, c, "msqr");
            break;
        case markerStar:
            use(procStar), markerCall(x, y, ms, c, "mstr");
            break;
        case markerSmallSquare:
            use(procSquare), markerCall(x, y, unit, c, "msqr");
            break;
        case markerFilledCircle:
            use(procFilledCircle), markerCall(x, y, ms, c, "mcirf");
            break;
        case markerFilledDiamond:
            use(procFilledDiamond), markerCall(x, y, ms + unit, c, "mdiaf");
            break;
        case markerLargeDot:
            use(procFilledSquare), markerCall(x, y, 2 * unit, c, "msqrf");
            break;
        case markerFilledSquare:
            use(procFilledSquare), markerCall(x, y, ms + unit, c, "msqrf");
            break;
        case markerVerticalBar:
            use(procVerticalStroke), markerCall(x, y, ms, c, "mvbr");
            break;
        case markerHorizontalBar:
            use(procHorizontalStroke), markerCall(x, y, ms, c, "mhbr");
            break;
        case markerWhiteDiamond:
            use(procFilledDiamond), markerCall(x, y, ms, 0, "mdiaf");
            markerCall(x, y, ms, c, "mdia");
            break;
        case markerWhiteSquare:
            use(procFilledSquare), markerCall(x, y, ms, 0, "msqrf");
            markerCall(x, y, ms, c, "msqr");
            break;
        case markerWhiteCircle:
            use(procFilledCircle), markerCall(x, y, ms, 0, "mcirf");
            use(procCircle), markerCall(x, y, ms, c, "mcir");
            break;
        default:
            break;
    }
    out.flushIfLarge();
    return true;
}

// --- shapes --------------------------------------------------------------------

void EpsWriter::rectangleOperands(double x1, double y1, double x2, double y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    point(x1, y1);
    number(sizeX(x2 - x1));
    out << ' ';
    number(sizeY(y2 - y1));
    out << ' ';
}

bool EpsWriter::facet(const Point* points, const int32_t* edgeFlags, int n, ColorCode fillColour,
                      ColorCode edgeColour) {
    flushPath();
    if (n <= 0) return true;
    use(procFacet);
    out << "[ ";
    for (int i = 0; i < n; i++) {
        point(points[i].x, points[i].y);
        out << (edgeFlags[i] ? 1 : 0) << ' ';
    }
    out << "] " << colourOperand(fillColour) << ' ' << colourOperand(edgeColour) << " pf\n";
    out.flushIfLarge();
    return true;
}

bool EpsWriter::huePolygon(const Point* points, int n, double hue, int scheme, int style) {
    flushPath();
    if (n <= 0) return true;
    use(style ? procFramedHuePolygon : procHuePolygon);
    out << "[ ";
    for (int i = 0; i < n; i++) point(points[i].x, points[i].y);
    out << "] " << rgbOperand(schemeColor(scheme, hue, settings.useColors));
    out << (style ? " ffillh\n" : " fillh\n");
    out.flushIfLarge();
    return true;
}

bool EpsWriter::densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                           int gridFlag) {
    flushPath();
    use(gridFlag ? procFramedBar : procBar);
    rectangleOperands(x1, y1, x2, y2);
    out << rgbOperand(schemeColor(scheme, value, settings.useColors));
    out << (gridFlag ? " fbar\n" : " bar\n");
    out.flushIfLarge();
    return true;
}

namespace {

// The hatch lines of a hatched style, as a procedure body.
const char* hatchLines(int style) {
    switch (style) {
        case barVertical:
            return "{ hvert }";
        case barHorizontal:
            return "{ hhorz }";
        case barRising:
            return "{ hrise }";
        case barFalling:
            return "{ hfall }";
        case barCrossedDiagonals:
            return "{ hrise hfall }";
        default:
            return "{ hvert hhorz }";
    }
}

}  // namespace

bool EpsWriter::bar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) {
    if (!settings.useColors && (barStyle == barFilledFramed || barStyle == barFramed))
        barStyle = barCrossedDiagonals;  // as on the pixel surfaces
    flushPath();
    struct Call {
        int procedure;
        const char* name;
    };
    static const Call calls[] = {
        {procBar1, "bar1"},         {procFramedBar1, "fbar1"},   {procOutlinedBar, "fbar2"},
        {procVerticalBar, "fb1v"},  {procHorizontalBar, "fb1h"}, {procRisingBar, "fb1d1"},
        {procFallingBar, "fb1d2"},  {procCrossedBar, "fb1c"},    {procGridBar, "fb1g"},
        {procOutlinedBar, "fbar2"},
    };
    if (barStyle < barFilled || barStyle > barTransparent) return true;
    const Call& call = calls[barStyle];
    if (barStyle >= barFramed && barStyle <= barCrossed) {
        // Framed and hatched bars hide what lies below, as on the screen.
        use(procBlank);
        rectangleOperands(x1, y1, x2, y2);
        out << "bblank\n";
    }
    use(call.procedure);
    rectangleOperands(x1, y1, x2, y2);
    out << colourOperand(colour) << ' ' << call.name << '\n';
    out.flushIfLarge();
    return true;
}

bool EpsWriter::fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                            ColorCode frameColour) {
    flushPath();
    if (n <= 0) return true;
    use(procPolygon);
    std::string array;
    {
        StringSink pointsText;
        WriterOutput pointsOut(pointsText);
        pointsOut << "[ ";
        for (int i = 0; i < n; i++) {
            pointsOut.general(toX(points[i].x));
            pointsOut << ' ';
            pointsOut.general(toY(points[i].y));
            pointsOut << ' ';
        }
        pointsOut << "] ";
        pointsOut.flush();
        array = pointsText.text;
    }
    const int c = colourOperand(fillColour);
    if (fillStyle == barFilled || (fillStyle == barFilledFramed && frameColour == 0)) {
        out << array << c << " spoly\n";
    } else if (fillStyle == barFilledFramed) {
        out << array << c << " fpoly\n";
    } else if (fillStyle == barFramed) {
        out << array << "0 fpoly\n";
    } else if (fillStyle >= barVertical && fillStyle <= barCrossed) {
        out << array << "0 fpoly\n";
        out << array << c << ' ' << hatchLines(fillStyle) << " hpoly\n";
    }
    if (frameColour != 0) {
        const bool inColourOne = fillStyle == barFilledFramed || fillStyle == barFramed;
        out << array << (inColourOne ? 1 : c) << " opoly\n";
    }
    out.flushIfLarge();
    return true;
}

bool EpsWriter::rgbBar(double x1, double y1, double x2, double y2, int columns, int rows,
                       int keyRed, int keyGreen, int keyBlue, const uint8_t* pixels) {
    flushPath();
    if (columns <= 0 || rows <= 0) return true;
    const size_t count = size_t(columns) * size_t(rows);
    auto isKey = [&](const uint8_t* p) {
        return p[0] == keyRed && p[1] == keyGreen && p[2] == keyBlue;
    };
    bool keyed = false;
    for (size_t k = 0; k < count && !keyed; k++) keyed = isKey(pixels + 3 * k);
    const double dx = (x2 - x1) / columns, dy = (y2 - y1) / rows;
    if (!keyed) {
        // The whole block as one image, first row at the top.
        static const char hex[] = "0123456789abcdef";
        out << "gsave ";
        number(toX(x1));
        out << ' ';
        number(toY(y2));
        out << " translate ";
        number(sizeX(x2 - x1));
        out << ' ';
        number(sizeY(y2 - y1));
        out << " scale\n/picstr " << columns * 3 << " string def\n"
            << columns << ' ' << rows << " 8 [ " << columns << " 0 0 " << -rows << " 0 " << rows
            << " ]\n{ currentfile picstr readhexstring pop } false 3 colorimage\n";
        for (int i = 0; i < rows; i++) {
            const uint8_t* row = pixels + size_t(i) * size_t(columns) * 3;
            for (int k = 0; k < columns * 3; k++) {
                out << hex[row[k] >> 4] << hex[row[k] & 15];
                if (k % 36 == 35) out << '\n';
            }
            out << '\n';
            out.flushIfLarge();
        }
        out << "grestore\n";
        return true;
    }
    // Pixels equal to the key stay unpainted: runs of one colour in a row
    // as rectangles.
    for (int i = 0; i < rows; i++) {
        const uint8_t* row = pixels + size_t(i) * size_t(columns) * 3;
        for (int j = 0; j < columns;) {
            const uint8_t* p = row + 3 * j;
            int end = j + 1;
            while (end < columns && std::memcmp(row + 3 * end, p, 3) == 0) end++;
            if (!isKey(p)) {
                number(p[0] / 255.0);
                out << ' ';
                number(p[1] / 255.0);
                out << ' ';
                number(p[2] / 255.0);
                out << " setrgbcolor ";
                number(toX(x1 + j * dx));
                out << ' ';
                number(toY(y1 + (i + 1) * dy));
                out << ' ';
                number(sizeX((end - j) * dx));
                out << ' ';
                number(sizeY(dy));
                out << " rectfill\n";
            }
            j = end;
        }
        out.flushIfLarge();
    }
    return true;
}

// --- texts ---------------------------------------------------------------------

bool EpsWriter::text(double x, double y, const char* text, ColorCode colour, int alignment, double,
                     TextDirection direction) {
    colour = drawingColour(colour);
    flushPath();
    std::string bytes;
    std::array<std::string, 256> glyphs;
    epsTextBytes(text, settings.codePageToUtf8, bytes, glyphs);
    bool reencoded = false;
    for (unsigned char b : bytes) {
        if (glyphs[b].empty()) continue;
        if (!reencoded) {
            use(procReencode);
            out << "gsave /scan-vec [\n";
            reencoded = true;
        }
        out.format("8#%o /%s\n", b, glyphs[b].c_str());
    }
    if (reencoded)
        out << "] def\n/" << postScriptFontOf(settings)
            << " /Kalix-Text scan-vec ReEncodeSmall\n/Kalix-Text findfont "
            << std::max(1, settings.height / settings.graphicsLines) << " scalefont setfont\n";
    static const int procedureOf[] = {procLeftText, procCenteredText, procRightText};
    static const char* const nameOf[] = {"Lstr", "Cstr", "Rstr"};
    if (alignment >= alignLeft && alignment <= alignRight) {
        use(procedureOf[alignment]);
        point(x, y);
        out << (direction == TextDirection::down ? "-90"
                : direction == TextDirection::up ? "90"
                                                 : "0")
            << " (";
        for (char b : bytes) {
            if ((b > 0 && b < 32) || b == 127) {
                out.format("\\%03o", unsigned(b));
                continue;
            }
            if (b == '(' || b == ')' || b == '\\') out << '\\';
            out << b;
        }
        out << ") " << colourOperand(colour) << ' ' << nameOf[alignment] << '\n';
    }
    if (reencoded) out << "grestore\n";
    out.flushIfLarge();
    return true;
}

}  // namespace kalix
