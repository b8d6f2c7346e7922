// Maps keyed by names, searched with a std::string_view or a C text without
// building a string: the builtin and command indexes, the global store and
// the settings files use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kalix {

// Names are short and looked up often: FNV-1a and a plain loop cost a few
// instructions a character, less than the library's hash and memcmp. The
// hash is not noexcept, so a table keeps each node's hash and compares it
// before the name.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const {
        uint64_t hash = 14695981039346656037u;
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211u;
        return hash;
    }
};
struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); i++)
            if (a[i] != b[i]) return false;
        return true;
    }
};

template <typename Value>
using NameMap = std::unordered_map<std::string, Value, NameHash, NameEqual>;

// Names to positions.
using NameIndex = NameMap<size_t>;

}  // namespace kalix
