// Whole files read into memory without exceptions: a directory, a file
// that cannot be opened and a read error are all "cannot be read", and so
// are a device, a pipe and a file of more than `wholeFileLimit` bytes,
// which would never end or fill the memory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kalix {

constexpr size_t wholeFileLimit = size_t(1) << 30;

// The bytes of the regular file at `path` into `bytes`; 0 (and `bytes`
// empty) when it cannot be read.
int readWholeFile(const char* path, std::string& bytes);
// The same for a file open for reading (from its current position).
int readWholeDescriptor(int descriptor, std::string& bytes);

// The lines of such a file, each without its line end ("\n", and a "\r"
// before it); 0 (and no lines) when it cannot be read.
int readFileLines(const char* path, std::vector<std::string>& lines);

}  // namespace kalix
