#include "numerics/shared_library.h"

#include <dlfcn.h>

namespace kalix {

bool openSharedLibrary(std::initializer_list<const char*> files,
                       std::initializer_list<LibrarySymbol> symbols, std::string& error) {
    void* handle = nullptr;
    for (const char* file : files) {
        handle = dlopen(file, RTLD_LAZY | RTLD_LOCAL);
        if (handle) break;
        const char* reason = dlerror();
        if (error.empty() && reason) error = reason;
    }
    if (!handle) return false;
    error.clear();
    for (const LibrarySymbol& symbol : symbols) {
        *symbol.slot = dlsym(handle, symbol.name);
        if (!*symbol.slot) {
            const char* reason = dlerror();
            error = reason ? reason : std::string("no symbol ") + symbol.name;
            for (const LibrarySymbol& s : symbols) *s.slot = nullptr;
            return false;
        }
    }
    return true;
}

}  // namespace kalix
