// The graphics metafile: a flat byte stream of drawing records, the one
// source of every picture. A record is an opcode byte and its operands with
// no gaps, all little-endian:
//   c  coordinate, size, width or hue: int32 of the value times 1000,
//      truncated toward zero (thousandths of a virtual-screen unit)
//   i  int32
//   s  bytes and a closing zero byte
//   b  raw bytes, counted by earlier operands
//
//    1 clear        -
//    2 clip         c x1, c y1, c x2, c y2
//   10 line         c x1, c y1, c x2, c y2, i colour, i lineStyle, c width
//   20 marker       c x, c y, i colour, i markerType, c size
//   30 facet        i n, n x (c x, c y, i edgeFlag), i fillColour, i edgeColour
//   31 hue polygon  i n, n x (c x, c y), c hue fraction, i scheme, i style
//   32 density bar  c x1, c y1, c x2, c y2, c value, i scheme, i gridFlag
//   33 bar          c x1, c y1, c x2, c y2, i colour, i barStyle
//   34 RGB block    c x1, c y1, c x2, c y2, i columns, i rows, i keyRed,
//                   i keyGreen, i keyBlue, b pixels (columns * rows * 3)
//   40/41/42 text   c x, c y, i colour, i alignment, c size, s text
//                   (horizontal, reading down, reading up)
//   50 polygon      i n, n x (c x, c y), i fillStyle, i fillColour, i frameColour
//   51 polyline     i n, n x (c x, c y), i colour, i lineStyle, c width
//   60 no-op        -
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/surface.h"

namespace kalix {

enum MetaOpcode : uint8_t {
    opClear = 1,
    opClip = 2,
    opLine = 10,
    opMarker = 20,
    opFacet = 30,
    opHuePolygon = 31,
    opDensityBar = 32,
    opBar = 33,
    opRgbBar = 34,
    opText = 40,
    opTextDown = 41,
    opTextUp = 42,
    opFillPolygon = 50,
    opPolyline = 51,
    opNothing = 60,
};

// A record is begun only while this many bytes remain.
constexpr uint64_t metaReserveBytes = 512;
// Coordinates of lines, clips and polygons beyond this are refused.
constexpr double metaCoordinateLimit = 10000;

// True when x can be stored as thousandths in an int32 (finite, in range).
bool isEncodable(double x);
int32_t encodeCoordinate(double x);
inline double decodeCoordinate(int32_t v) { return v / 1000.0; }

// Polled before each replayed record; true stops the replay.
using StopPoll = bool (*)();
inline bool stopRequested(StopPoll stop) { return stop && stop(); }

enum class ReplayEnd {
    complete,   // every record was read
    stopped,    // the stop poll asked for it
    badRecord,  // an unknown opcode or a record cut short ended it
};

// Reads `n` bytes of records and calls the target's operations; clip
// records only with `applyClip`. Never reads beyond the n bytes: a record
// whose operands would pass the end is not replayed.
ReplayEnd replayRecords(const uint8_t* bytes, uint64_t n, Surface& target, bool applyClip,
                        StopPoll stop = nullptr);

class Metafile : public Surface {
  public:
    // A store of `capacity` bytes; recording is on.
    explicit Metafile(uint64_t capacity);
    // A frozen copy of the recorded bytes: it replays but never records.
    Metafile(const Metafile& other);
    // The same frozen copy, or null when there is no memory for it. It is
    // made in `room` (`roomSize` bytes, see copyRoom) when the records fit.
    static std::unique_ptr<Metafile> frozenCopy(const Metafile& other,
                                                std::unique_ptr<uint8_t[]> room = nullptr,
                                                uint64_t roomSize = 0);
    // Memory for a copy of n bytes with every page touched, so that filling
    // it costs no page faults; null when memory is short.
    static std::unique_ptr<uint8_t[]> copyRoom(uint64_t n);
    Metafile& operator=(const Metafile&) = delete;
    ~Metafile() override;

    const uint8_t* bytes() const { return start.get(); }
    uint64_t size() const { return used; }
    uint64_t capacity() const { return bufferSize; }
    bool isFull() const { return overflow; }
    bool isRecording() const { return recording; }

    // Empties the stream and leaves the full state.
    void rewind();

    // Replays into `target` (which may be this object: recording is off
    // meanwhile).
    ReplayEnd replay(Surface& target, bool applyClip, StopPoll stop = nullptr);

    // Recording. Lines, clips and polygons refuse coordinates beyond
    // +-10000; every record refuses values the encoding cannot hold (NaN,
    // infinities, beyond +-2147483 units) and negative counts. A record that
    // does not fit is dropped whole and the store is full until `clear`.
    bool clear() override;
    bool clip(double x1, double y1, double x2, double y2) override;
    bool line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
              double width) override;
    bool polyline(const Point* points, int n, ColorCode colour, int lineStyle,
                  double width) override;
    bool marker(double x, double y, ColorCode colour, int markerType, double size) override;
    bool facet(const Point* points, const int32_t* edgeFlags, int n, ColorCode fillColour,
               ColorCode edgeColour) override;
    bool fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                     ColorCode frameColour) override;
    bool huePolygon(const Point* points, int n, double hue, int scheme, int style) override;
    bool densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                    int gridFlag) override;
    bool bar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) override;
    bool rgbBar(double x1, double y1, double x2, double y2, int columns, int rows, int keyRed,
                int keyGreen, int keyBlue, const uint8_t* pixels) override;
    bool text(double x, double y, const char* text, ColorCode colour, int alignment, double size,
              TextDirection direction) override;

  private:
    // A frozen store of the n bytes given.
    Metafile(std::unique_ptr<uint8_t[]> bytes, uint64_t n);

    // Starts a record: false (and nothing written) while not recording or
    // full, or when fewer than `metaReserveBytes` remain.
    bool beginRecord(uint8_t opcode);
    // Appends bytes of the open record; when they do not fit the record is
    // taken back and the store is full.
    void putBytes(const void* data, uint64_t n);
    void dropRecord();
    void putInt(int32_t v) { putBytes(&v, 4); }
    void putCoordinate(double x) { putInt(encodeCoordinate(x)); }
    void putPoints(const Point* points, int n);
    void putRectangle(double x1, double y1, double x2, double y2);

    std::unique_ptr<uint8_t[]> start;
    uint64_t used = 0;
    uint64_t bufferSize = 0;
    uint64_t recordStart = 0;
    bool recordOpen = false;
    bool recording = true;
    bool overflow = false;
    bool frozen = false;  // a copy: replayed, never recorded
};

}  // namespace kalix
