// Shared libraries opened on their first use, so that a start that never
// needs a library does not pay for loading it. Each library's functions are
// a table of typed pointers filled from the library's symbols.
#pragma once

#include <initializer_list>
#include <string>

// A function of a library: its symbol name and the pointer to fill.
struct LibrarySymbol {
    const char* name;
    void** slot;
};

template <typename Function>
LibrarySymbol librarySymbol(const char* name, Function*& slot) {
    return {name, reinterpret_cast<void**>(&slot)};
}

// Opens the first of `files` that loads (the dynamic linker's search, by
// file name) and fills every slot. False, with the reason in `error`, when
// none loads or a symbol is missing. The library stays open for the rest of
// the run. Not synchronised: callers open a library once, under
// std::call_once.
bool openSharedLibrary(std::initializer_list<const char*> files,
                       std::initializer_list<LibrarySymbol> symbols, std::string& error);
