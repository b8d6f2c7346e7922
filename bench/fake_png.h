// A PNG file of the given size whose data the notebook never reads: the
// header, `bytes` bytes of data and the end chunk.
#pragma once

#include <string>

namespace kalix {

inline std::string fakePng(unsigned width, unsigned height, size_t bytes) {
    auto bigEndian = [](unsigned v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    std::string png("\x89PNG\r\n\x1a\n", 8);
    png += bigEndian(13) + "IHDR" + bigEndian(width) + bigEndian(height);
    png += std::string("\x08\x02\x00\x00\x00", 5) + bigEndian(0);
    png += bigEndian(unsigned(bytes)) + "IDAT" + std::string(bytes, 'p') + bigEndian(0);
    png += bigEndian(0) + "IEND" + bigEndian(0);
    return png;
}

}  // namespace kalix
