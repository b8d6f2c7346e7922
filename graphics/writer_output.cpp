// The writers' output buffer.
#include "graphics/writer_output.h"

#include <cmath>
#include <cstdarg>

void WriterOutput::fixed(double v, int places) {
    char digits[400];
    auto end = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed, places);
    if (end.ec != std::errc()) return format("%.*f", places, v);
    buffer.append(digits, end.ptr);
}

void WriterOutput::general(double v) {
    char digits[64];
    auto end = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::general, 6);
    if (end.ec != std::errc()) return format("%g", v);
    buffer.append(digits, end.ptr);
}

void WriterOutput::format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (n > 0) buffer.append(text, size_t(n) < sizeof text ? size_t(n) : sizeof text - 1);
}

void WriterOutput::flush() {
    if (buffer.empty()) return;
    if (!writeFailed && !sink.write(buffer.data(), buffer.size())) writeFailed = true;
    buffer.clear();
}
