// Recording drawing records into the metafile and replaying them.
#include "graphics/metafile.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace kalix {

static_assert(std::endian::native == std::endian::little, "the stream is little-endian");

bool isEncodable(double x) { return std::isfinite(x) && std::fabs(x * 1000) < 2147483647.0; }

int32_t encodeCoordinate(double x) { return isEncodable(x) ? int32_t(x * 1000) : 0; }

namespace {

bool withinLimit(double x) { return std::fabs(x) <= metaCoordinateLimit; }

bool allEncodable(std::initializer_list<double> values) {
    for (double v : values)
        if (!isEncodable(v)) return false;
    return true;
}

bool pointsWithin(const Point* points, int n, bool limited) {
    for (int i = 0; i < n; i++) {
        const Point& p = points[i];
        if (!isEncodable(p.x) || !isEncodable(p.y)) return false;
        if (limited && (!withinLimit(p.x) || !withinLimit(p.y))) return false;
    }
    return true;
}

}  // namespace

// --- recording --------------------------------------------------------------

Metafile::Metafile(uint64_t capacity) : start(new (std::nothrow) uint8_t[capacity ? capacity : 1]) {
    bufferSize = start ? capacity : 0;
}

Metafile::Metafile(const Metafile& other)
    : Surface(),
      start(new uint8_t[other.used ? other.used : 1]),
      used(other.used),
      bufferSize(other.used),
      overflow(true),
      frozen(true) {
    if (used) std::memcpy(start.get(), other.start.get(), used);
}

Metafile::Metafile(std::unique_ptr<uint8_t[]> bytes, uint64_t n)
    : start(std::move(bytes)), used(n), bufferSize(n), overflow(true), frozen(true) {}

std::unique_ptr<uint8_t[]> Metafile::copyRoom(uint64_t n) {
    std::unique_ptr<uint8_t[]> room(new (std::nothrow) uint8_t[n ? n : 1]);
    if (room) std::memset(room.get(), 0, n ? n : 1);
    return room;
}

std::unique_ptr<Metafile> Metafile::frozenCopy(const Metafile& other,
                                               std::unique_ptr<uint8_t[]> room, uint64_t roomSize) {
    std::unique_ptr<uint8_t[]> bytes =
        room && roomSize >= other.used
            ? std::move(room)
            : std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[other.used ? other.used : 1]);
    if (!bytes) return nullptr;
    if (other.used) std::memcpy(bytes.get(), other.start.get(), other.used);
    return std::unique_ptr<Metafile>(new (std::nothrow) Metafile(std::move(bytes), other.used));
}

Metafile::~Metafile() = default;

void Metafile::rewind() {
    used = 0;
    recordOpen = false;
    overflow = false;
}

bool Metafile::beginRecord(uint8_t opcode) {
    recordOpen = false;
    if (!recording || overflow) return false;
    if (bufferSize < metaReserveBytes || used > bufferSize - metaReserveBytes) {
        overflow = true;
        return false;
    }
    recordStart = used;
    recordOpen = true;
    start[used++] = opcode;
    return true;
}

// The open record does not fit: take back what was written of it.
void Metafile::dropRecord() {
    used = recordStart;
    recordOpen = false;
    overflow = true;
}

void Metafile::putBytes(const void* data, uint64_t n) {
    if (!recordOpen) return;
    if (n >= bufferSize - used) return dropRecord();
    std::memcpy(start.get() + used, data, n);
    used += n;
}

void Metafile::putPoints(const Point* points, int n) {
    // One bounds test for the whole run, then encode in place.
    if (!recordOpen) return;
    const uint64_t bytes = uint64_t(n) * 8;
    if (bytes >= bufferSize - used) return dropRecord();
    uint8_t* out = start.get() + used;
    for (int i = 0; i < n; i++) {
        const int32_t xy[2] = {encodeCoordinate(points[i].x), encodeCoordinate(points[i].y)};
        std::memcpy(out + 8 * uint64_t(i), xy, 8);
    }
    used += bytes;
}

