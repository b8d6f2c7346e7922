// Files written through a new file beside the target.
#include "graphics/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace kalix {

bool hasExtension(const std::string& name) {
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

SafeFile::SafeFile(const std::string& target) : target(target) {
    struct stat info;
    direct = stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
    if (direct) {
        fd = open(target.c_str(), O_WRONLY | O_TRUNC);
        return;
    }
    static std::atomic<int> counter{0};
    partial = target + ".partial" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    fd = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
}

SafeFile::~SafeFile() {
    if (!committed) commit(false);
}

bool SafeFile::commit(bool ok) {
    committed = true;
    if (fd >= 0) {
        ok = close(fd) == 0 && ok;
        fd = -1;
    }
    if (direct) return ok;
    if (partial.empty()) return false;
    if (ok && std::rename(partial.c_str(), target.c_str()) == 0) return true;
    unlink(partial.c_str());
    return false;
}

}  // namespace kalix
