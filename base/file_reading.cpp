#include "base/file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kalix {

int readWholeFile(const char* path, std::string& bytes) {
    bytes.clear();
    // Without waiting: opening a pipe that nobody writes would block.
    int descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return 0;
    int ok = readWholeDescriptor(descriptor, bytes);
    close(descriptor);
    return ok;
}

int readWholeDescriptor(int descriptor, std::string& bytes) {
    bytes.clear();
    struct stat status;
    bool ok = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
              size_t(status.st_size) <= wholeFileLimit;
    if (ok) bytes.reserve(size_t(status.st_size));
    char buffer[1 << 16];
    while (ok) {
        ssize_t n = read(descriptor, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        bytes.append(buffer, size_t(n));
        // A file that grows while it is read.
        if (bytes.size() > wholeFileLimit) ok = false;
    }
    if (!ok) bytes.clear();
    return ok ? 1 : 0;
}

int readFileLines(const char* path, std::vector<std::string>& lines) {
    lines.clear();
    std::string bytes;
    if (!readWholeFile(path, bytes)) return 0;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        size_t stop = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
        lines.emplace_back(bytes, start, stop - start);
        start = end + 1;
    }
    return 1;
}

}  // namespace kalix