void Metafile::putRectangle(double x1, double y1, double x2, double y2) {
    putCoordinate(x1);
    putCoordinate(y1);
    putCoordinate(x2);
    putCoordinate(y2);
}

bool Metafile::clear() {
    if (!recording || frozen) return true;
    rewind();
    beginRecord(opClear);
    return true;
}

bool Metafile::clip(double x1, double y1, double x2, double y2) {
    if (!recording) return true;
    if (!allEncodable({x1, y1, x2, y2})) return false;
    if (!withinLimit(x1) || !withinLimit(y1) || !withinLimit(x2) || !withinLimit(y2)) return false;
    if (beginRecord(opClip)) putRectangle(x1, y1, x2, y2);
    return true;
}

bool Metafile::line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
                    double width) {
    if (!recording) return true;
    if (!allEncodable({x1, y1, x2, y2, width})) return false;
    if (!withinLimit(x1) || !withinLimit(y1) || !withinLimit(x2) || !withinLimit(y2)) return false;
    if (!beginRecord(opLine)) return true;
    putRectangle(x1, y1, x2, y2);
    putInt(colour);
    putInt(lineStyle);
    putCoordinate(width);
    return true;
}

bool Metafile::polyline(const Point* points, int n, ColorCode colour, int lineStyle, double width) {
    if (!recording) return true;
    if (n < 0 || !isEncodable(width) || !pointsWithin(points, n, false)) return false;
    if (!beginRecord(opPolyline)) return true;
    putInt(n);
    putPoints(points, n);
    putInt(colour);
    putInt(lineStyle);
    putCoordinate(width);
    return true;
}

bool Metafile::marker(double x, double y, ColorCode colour, int markerType, double size) {
    if (!recording) return true;
    if (!allEncodable({x, y, size})) return false;
    if (!beginRecord(opMarker)) return true;
    putCoordinate(x);
    putCoordinate(y);
    putInt(colour);
    putInt(markerType);
    putCoordinate(size);
    return true;
}

bool Metafile::facet(const Point* points, const int32_t* edgeFlags, int n, ColorCode fillColour,
                     ColorCode edgeColour) {
    if (!recording) return true;
    if (n < 0 || !pointsWithin(points, n, true)) return false;
    if (!beginRecord(opFacet)) return true;
    putInt(n);
    for (int i = 0; i < n; i++) {
        putCoordinate(points[i].x);
        putCoordinate(points[i].y);
        putInt(edgeFlags[i]);
    }
    putInt(fillColour);
    putInt(edgeColour);
    return true;
}

bool Metafile::fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                           ColorCode frameColour) {
    if (!recording) return true;
    if (n < 0 || !pointsWithin(points, n, true)) return false;
    if (!beginRecord(opFillPolygon)) return true;
    putInt(n);
    putPoints(points, n);
    putInt(fillStyle);
    putInt(fillColour);
    putInt(frameColour);
    return true;
}

bool Metafile::huePolygon(const Point* points, int n, double hue, int scheme, int style) {
    if (!recording) return true;
    if (n < 0 || !pointsWithin(points, n, true) || !std::isfinite(hue)) return false;
    if (!beginRecord(opHuePolygon)) return true;
    putInt(n);
    putPoints(points, n);
    putCoordinate(hueFraction(hue));
    putInt(scheme);
    putInt(style);
    return true;
}

bool Metafile::densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                          int gridFlag) {
    if (!recording) return true;
    if (!allEncodable({x1, y1, x2, y2, value})) return false;
    if (!beginRecord(opDensityBar)) return true;
    putRectangle(x1, y1, x2, y2);
    putCoordinate(value);
    putInt(scheme);
    putInt(gridFlag);
    return true;
}

bool Metafile::bar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) {
    if (!recording) return true;
    if (!allEncodable({x1, y1, x2, y2})) return false;
    if (!beginRecord(opBar)) return true;
    putRectangle(x1, y1, x2, y2);
    putInt(colour);
    putInt(barStyle);
    return true;
}

