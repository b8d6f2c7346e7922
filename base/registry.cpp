#include "base/registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace kalix {

using Entries = std::vector<std::pair<std::string, std::string>>;

static std::atomic<unsigned> generation{1};

unsigned settingsGeneration() { return generation.load(std::memory_order_acquire); }
void noteSettingsChanged() { generation.fetch_add(1, std::memory_order_acq_rel); }

std::string settingLine(const char* name, const char* value) {
    std::string line = name;
    line += "=\"";
    size_t start = line.size();
    line += value;
    // A line break would split the entry and end the reading of the file.
    for (size_t i = start; i < line.size(); i++)
        if (line[i] == '\n' || line[i] == '\r') line[i] = ' ';
    line += "\"\n";
    return line;
}

void writeSettingLine(FILE* file, const char* name, const char* value) {
    std::fputs(settingLine(name, value).c_str(), file);
}

int parseSettingLine(char* line, const char** name, const char** value) {
    char* equals = std::strchr(line, '=');
    if (!equals) return 0;
    *equals = 0;
    char* text = equals + 1;
    bool quoted = *text == '"';
    if (quoted) text++;
    size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) text[--length] = 0;
    if (quoted && length > 0 && text[length - 1] == '"') text[--length] = 0;
    *name = line;
    *value = text;
    return 1;
}

int readSettingsFile(const char* path,
                     void (*add)(void* context, const char* name, const char* value),
                     void* context) {
    FILE* file = std::fopen(path, "r");
    if (!file) return 0;
    char* line = nullptr;
    size_t size = 0;
    while (getline(&line, &size, file) >= 0) {
        const char* name;
        const char* value;
        if (!parseSettingLine(line, &name, &value)) break;
        add(context, name, value);
    }
    std::free(line);
    std::fclose(file);
    return 1;
}

std::string userHomeDirectory() {
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
        passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : "";
    }
    std::string directory = home;
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    return directory;
}

static std::string configDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    return userHomeDirectory() + "/.config";
}

std::string registryFilePath(const char* fileName) {
    return configDirectory() + "/kalix/" + fileName;
}

// The file's entries, read once per path and replaced after each write of
// this process; changes made by another process show after a write or a
// change of path.
namespace {

struct RegistryCache {
    std::string path;
    bool loaded = false;
    std::string fileName, xdg, home;  // what the path was made from
    Entries entries;
    NameIndex index;  // the first entry of each name
};

std::mutex registryMutex;
RegistryCache cache;

void addEntry(void* context, const char* name, const char* value) {
    static_cast<Entries*>(context)->emplace_back(name, value);
}

Entries entriesOnDisk(const std::string& path) {
    Entries entries;
    readSettingsFile(path.c_str(), addEntry, &entries);
    return entries;
}

void fillCache(const std::string& path, Entries entries) {
    noteSettingsChanged();
    cache.fileName.clear();  // currentEntries records what the path came from
    cache.path = path;
    cache.loaded = true;
    cache.entries = std::move(entries);
    cache.index.clear();
    for (size_t i = 0; i < cache.entries.size(); i++)
        cache.index.try_emplace(cache.entries[i].first, i);
}

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The entries for the file's current path; the path is made again only
// when the environment changed.
const RegistryCache& currentEntries(const char* fileName) {
    if (cache.loaded && cache.fileName == fileName && cache.xdg == environment("XDG_CONFIG_HOME") &&
        cache.home == environment("HOME"))
        return cache;
    std::string path = registryFilePath(fileName);
    if (!cache.loaded || cache.path != path) fillCache(path, entriesOnDisk(path));
    cache.fileName = fileName;
    cache.xdg = environment("XDG_CONFIG_HOME");
    cache.home = environment("HOME");
    return cache;
}

bool makeDirectories(const std::string& directory) {
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        std::string part = directory.substr(0, slash);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

// Writes all entries to a new file that then replaces the old one.
bool storeEntries(const std::string& path, const Entries& entries) {
    if (!makeDirectories(path.substr(0, path.rfind('/')))) return false;
    std::string temporary = path + ".XXXXXX";
    int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return false;
    FILE* file = fdopen(descriptor, "w");
    if (!file) {
        close(descriptor);
        unlink(temporary.c_str());
        return false;
    }
    for (const auto& [name, value] : entries) writeSettingLine(file, name.c_str(), value.c_str());
    bool written = !std::ferror(file);
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        cache.loaded = false;
        noteSettingsChanged();
        return false;
    }
    fillCache(path, entries);
    return true;
}

}  // namespace

int registryRead(const char* fileName, const char* name, std::string& value) {
    std::lock_guard<std::mutex> lock(registryMutex);
    const RegistryCache& current = currentEntries(fileName);
    auto found = current.index.find(name);
    if (found == current.index.end()) return 0;
    value = current.entries[found->second].second;
    return 1;
}

int registryWrite(const char* fileName, const char* name, const char* value) {
    return registryWriteAll(fileName, {{name, value}});
}

int registryWriteAll(const char* fileName, const Entries& changes) {
    std::lock_guard<std::mutex> lock(registryMutex);
    std::string path = registryFilePath(fileName);
    Entries entries = entriesOnDisk(path);
    for (const auto& [name, value] : changes) {
        bool replaced = false;
        for (size_t i = 0; i < entries.size();) {
            if (entries[i].first != name) {
                i++;
            } else if (!replaced) {
                entries[i++].second = value;
                replaced = true;
            } else {
                entries.erase(entries.begin() + i);
            }
        }
        if (!replaced) entries.emplace_back(name, value);
    }
    return storeEntries(path, entries);
}

int registryDelete(const char* fileName, const char* name) {
    std::lock_guard<std::mutex> lock(registryMutex);
    std::string path = registryFilePath(fileName);
    Entries entries = entriesOnDisk(path);
    size_t before = entries.size();
    std::erase_if(entries, [name](const auto& entry) { return entry.first == name; });
    if (entries.size() == before) return 1;
    return storeEntries(path, entries);
}

int registryDeleteAll(const char* fileName) {
    std::lock_guard<std::mutex> lock(registryMutex);
    cache.loaded = false;
    noteSettingsChanged();
    return unlink(registryFilePath(fileName).c_str()) == 0 || errno == ENOENT;
}

std::vector<std::pair<std::string, std::string>> registryEntries(const char* fileName) {
    std::lock_guard<std::mutex> lock(registryMutex);
    return currentEntries(fileName).entries;
}

}  // namespace kalix
