// The gzip writer.
#include "graphics/gzip_sink.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "graphics/deflate_bands.h"
#include "graphics/parallel.h"

namespace kalix {

namespace {

// Bytes gathered before they are compressed (in up to four bands).
constexpr size_t batchBytes = size_t(4) << 20;
// Bands are counted in kilobytes, at least this many each.
constexpr int bandKilobytes = 256;
// On a picture's long runs of like elements level 5 packs within a few
// per cent of zlib's default level 6, in a third of the time (6 follows
// four times longer chains of earlier matches).
constexpr int svgCompressionLevel = 5;

void putLittleEndian(uint8_t* out, uint32_t v) {
    out[0] = uint8_t(v), out[1] = uint8_t(v >> 8), out[2] = uint8_t(v >> 16);
    out[3] = uint8_t(v >> 24);
}

}  // namespace

struct GzipSink::Batch {
    struct Band {
        std::vector<uint8_t> data;
        uLong crc = 0;
        size_t length = 0;
        bool ok = false;
    };
    std::string text;  // `history` bytes of dictionary, then the bytes to compress
    size_t history = 0;
    bool last = false;
    std::vector<Band> bands;

    void compress(const ZlibLibrary* zlib) {
        const uint8_t* all = reinterpret_cast<const uint8_t*>(text.data());
        const int kilobytes = int((text.size() - history) / 1024);
        bands.resize(size_t(rowBandCount(kilobytes, bandKilobytes)));
        forRowBands(kilobytes, bandKilobytes, [&](int b, int first, int end) {
            const size_t from = history + size_t(first) * 1024;
            const size_t to = end == kilobytes ? text.size() : history + size_t(end) * 1024;
            Band& band = bands[size_t(b)];
            DeflateBand deflate(svgCompressionLevel, all, from);
            band.crc = zlib->crc(0, all + from, uInt(to - from));
            band.length = to - from;
            band.ok = deflate.add(all + from, to - from) &&
                      deflate.end(last && b + 1 == int(bands.size()));
            band.data.swap(deflate.data);
        });
    }
};

GzipSink::GzipSink(OutputSink& out) : out(out), zlib(zlibLibrary()) {
    if (!zlib) {
        ok = false;
        return;
    }
    crc = zlib->crc(0, nullptr, 0);
    // Deflate, no name, no time, from Unix.
    static const uint8_t header[10] = {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3};
    ok = out.write(reinterpret_cast<const char*>(header), sizeof header);
}

GzipSink::~GzipSink() {
    if (worker.joinable()) worker.join();
}

bool GzipSink::write(const char* data, size_t n) {
    buffer.append(data, n);
    if (ok && buffer.size() - history >= batchBytes) ok = startBatch(false);
    return ok;
}

// Writes the batch compressed before, in order.
bool GzipSink::writeCompressed() {
    if (worker.joinable()) worker.join();
    if (!compressing) return true;
    std::unique_ptr<Batch> done = std::move(compressing);
    for (const Batch::Band& band : done->bands) {
        if (!band.ok ||
            !out.write(reinterpret_cast<const char*>(band.data.data()), band.data.size()))
            return false;
        crc = zlib->crcCombine(crc, band.crc, z_off_t(band.length));
        length += uint32_t(band.length);
    }
    spare.swap(done->text);
    return true;
}

bool GzipSink::startBatch(bool last) {
    if (!writeCompressed()) return false;
    auto batch = std::make_unique<Batch>();
    batch->history = history;
    batch->last = last;
    // The next batch starts with the window before it, in the memory of
    // the batch written last.
    const size_t keep = std::min(buffer.size(), deflateWindowBytes);
    spare.assign(buffer, buffer.size() - keep, keep);
    spare.reserve(batchBytes + deflateWindowBytes + (size_t(1) << 21));
    batch->text.swap(buffer);
    buffer.swap(spare);
    history = keep;
    compressing = std::move(batch);
    Batch* work = compressing.get();
    if (!last) {
        try {
            worker = std::thread([work, zlib = zlib] { work->compress(zlib); });
            return true;
        } catch (const std::system_error&) {
            // No thread to be had: compress here.
        }
    }
    work->compress(zlib);
    return true;
}

bool GzipSink::finish() {
    ok = ok && startBatch(true) && writeCompressed();
    uint8_t trailer[8];
    putLittleEndian(trailer, uint32_t(crc));
    putLittleEndian(trailer + 4, length);
    return ok && out.write(reinterpret_cast<const char*>(trailer), sizeof trailer);
}

}  // namespace kalix
