#include "base/file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int readWholeFile(const char* path, std::string& bytes) {
    bytes.clear();
    int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return 0;
    struct stat status;
    bool ok = fstat(descriptor, &status) == 0 && !S_ISDIR(status.st_mode);
    if (ok && S_ISREG(status.st_mode)) bytes.reserve(size_t(status.st_size));
    char buffer[1 << 16];
    while (ok) {
        ssize_t n = read(descriptor, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        bytes.append(buffer, size_t(n));
    }
    close(descriptor);
    if (!ok) bytes.clear();
    return ok ? 1 : 0;
}
