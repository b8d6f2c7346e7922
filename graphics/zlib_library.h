// zlib, opened on first use: PNG and compressed SVG files, and Maxima's
// compressed info files.
#pragma once

#include <zlib.h>

namespace kalix {

struct ZlibLibrary {
    decltype(&::deflateInit2_) deflateInitVersioned;  // see initDeflate
    decltype(&::deflate) deflateStream;
    decltype(&::deflateEnd) deflateFinish;
    decltype(&::deflateSetDictionary) deflateDictionary;
    decltype(&::crc32) crc;
    decltype(&::crc32_combine) crcCombine;
    decltype(&::adler32) adler;
    decltype(&::adler32_combine) adlerCombine;
    decltype(&::gzopen) gzOpen;
    decltype(&::gzgets) gzGets;
    decltype(&::gzclose) gzClose;

    // zlib.h's deflateInit2, which passes the header's version along.
    int initDeflate(z_streamp stream, int level, int method, int windowBits, int memLevel,
                    int strategy) const {
        return deflateInitVersioned(stream, level, method, windowBits, memLevel, strategy,
                                    ZLIB_VERSION, int(sizeof(z_stream)));
    }
};

// The functions; null when zlib cannot be opened (then the files that need
// it cannot be written or read).
const ZlibLibrary* zlibLibrary();

}  // namespace kalix
