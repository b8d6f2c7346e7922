#include "graphics/zlib_library.h"

#include <string>

#include "numerics/shared_library.h"

// The name a zlib function has in the library: zlib.h may rename some to
// their 64-bit file offset variants.
#define ZLIB_SYMBOL(name) ZLIB_SYMBOL_TEXT(name)
#define ZLIB_SYMBOL_TEXT(name) #name

static bool openZlib(ZlibLibrary& f, std::string& error) {
    return openSharedLibrary(
        {"libz.so.1"},
        {librarySymbol(ZLIB_SYMBOL(deflateInit2_), f.deflateInitVersioned),
         librarySymbol(ZLIB_SYMBOL(deflate), f.deflateStream),
         librarySymbol(ZLIB_SYMBOL(deflateEnd), f.deflateFinish),
         librarySymbol(ZLIB_SYMBOL(deflateSetDictionary), f.deflateDictionary),
         librarySymbol(ZLIB_SYMBOL(crc32), f.crc), librarySymbol(ZLIB_SYMBOL(adler32), f.adler),
         librarySymbol(ZLIB_SYMBOL(adler32_combine), f.adlerCombine),
         librarySymbol(ZLIB_SYMBOL(gzdopen), f.gzOpenDescriptor),
         librarySymbol(ZLIB_SYMBOL(gzopen), f.gzOpen), librarySymbol(ZLIB_SYMBOL(gzgets), f.gzGets),
         librarySymbol(ZLIB_SYMBOL(gzwrite), f.gzWrite),
         librarySymbol(ZLIB_SYMBOL(gzclose), f.gzClose)},
        error);
}

const ZlibLibrary* zlibLibrary() {
    static LibraryTable<ZlibLibrary> library(openZlib);
    return library.get();
}
