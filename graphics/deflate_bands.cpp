// Raw deflate bands.
#include "graphics/deflate_bands.h"

#include <algorithm>

namespace kalix {

DeflateBand::DeflateBand(int level, const uint8_t* dictionary, size_t dictionaryBytes)
    : zlib(zlibLibrary()) {
    ok = zlib && zlib->initDeflate(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    if (ok && dictionaryBytes > 0) {
        const size_t keep = std::min(dictionaryBytes, deflateWindowBytes);
        ok = zlib->deflateDictionary(&z, dictionary + dictionaryBytes - keep, uInt(keep)) == Z_OK;
    }
}

DeflateBand::~DeflateBand() {
    if (zlib) zlib->deflateFinish(&z);
}

bool DeflateBand::drain(int flush) {
    uint8_t out[1 << 16];
    do {
        z.next_out = out;
        z.avail_out = uInt(sizeof out);
        if (zlib->deflateStream(&z, flush) == Z_STREAM_ERROR) return ok = false;
        data.insert(data.end(), out, out + sizeof out - z.avail_out);
    } while (z.avail_out == 0);
    return true;
}

bool DeflateBand::add(const uint8_t* bytes, size_t n) {
    while (ok && n > 0) {
        const size_t piece = std::min<size_t>(n, 1u << 30);
        z.next_in = const_cast<Bytef*>(bytes);
        z.avail_in = uInt(piece);
        drain(Z_NO_FLUSH);
        bytes += piece;
        n -= piece;
    }
    return ok;
}

bool DeflateBand::end(bool last) {
    if (!ok) return false;
    z.avail_in = 0;
    return drain(last ? Z_FINISH : Z_SYNC_FLUSH);
}

}  // namespace kalix
