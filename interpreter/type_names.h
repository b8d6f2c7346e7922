// The names of the value kinds, indexed by the kind (interpreter/stack.h).
// A header of its own: the Python bridge library, which is built apart and
// never links the interpreter, names the kinds from the same table.
#pragma once

namespace kalix {

inline constexpr const char* typeNames[] = {
    "real",
    "complex",
    "real matrix",
    "complex matrix",
    "reference",
    "command",
    "submatrix",
    "complex submatrix",
    "string",
    "function",
    "interval",
    "interval matrix",
    "interval submatrix",
    "string matrix",
    "compress sparse matrix",
    "string subvector",
    "collection",
    "binary",
};

}  // namespace kalix
