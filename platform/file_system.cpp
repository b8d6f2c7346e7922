// Host services for files: tests, copies, removal, directories and the one
// shared directory search of `dir` and `searchfile`.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/host.h"

namespace kalix {

int checkFileExists(const char* name) { return access(name, F_OK) == 0; }

namespace {

bool writeAll(int fd, const char* bytes, size_t n) {
    while (n > 0) {
        ssize_t written = write(fd, bytes, n);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        n -= size_t(written);
    }
    return true;
}

// Copies block by block; with `escapeStops` Escape between two blocks
// stops it (a source without end, such as a device, would fill the disk).
bool copyBytes(int in, int out, bool escapeStops) {
    std::vector<char> buffer(size_t(1) << 16);
    for (;;) {
        if (escapeStops && checkEscape()) return false;
        ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!writeAll(out, buffer.data(), size_t(n))) return false;
    }
}

// A part of a copy is no copy: the target written is removed when it is
// a file of its own, emptied when a link leads to it; a device stays.
void dropPartialCopy(int out, const char* to) {
    struct stat written;
    struct stat named;
    if (fstat(out, &written) != 0 || !S_ISREG(written.st_mode)) return;
    if (lstat(to, &named) == 0 && S_ISREG(named.st_mode) && named.st_dev == written.st_dev &&
        named.st_ino == written.st_ino)
        unlink(to);
    else if (ftruncate(out, 0) != 0) {
        // Nothing more can be done about it.
    }
}

}  // namespace

int copyFile(const char* from, const char* to, int escapeStops) {
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return 0;
    struct stat source;
    struct stat target;
    // Copying a file onto itself would empty it before it is read.
    bool refused = fstat(in, &source) != 0 || S_ISDIR(source.st_mode) ||
                   (stat(to, &target) == 0 && target.st_dev == source.st_dev &&
                    target.st_ino == source.st_ino);
    int out =
        refused ? -1 : open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, source.st_mode & 07777);
    bool ok = out >= 0 && copyBytes(in, out, escapeStops != 0);
    close(in);
    if (out >= 0 && !ok) dropPartialCopy(out, to);
    if (out >= 0 && close(out) != 0) ok = false;
    return ok ? 1 : 0;
}

int removeFile(const char* name) { return unlink(name) == 0 ? 1 : 0; }

int makeDirectory(const char* name) {
    mkdir(name, 0777);
    return checkFileExists(name);
}

namespace {

// The search of `findNextFile`: every match, found when it starts.
std::vector<std::string> foundNames;
size_t nextFound = 0;
bool searchActive = false;

// The file part of a pattern for fnmatch: "*" and "?" are the only
// wildcards, every other character stands for itself.
std::string wildcardPattern(const char* pattern) {
    std::string text;
    for (const char* p = pattern; *p; p++) {
        if (*p == '[' || *p == '\\') text += '\\';
        text += *p;
    }
    return text;
}

bool isDirectory(const std::string& directory, const dirent* entry) {
    if (entry->d_type == DT_DIR) return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
    struct stat info;
    return stat((directory + "/" + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void startSearch(const char* pattern) {
    foundNames.clear();
    nextFound = 0;
    std::string text = pattern;
    size_t slash = text.rfind('/');
    std::string directory = ".";
    if (slash != std::string::npos) directory.assign(text, 0, slash == 0 ? 1 : slash);
    std::string files = wildcardPattern(slash == std::string::npos ? pattern : pattern + slash + 1);
    DIR* listing = opendir(directory.c_str());
    if (!listing) return;
    std::vector<std::pair<std::string, bool>> found;  // name, directory
    while (const dirent* entry = readdir(listing)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (fnmatch(files.c_str(), name, 0) != 0) continue;
        found.emplace_back(name, isDirectory(directory, entry));
    }
    closedir(listing);
    std::sort(found.begin(), found.end());
    foundNames.reserve(found.size());
    for (auto& [name, isDir] : found) {
        foundNames.push_back(std::move(name));
        if (isDir) foundNames.back() += '/';
    }
}

}  // namespace

const char* findNextFile(const char* pattern) {
    if (pattern) {
        startSearch(pattern);
        searchActive = true;
    }
    if (!searchActive || nextFound >= foundNames.size()) {
        searchActive = false;
        foundNames.clear();
        nextFound = 0;
        return nullptr;
    }
    return foundNames[nextFound++].c_str();
}

}  // namespace kalix