bool Metafile::rgbBar(double x1, double y1, double x2, double y2, int columns, int rows, int keyRed,
                      int keyGreen, int keyBlue, const uint8_t* pixels) {
    if (!recording) return true;
    if (!allEncodable({x1, y1, x2, y2}) || columns < 0 || rows < 0) return false;
    if (!beginRecord(opRgbBar)) return true;
    putRectangle(x1, y1, x2, y2);
    putInt(columns);
    putInt(rows);
    putInt(keyRed);
    putInt(keyGreen);
    putInt(keyBlue);
    putBytes(pixels, uint64_t(columns) * uint64_t(rows) * 3);
    return true;
}

bool Metafile::text(double x, double y, const char* text, ColorCode colour, int alignment,
                    double size, TextDirection direction) {
    if (!recording) return true;
    if (!allEncodable({x, y, size})) return false;
    const uint8_t opcode = direction == TextDirection::down ? opTextDown
                           : direction == TextDirection::up ? opTextUp
                                                            : opText;
    if (!beginRecord(opcode)) return true;
    putCoordinate(x);
    putCoordinate(y);
    putInt(colour);
    putInt(alignment);
    putCoordinate(size);
    putBytes(text, std::strlen(text) + 1);
    return true;
}

// --- replay -----------------------------------------------------------------

namespace {

// A read position that never passes the end: every read reports whether
// its bytes were there.
struct Reader {
    const uint8_t* at;
    const uint8_t* end;

