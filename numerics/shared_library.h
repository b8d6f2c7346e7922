// Shared libraries opened on their first use, so that a start that never
// needs a library does not pay for loading it. Each library's functions are
// a table of typed pointers filled from the library's symbols.
#pragma once

#include <initializer_list>
#include <mutex>
#include <string>

namespace kalix {

// A function of a library: its symbol name and the pointer to fill.
struct LibrarySymbol {
    const char* name;
    void** slot;
};

// The name a function has in its library once the header's macros are
// applied (a header may name the 8-bit or 64-bit variant in its place).
#define LIBRARY_SYMBOL_NAME(name) LIBRARY_SYMBOL_NAME_TEXT(name)
#define LIBRARY_SYMBOL_NAME_TEXT(name) #name

template <typename Function>
LibrarySymbol librarySymbol(const char* name, Function*& slot) {
    return {name, reinterpret_cast<void**>(&slot)};
}

// Opens the first of `files` that loads (the dynamic linker's search, by
// file name) and fills every slot. False, with the reason in `error`, when
// none loads or a symbol is missing. The library stays open for the rest of
// the run. Not synchronised: callers open a library once, through a
// LibraryTable.
bool openSharedLibrary(std::initializer_list<const char*> files,
                       std::initializer_list<LibrarySymbol> symbols, std::string& error);

// A library's table of functions, filled by `open` on the first call from
// any thread; later calls give the first answer.
template <typename Table>
class LibraryTable {
  public:
    using Opener = bool (*)(Table& table, std::string& error);
    explicit LibraryTable(Opener open) : open_(open) {}
    LibraryTable(const LibraryTable&) = delete;
    LibraryTable& operator=(const LibraryTable&) = delete;

    // The table; null when the library could not be opened.
    const Table* get() {
        std::call_once(opened_, [this] { loaded_ = open_(table_, error_); });
        return loaded_ ? &table_ : nullptr;
    }
    // Why it could not be opened; empty when it was.
    const std::string& error() {
        get();
        return error_;
    }

  private:
    const Opener open_;
    std::once_flag opened_;
    Table table_{};        // written once, under opened_
    bool loaded_ = false;  // the same
    std::string error_;    // the same
};

}  // namespace kalix
