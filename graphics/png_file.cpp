// Encoding PNG files.
#include "graphics/png_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/deflate_bands.h"
#include "graphics/parallel.h"
#include "graphics/safe_file.h"
#include "graphics/zlib_library.h"

namespace kalix {

namespace {

void putBigEndian(uint8_t* out, uint32_t v) {
    out[0] = uint8_t(v >> 24), out[1] = uint8_t(v >> 16), out[2] = uint8_t(v >> 8);
    out[3] = uint8_t(v);
}

bool writeChunk(OutputSink& sink, const char type[4], const uint8_t* data, uint32_t n) {
    uint8_t head[8];
    putBigEndian(head, n);
    std::memcpy(head + 4, type, 4);
    const ZlibLibrary* zlib = zlibLibrary();
    uLong crc = zlib->crc(0, head + 4, 4);
    if (n) crc = zlib->crc(crc, data, n);
    uint8_t tail[4];
    putBigEndian(tail, uint32_t(crc));
    return sink.write(reinterpret_cast<const char*>(head), 8) &&
           (n == 0 || sink.write(reinterpret_cast<const char*>(data), n)) &&
           sink.write(reinterpret_cast<const char*>(tail), 4);
}

// Each row is filtered with the filter among None, Sub and Up whose bytes
// have the smallest sum taken as signed values (the usual choice).
class RowFilter {
  public:
    explicit RowFilter(int width)
        : bytes(size_t(width) * 3), previous(bytes, 0), current(bytes), candidates{} {
        for (auto& c : candidates) c.resize(bytes + 1);
    }

    const std::vector<uint8_t>& filter(const uint32_t* row) {
        for (size_t i = 0, x = 0; i < bytes; i += 3, x++) {
            current[i] = uint8_t(row[x] >> 16);
            current[i + 1] = uint8_t(row[x] >> 8);
            current[i + 2] = uint8_t(row[x]);
        }
        uint64_t cost[3] = {0, 0, 0};
        uint8_t* none = candidates[0].data();
        uint8_t* sub = candidates[1].data();
        uint8_t* up = candidates[2].data();
        none[0] = 0, sub[0] = 1, up[0] = 2;
        for (size_t i = 0; i < bytes; i++) {
            const uint8_t c = current[i];
            const uint8_t s = uint8_t(c - (i >= 3 ? current[i - 3] : 0));
            const uint8_t u = uint8_t(c - previous[i]);
            none[i + 1] = c, sub[i + 1] = s, up[i + 1] = u;
            cost[0] += c < 128 ? c : 256 - c;
            cost[1] += s < 128 ? s : 256 - s;
            cost[2] += u < 128 ? u : 256 - u;
        }
        previous.swap(current);
        int best = 0;
        for (int k = 1; k < 3; k++)
            if (cost[k] < cost[best]) best = k;
        return candidates[best];
    }

  private:
    size_t bytes;
    std::vector<uint8_t> previous, current;
    std::vector<uint8_t> candidates[3];
};

}  // namespace

namespace {

constexpr int bandRows = 128;

// One band of rows filtered and compressed (see deflate_bands.h); its
// dictionary is the filtered rows before it, as the band before made them.
struct Band {
    std::vector<uint8_t> data;
    uLong adler = 1;
    uLong length = 0;
    bool ok = false;
};

void compressBand(const PixelImage& image, int first, int end, bool last, Band& band) {
    const ZlibLibrary* zlib = zlibLibrary();
    RowFilter filter(image.width());
    const size_t rowBytes = size_t(image.width()) * 3 + 1;
    std::vector<uint8_t> dictionary;
    if (first > 0) {
        const int before = int(std::min<size_t>(size_t(first), deflateWindowBytes / rowBytes + 1));
        if (first - before > 0) filter.filter(image.row(first - before - 1));
        for (int y = first - before; y < first; y++) {
            const std::vector<uint8_t>& row = filter.filter(image.row(y));
            dictionary.insert(dictionary.end(), row.begin(), row.end());
        }
    }
    DeflateBand deflate(Z_DEFAULT_COMPRESSION, dictionary.data(), dictionary.size());
    bool ok = true;
    for (int y = first; y < end && ok; y++) {
        const std::vector<uint8_t>& row = filter.filter(image.row(y));
        band.adler = zlib->adler(band.adler, row.data(), uInt(row.size()));
        band.length += uLong(row.size());
        ok = deflate.add(row.data(), row.size());
    }
    band.ok = ok && deflate.end(last);
    band.data.swap(deflate.data);
}

// Writes bytes as IDAT chunks of at most 1 MB.
bool writeData(OutputSink& sink, const uint8_t* data, size_t n) {
    while (n > 0) {
        const uint32_t piece = uint32_t(std::min<size_t>(n, 1 << 20));
        if (!writeChunk(sink, "IDAT", data, piece)) return false;
        data += piece;
        n -= piece;
    }
    return true;
}

}  // namespace

bool writePng(const PixelImage& image, OutputSink& sink, const Rgb* transparent) {
    // Without zlib, no PNG file.
    if (image.empty() || !zlibLibrary()) return false;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!sink.write(reinterpret_cast<const char*>(signature), 8)) return false;
    uint8_t header[13];
    putBigEndian(header, uint32_t(image.width()));
    putBigEndian(header + 4, uint32_t(image.height()));
    header[8] = 8;   // bits per sample
    header[9] = 2;   // RGB
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering
    header[12] = 0;  // not interlaced
    if (!writeChunk(sink, "IHDR", header, 13)) return false;
    if (transparent) {
        const uint8_t key[6] = {0, uint8_t(transparent->red), 0, uint8_t(transparent->green),
                                0, uint8_t(transparent->blue)};
        if (!writeChunk(sink, "tRNS", key, 6)) return false;
    }

    // The zlib stream: its header, the bands' deflate data in order, and
    // the Adler-32 sum of all filtered rows.
    std::vector<Band> bands(size_t(rowBandCount(image.height(), bandRows)));
    forRowBands(image.height(), bandRows, [&](int b, int first, int end) {
        compressBand(image, first, end, b + 1 == int(bands.size()), bands[size_t(b)]);
    });
    static const uint8_t zlibHeader[2] = {0x78, 0x9C};
    if (!writeData(sink, zlibHeader, 2)) return false;
    uLong adler = 1;
    for (const Band& band : bands) {
        if (!band.ok || !writeData(sink, band.data.data(), band.data.size())) return false;
        adler = zlibLibrary()->adlerCombine(adler, band.adler, z_off_t(band.length));
    }
    uint8_t check[4];
    putBigEndian(check, uint32_t(adler));
    return writeData(sink, check, 4) && writeChunk(sink, "IEND", nullptr, 0);
}

bool writePngFile(const PixelImage& image, const std::string& name) {
    SafeFile file(name);
    if (!file.isOpen()) return false;
    FILE* stream = fdopen(file.descriptor(), "wb");
    if (!stream) return file.commit(false);
    file.release();
    FileSink sink(stream);
    bool ok = writePng(image, sink);
    ok = std::fflush(stream) == 0 && ok;
    ok = std::fclose(stream) == 0 && ok;
    return file.commit(ok);
}

}  // namespace kalix
