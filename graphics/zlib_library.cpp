#include "graphics/zlib_library.h"

#include <string>

#include "numerics/shared_library.h"

namespace kalix {

static bool openZlib(ZlibLibrary& f, std::string& error) {
    return openSharedLibrary(
        {"libz.so.1"},
        {librarySymbol(LIBRARY_SYMBOL_NAME(deflateInit2_), f.deflateInitVersioned),
         librarySymbol(LIBRARY_SYMBOL_NAME(deflate), f.deflateStream),
         librarySymbol(LIBRARY_SYMBOL_NAME(deflateEnd), f.deflateFinish),
         librarySymbol(LIBRARY_SYMBOL_NAME(deflateSetDictionary), f.deflateDictionary),
         librarySymbol(LIBRARY_SYMBOL_NAME(crc32), f.crc),
         librarySymbol(LIBRARY_SYMBOL_NAME(crc32_combine), f.crcCombine),
         librarySymbol(LIBRARY_SYMBOL_NAME(adler32), f.adler),
         librarySymbol(LIBRARY_SYMBOL_NAME(adler32_combine), f.adlerCombine),
         librarySymbol(LIBRARY_SYMBOL_NAME(gzopen), f.gzOpen),
         librarySymbol(LIBRARY_SYMBOL_NAME(gzgets), f.gzGets),
         librarySymbol(LIBRARY_SYMBOL_NAME(gzclose), f.gzClose)},
        error);
}

const ZlibLibrary* zlibLibrary() {
    static LibraryTable<ZlibLibrary> library(openZlib);
    return library.get();
}

}  // namespace kalix