    uint64_t left() const { return uint64_t(end - at); }
    bool integer(int32_t* v) {
        if (left() < 4) return false;
        std::memcpy(v, at, 4);
        at += 4;
        return true;
    }
    bool coordinate(double* v) {
        int32_t raw;
        if (!integer(&raw)) return false;
        *v = decodeCoordinate(raw);
        return true;
    }
    bool rectangle(double* r) {
        return coordinate(r) && coordinate(r + 1) && coordinate(r + 2) && coordinate(r + 3);
    }
    // n (x, y) pairs, each followed by `extra` ints when `flags` is given.
    bool points(int32_t n, std::vector<Point>& out, std::vector<int32_t>* flags = nullptr) {
        const uint64_t each = flags ? 12 : 8;
        if (n < 0 || uint64_t(n) > left() / each) return false;
        out.resize(size_t(n));
        if (flags) flags->resize(size_t(n));
        for (int32_t i = 0; i < n; i++) {
            int32_t xy[2];
            std::memcpy(xy, at, 8);
            at += 8;
            out[size_t(i)] = {decodeCoordinate(xy[0]), decodeCoordinate(xy[1])};
            if (flags) {
                std::memcpy(&(*flags)[size_t(i)], at, 4);
                at += 4;
            }
        }
        return true;
    }
    // The zero-terminated text at the read position.
    const char* text() {
        const void* zero = std::memchr(at, 0, left());
        if (!zero) return nullptr;
        const char* t = reinterpret_cast<const char*>(at);
        at = static_cast<const uint8_t*>(zero) + 1;
        return t;
    }
};

TextDirection directionOf(uint8_t opcode) {
    return opcode == opTextDown ? TextDirection::down
           : opcode == opTextUp ? TextDirection::up
                                : TextDirection::horizontal;
}

// Reads the operands of one record and calls the target; false when the
// record is unknown or its operands pass the end.
bool replayRecord(uint8_t opcode, Reader& in, Surface& target, bool applyClip,
                  std::vector<Point>& points, std::vector<int32_t>& flags) {
    double r[5];
    int32_t v[5], n;
    switch (opcode) {
        case opClear:
            target.clear();
            return true;
        case opClip:
            if (!in.rectangle(r)) return false;
            if (applyClip) target.clip(r[0], r[1], r[2], r[3]);
            return true;
        case opLine:
            if (!in.rectangle(r) || !in.integer(v) || !in.integer(v + 1) || !in.coordinate(r + 4))
                return false;
            target.line(r[0], r[1], r[2], r[3], v[0], v[1], r[4]);
            return true;
        case opMarker:
            if (!in.coordinate(r) || !in.coordinate(r + 1) || !in.integer(v) ||
                !in.integer(v + 1) || !in.coordinate(r + 2))
                return false;
            target.marker(r[0], r[1], v[0], v[1], r[2]);
            return true;
        case opFacet:
            if (!in.integer(&n) || !in.points(n, points, &flags) || !in.integer(v) ||
                !in.integer(v + 1))
                return false;
            target.facet(points.data(), flags.data(), n, v[0], v[1]);
            return true;
        case opHuePolygon:
            if (!in.integer(&n) || !in.points(n, points) || !in.coordinate(r) || !in.integer(v) ||
                !in.integer(v + 1))
                return false;
            target.huePolygon(points.data(), n, r[0], v[0], v[1]);
            return true;
        case opDensityBar:
            if (!in.rectangle(r) || !in.coordinate(r + 4) || !in.integer(v) || !in.integer(v + 1))
                return false;
            target.densityBar(r[0], r[1], r[2], r[3], r[4], v[0], v[1]);
            return true;
        case opBar:
            if (!in.rectangle(r) || !in.integer(v) || !in.integer(v + 1)) return false;
            target.bar(r[0], r[1], r[2], r[3], v[0], v[1]);
            return true;
        case opRgbBar: {
            if (!in.rectangle(r)) return false;
            for (int k = 0; k < 5; k++)
                if (!in.integer(v + k)) return false;
            if (v[0] < 0 || v[1] < 0) return false;
            const uint64_t bytes = uint64_t(v[0]) * uint64_t(v[1]) * 3;
            if (bytes > in.left()) return false;
            target.rgbBar(r[0], r[1], r[2], r[3], v[0], v[1], v[2], v[3], v[4], in.at);
            in.at += bytes;
            return true;
        }
        case opText:
        case opTextDown:
        case opTextUp: {
            if (!in.coordinate(r) || !in.coordinate(r + 1) || !in.integer(v) ||
                !in.integer(v + 1) || !in.coordinate(r + 2))
                return false;
            const char* t = in.text();
            if (!t) return false;
            target.text(r[0], r[1], t, v[0], v[1], r[2], directionOf(opcode));
            return true;
        }
        case opFillPolygon:
            if (!in.integer(&n) || !in.points(n, points) || !in.integer(v) || !in.integer(v + 1) ||
                !in.integer(v + 2))
                return false;
            target.fillPolygon(points.data(), n, v[0], v[1], v[2]);
            return true;
        case opPolyline:
            if (!in.integer(&n) || !in.points(n, points) || !in.integer(v) || !in.integer(v + 1) ||
                !in.coordinate(r))
                return false;
            target.polyline(points.data(), n, v[0], v[1], r[0]);
            return true;
        case opNothing:
            return true;
        default:
            return false;
    }
}

}  // namespace

ReplayEnd replayRecords(const uint8_t* bytes, uint64_t n, Surface& target, bool applyClip,
                        StopPoll stop) {
    Reader in{bytes, bytes + n};
    std::vector<Point> points;
    std::vector<int32_t> flags;
    while (in.left() > 0) {
        if (stop && stop()) return ReplayEnd::stopped;
        const uint8_t opcode = *in.at++;
        if (!replayRecord(opcode, in, target, applyClip, points, flags))
            return ReplayEnd::badRecord;
    }
    return ReplayEnd::complete;
}

ReplayEnd Metafile::replay(Surface& target, bool applyClip, StopPoll stop) {
    const bool wasRecording = recording;
    recording = false;
    const ReplayEnd end = replayRecords(start.get(), used, target, applyClip, stop);
    recording = wasRecording;
    return end;
}

}  // namespace kalix
