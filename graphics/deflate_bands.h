// Deflate data compressed in bands on several threads that still form one
// stream: each band ends on a byte boundary (a sync flush) and the last one
// ends the stream; each starts with the 32 KB before it as dictionary, so
// matches across the border are not lost. PNG files and compressed SVG
// files are written so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/zlib_library.h"

namespace kalix {

constexpr size_t deflateWindowBytes = 32768;

// One band's raw deflate data (no zlib or gzip frame).
class DeflateBand {
  public:
    // Starts a band at the compression level (0 to 9, or
    // Z_DEFAULT_COMPRESSION); `dictionary` is the data before it.
    DeflateBand(int level, const uint8_t* dictionary, size_t dictionaryBytes);
    ~DeflateBand();
    DeflateBand(const DeflateBand&) = delete;
    DeflateBand& operator=(const DeflateBand&) = delete;

    // Compresses the next bytes of the band.
    bool add(const uint8_t* data, size_t n);
    // Ends the band: the stream's end for the `last` band. Then `data`
    // holds the band's compressed bytes.
    bool end(bool last);

    std::vector<uint8_t> data;

  private:
    bool drain(int flush);
    const ZlibLibrary* zlib;
    z_stream z{};
    bool ok = false;
};

}  // namespace kalix
