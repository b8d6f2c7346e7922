#include "base/stale_temporaries.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <ctime>

namespace kalix {

namespace {

// Set while the program loads, before any save.
const std::time_t processStarted = std::time(nullptr);

constexpr size_t suffixLength = 7;  // ".XXXXXX"

// The hidden name a temporary's name begins with, or empty when the name
// is none.
std::string stemOf(const std::string& name) {
    if (name.size() < 2 + suffixLength || name[0] != '.') return "";
    size_t dot = name.size() - suffixLength;
    if (name[dot] != '.') return "";
    for (size_t i = dot + 1; i < name.size(); i++)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return "";
    return name.substr(0, dot);
}

bool sameStem(const std::string& stem, const void* context) {
    return stem == *static_cast<const std::string*>(context);
}

}  // namespace

void removeStaleTemporaries(const std::string& directory,
                            bool (*ours)(const std::string& stem, const void* context),
                            const void* context) {
    DIR* folder = opendir(directory.empty() ? "." : directory.c_str());
    if (!folder) return;
    while (dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        std::string stem = stemOf(name);
        if (stem.empty() || !ours(stem, context)) continue;
        std::string path = directory + name;
        struct stat status;
        if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_mtime < processStarted)
            unlink(path.c_str());
    }
    closedir(folder);
}

void removeStaleTemporariesOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name[0] != '.') name = "." + name;
    removeStaleTemporaries(directory, sameStem, &name);
}

}  // namespace kalix
