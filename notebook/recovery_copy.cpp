#include "notebook/recovery_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/file_reading.h"
#include "base/registry.h"
#include "notebook/notebook_model.h"

namespace kalix {

namespace {

const char copyName[] = "copy.kn";
const char notebookName[] = "notebook";  // the notebook's own path, one line
const char lockName[] = "lock";

bool exists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    std::remove(path);
    return 0;
}

// The folder and everything in it; symbolic links are removed, never followed.
void removeFolder(const std::string& folder) {
    if (folder.empty()) return;
    nftw(folder.c_str(), removeEntry, 8, FTW_DEPTH | FTW_PHYS);
}

// Opens and locks the folder's lock file without waiting: -1 when another
// run holds it (or it cannot be opened).
int lockFolder(const std::string& folder) {
    int fd = open((folder + lockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void closeLock(int& lock) {
    if (lock >= 0) close(lock);
    lock = -1;
}

// Writes `text` to `path` through a temporary and a rename.
bool writeFileAtomically(const std::string& path, const std::string& text) {
    std::string temporary = path + ".new";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fflush(file) == 0 && fsync(fileno(file)) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::string timeText(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

}  // namespace

std::string recoveryRoot() { return registryFilePath("recovery/"); }

// The path with its longest existing part resolved (symbolic links, "."
// and ".."); the rest appended as given. No trailing "/".
static std::string resolvedPath(const std::string& path) {
    std::string head = path, tail;
    for (;;) {
        while (head.size() > 1 && head.back() == '/') head.pop_back();
        char resolved[PATH_MAX];
        if (!head.empty() && realpath(head.c_str(), resolved)) {
            std::string result = resolved;
            if (tail.empty()) return result;
            return result + (result.back() == '/' ? "" : "/") + tail;
        }
        size_t slash = head.rfind('/');
        if (slash == std::string::npos) return path;
        std::string name = head.substr(slash + 1);
        tail = tail.empty() ? name : name + "/" + tail;
        head = slash == 0 ? "/" : head.substr(0, slash);
    }
}

bool isRecoveryPath(const std::string& path) {
    if (path.empty()) return false;
    std::string root = resolvedPath(recoveryRoot());
    std::string resolved = resolvedPath(path);
    return resolved == root || resolved.compare(0, root.size() + 1, root + "/") == 0;
}

// --- a copy found at the start -------------------------------------------------------------

FoundRecoveryCopy::~FoundRecoveryCopy() { release(); }

FoundRecoveryCopy::FoundRecoveryCopy(FoundRecoveryCopy&& other) noexcept {
    *this = std::move(other);
}

FoundRecoveryCopy& FoundRecoveryCopy::operator=(FoundRecoveryCopy&& other) noexcept {
    if (this == &other) return *this;
    release();
    folder = std::move(other.folder);
    copyPath = std::move(other.copyPath);
    notebookPath = std::move(other.notebookPath);
    madeAt = other.madeAt;
    lock = std::exchange(other.lock, -1);
    return *this;
}

std::string FoundRecoveryCopy::notebookName() const {
    if (notebookPath.empty()) return "a new notebook";
    size_t slash = notebookPath.rfind('/');
    return slash == std::string::npos ? notebookPath : notebookPath.substr(slash + 1);
}

std::string FoundRecoveryCopy::question() const {
    return "Kalix ended without saving " + notebookName() + ". Open the copy made at " +
           timeText(madeAt) + "?";
}

std::string FoundRecoveryCopy::notice() const {
    return "Kalix ended without saving " + notebookName() + ". The copy made at " +
           timeText(madeAt) + " is " + copyPath;
}

void FoundRecoveryCopy::deleteCopy() {
    removeFolder(folder);
    release();
}

void FoundRecoveryCopy::release() { closeLock(lock); }

std::vector<FoundRecoveryCopy> findRecoveryCopies() {
    std::vector<FoundRecoveryCopy> found;
    std::string root = recoveryRoot();
    DIR* directory = opendir(root.c_str());
    if (!directory) return found;
    std::vector<std::string> folders;
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat status;
        std::string folder = root + name;
        if (lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            folders.push_back(folder + "/");
    }
    closedir(directory);
    for (const std::string& folder : folders) {
        FoundRecoveryCopy copy;
        copy.lock = lockFolder(folder);
        if (copy.lock < 0) continue;  // a running Kalix keeps it
        copy.folder = folder;
        copy.copyPath = folder + copyName;
        struct stat status;
        if (stat(copy.copyPath.c_str(), &status) != 0) {
            copy.deleteCopy();
            continue;
        }
        copy.madeAt = status.st_mtime;
        std::string path;
        if (readWholeFile((folder + notebookName).c_str(), path)) {
            while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
            copy.notebookPath = path;
        }
        found.push_back(std::move(copy));
    }
    std::sort(
        found.begin(), found.end(),
        [](const FoundRecoveryCopy& a, const FoundRecoveryCopy& b) { return a.madeAt > b.madeAt; });
    return found;
}

// --- this run's copy ---------------------------------------------------------------------------

RecoveryCopy::~RecoveryCopy() { closeLock(lock); }

// A new folder "<pid>-<n>" under the root, locked.
bool RecoveryCopy::makeFolder() {
    if (lock >= 0) return true;
    std::string root = recoveryRoot();
    // Each folder of the path, the settings' own folder included.
    for (size_t slash = root.find('/', 1); slash != std::string::npos;
         slash = root.find('/', slash + 1))
        mkdir(root.substr(0, slash).c_str(), 0700);
    for (int n = 0; n < 100; n++) {
        std::string name = std::to_string(getpid()) + "-" + std::to_string(n);
        std::string candidate = root + name + "/";
        if (mkdir(candidate.c_str(), 0700) != 0) continue;
        lock = lockFolder(candidate);
        if (lock < 0) {
            removeFolder(candidate);
            return false;
        }
        folder = candidate;
        notebookPath = "\n";  // none written yet
        return true;
    }
    return false;
}

int RecoveryCopy::keep(NotebookEditor& editor, bool wanted) {
    std::lock_guard<std::mutex> guard(mutex);
    if (!wanted) {
        if (present) removeLocked();
        return 0;
    }
    uint64_t changes;
    std::string path;
    {
        TextLockHold hold(editor, "recovery copy");
        changes = editor.changeCount();
        path = editor.getFilePath();
    }
    // A copy opened as a file is a new notebook of the user's.
    if (isRecoveryPath(path)) path.clear();
    if (present && changes == written && path == notebookPath) return 0;
    if (!makeFolder()) return 0;
    // The notebook's name first: a copy is never offered under another one.
    if (path != notebookPath) {
        if (!writeFileAtomically(folder + notebookName, path + "\n")) return 0;
        notebookPath = path;
    }
    uint64_t held = 0;
    if (!editor.writeCopy((folder + copyName).c_str(), held)) return 0;
    present = true;
    written = held;
    return 1;
}

void RecoveryCopy::remove() {
    std::lock_guard<std::mutex> guard(mutex);
    removeLocked();
}

void RecoveryCopy::removeLocked() {
    if (!folder.empty()) removeFolder(folder);
    folder.clear();
    closeLock(lock);
    present = false;
    notebookPath.clear();
}

void RecoveryCopy::takeOver(FoundRecoveryCopy& found, uint64_t modifications) {
    std::lock_guard<std::mutex> guard(mutex);
    removeLocked();
    folder = found.folder;
    lock = std::exchange(found.lock, -1);
    notebookPath = found.notebookPath;
    present = exists(found.copyPath);
    written = modifications;
}

std::string RecoveryCopy::copyPath() {
    std::lock_guard<std::mutex> guard(mutex);
    return present ? folder + copyName : std::string();
}

}  // namespace kalix
