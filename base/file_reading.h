// Whole files read into memory without exceptions: a directory, a file
// that cannot be opened and a read error are all "cannot be read".
#pragma once

#include <string>

// The bytes of the file at `path` into `bytes`; 0 (and `bytes` empty) when
// it cannot be read.
int readWholeFile(const char* path, std::string& bytes);
