#include "base/settings.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <vector>

#include "base/file_reading.h"
#include "base/registry.h"
#include "base/setting_keys.h"

namespace kalix {

SettingsStore settings("settings");
String screenKeyPrefix("", 64);

// Numbers are read like "%d" / "%lg" would (leading blanks, a sign), but in
// the "C" locale whatever the user's locale is; anything else gives the
// default.
static const char* skipToNumber(const char* text) {
    while (std::isspace(static_cast<unsigned char>(*text))) text++;
    if (text[0] == '+' && text[1] != '-') text++;
    return text;
}

static int parseInt(const char* text, int defaultValue) {
    const char* start = skipToNumber(text);
    int value;
    auto [end, error] = std::from_chars(start, start + std::strlen(start), value);
    return error == std::errc() ? value : defaultValue;
}

static double parseDouble(const char* text, double defaultValue) {
    const char* start = skipToNumber(text);
    double value;
    auto [end, error] = std::from_chars(start, start + std::strlen(start), value);
    return error == std::errc() ? value : defaultValue;
}

SettingsStore::SettingsStore(const char* fileName) : fileName(fileName) {}

SettingsStore::~SettingsStore() = default;

// With a profile list only the profile counts; otherwise the per-user file.
// False when the name is not stored.
bool SettingsStore::lookup(const char* name, std::string& value) const {
    if (frozen) return false;
    std::shared_lock hold(lock);
    if (!profile.empty()) {
        auto found = profileIndex.find(name);
        if (found == profileIndex.end() || profile[found->second].removed) return false;
        value = profile[found->second].value.getText();
        return true;
    }
    return registryRead(fileName.getText(), name, value);
}

namespace {

// The results of getSetting and makeScreenKey, one pair per thread, so that
// readers on different threads don't clash. Held through a thread key, not
// a thread_local object: the C library ends the process when it cannot
// register a thread_local's clean-up, where a failed `new` can be caught.
struct ThreadSettingTexts {
    String value{"", 256};
    String screenKey{"", 64};
};

ThreadSettingTexts& threadSettingTexts() {
    static const pthread_key_t key = [] {
        pthread_key_t made;
        if (pthread_key_create(
                &made, [](void* texts) { delete static_cast<ThreadSettingTexts*>(texts); }) != 0)
            throw std::bad_alloc();
        return made;
    }();
    auto* texts = static_cast<ThreadSettingTexts*>(pthread_getspecific(key));
    if (!texts) {
        texts = new ThreadSettingTexts;
        if (pthread_setspecific(key, texts) != 0) {
            delete texts;
            throw std::bad_alloc();
        }
    }
    return *texts;
}

}  // namespace

const char* SettingsStore::getSetting(const char* name, const char* defaultText) {
    String& value = threadSettingTexts().value;
    std::string found;
    if (!lookup(name, found)) return defaultText;
    value.assign(found.c_str());
    return value.getText();
}

int SettingsStore::readIntSetting(const char* name, int defaultValue) {
    std::string found;
    return lookup(name, found) ? parseInt(found.c_str(), defaultValue) : defaultValue;
}

// Colours are stored as the signed value of their code, like ints.
int SettingsStore::readColorSetting(const char* name, int defaultValue) {
    return readIntSetting(name, defaultValue);
}

double SettingsStore::readDoubleSetting(const char* name, double defaultValue) {
    std::string found;
    return lookup(name, found) ? parseDouble(found.c_str(), defaultValue) : defaultValue;
}

void SettingsStore::writeSetting(const char* name, const char* text) {
    if (frozen) return;
    std::unique_lock hold(lock);
    writeHeld(name, text);
}

void SettingsStore::writeHeld(const char* name, const char* text) {
    if (!writingProfile) {
        // With a profile loaded, reads come from it and the exit writes it
        // back: the value changes there, so later reads see it.
        if (!profile.empty()) {
            auto found = profileIndex.find(name);
            if (found != profileIndex.end()) {
                profile[found->second].value.assign(text);
                profile[found->second].removed = false;
            } else {
                addProfileEntry(this, name, text);
            }
        } else {
            registryWrite(fileName.getText(), name, text);
        }
        noteSettingsChanged();
        return;
    }
    // Reading takes the first line of a name; later ones would be dead.
    if (!writtenNames.insert(name).second) return;
    written.emplace_back(name, text);
}

void SettingsStore::writeIntSetting(const char* name, int value) {
    char buffer[32];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, value).ptr = 0;
    writeSetting(name, buffer);
}

void SettingsStore::writeColorSetting(const char* name, int value) { writeIntSetting(name, value); }

void SettingsStore::writeDoubleSetting(const char* name, double value) {
    char buffer[64];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::scientific, 15)
         .ptr = 0;
    writeSetting(name, buffer);
}

void SettingsStore::deleteSetting(const char* name) {
    if (frozen) return;
    std::unique_lock hold(lock);
    // Every entry of the name: a profile may hold one twice.
    if (profileIndex.find(name) != profileIndex.end())
        for (ProfileEntry& entry : profile)
            if (std::strcmp(entry.name.getText(), name) == 0) entry.removed = true;
    registryDelete(fileName.getText(), name);
    noteSettingsChanged();
}

void SettingsStore::deleteRegistryKey() {
    if (frozen) return;
    std::unique_lock hold(lock);
    registryDeleteAll(fileName.getText());
    noteSettingsChanged();
}

void SettingsStore::setFrozen(int frozen) {
    this->frozen = frozen;
    noteSettingsChanged();
}

void SettingsStore::addProfileEntry(void* context, const char* name, const char* value) {
    auto* store = static_cast<SettingsStore*>(context);
    store->profileIndex.try_emplace(name, store->profile.size());
    store->profile.push_back({String(name), String(value)});
}

void SettingsStore::loadProfile(const char* path) {
    if (frozen) return;
    std::unique_lock hold(lock);
    readSettingsFile(path, addProfileEntry, this);
    noteSettingsChanged();
}

int SettingsStore::isProfileOpen() const {
    std::shared_lock hold(lock);
    return writingProfile;
}

int SettingsStore::hasProfile() const {
    std::shared_lock hold(lock);
    return !profile.empty();
}

int SettingsStore::openProfileForWriting(const char* path) {
    std::unique_lock hold(lock);
    closeHeld();
    writingProfile = true;
    outputPath = path;
    writtenNames.clear();
    written.clear();
    std::string folder = path;
    size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

int SettingsStore::closeProfile() {
    std::unique_lock hold(lock);
    return closeHeld();
}

// Puts `text` in place of the file at `path` through a temporary file
// beside it, keeping the old file's access rights; a file that holds the
// text already is not touched. Null, else what went wrong.
static const char* replaceFileText(const char* path, const std::string& text) {
    std::string old;
    if (readWholeFile(path, old) && old == text) return nullptr;
    // A profile without write permission was frozen by its user (the
    // rename would replace it all the same, and root may write anything).
    struct stat oldStatus;
    bool existed = stat(path, &oldStatus) == 0;
    if (existed && ((oldStatus.st_mode & 0222) == 0 || access(path, W_OK) != 0))
        return "it is read-only";
    std::string temporary = std::string(path) + ".XXXXXX";
    int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return "its temporary file could not be made";
    if (existed) fchmod(descriptor, oldStatus.st_mode & 07777);
    const char* problem = nullptr;
    FILE* output = fdopen(descriptor, "w");
    if (!output) {
        close(descriptor);
        problem = "its temporary file could not be made";
    } else {
        bool complete = std::fwrite(text.data(), 1, text.size(), output) == text.size();
        complete = std::fclose(output) == 0 && complete;
        if (!complete)
            problem = "its temporary file could not be written";
        else if (std::rename(temporary.c_str(), path) != 0)
            problem = std::strerror(errno);
    }
    if (problem) unlink(temporary.c_str());
    return problem;
}

int SettingsStore::closeHeld() {
    if (!writingProfile) return 0;
    writingProfile = false;
    writtenNames.clear();
    std::string text;
    for (const auto& [name, value] : written) text += settingLine(name.c_str(), value.c_str());
    const char* problem = replaceFileText(outputPath.getText(), text);
    if (!problem) {
        written.clear();
        return 1;
    }
    // The settings are not lost: the per-user file takes them.
    std::string fallback = registryFilePath(fileName.getText());
    if (registryWriteAll(fileName.getText(), written))
        std::fprintf(stderr,
                     "Kalix: could not replace the profile %s (%s); the settings went to %s.\n",
                     outputPath.getText(), problem, fallback.c_str());
    else
        std::fprintf(stderr, "Kalix: could not replace the profile %s (%s) nor write %s.\n",
                     outputPath.getText(), problem, fallback.c_str());
    written.clear();
    noteSettingsChanged();
    return 0;
}

void SettingsStore::writeStoredSettings() {
    if (frozen) return;
    std::unique_lock hold(lock);
    if (!writingProfile) return;
    if (!profile.empty()) {
        for (const ProfileEntry& entry : profile)
            if (!entry.removed) writeHeld(entry.name.getText(), entry.value.getText());
        return;
    }
    for (const auto& [name, value] : registryEntries(fileName.getText()))
        writeHeld(name.c_str(), value.c_str());
}

const char* makeScreenKey(const char* name) {
    String& key = threadSettingTexts().screenKey;
    key.assign(screenKeyPrefix.getText());
    key.append(name);
    return key.getText();
}

int readIntSetting(const char* key, int defaultValue) {
    return settings.readIntSetting(key, defaultValue);
}
int readColorSetting(const char* key, int defaultValue) {
    return settings.readColorSetting(key, defaultValue);
}
double readDoubleSetting(const char* key, double defaultValue) {
    return settings.readDoubleSetting(key, defaultValue);
}
const char* readTextSetting(const char* key, const char* defaultText) {
    return settings.getSetting(key, defaultText);
}

// The table's default text of a key, also for a key made by makeScreenKey;
// "" when the default is worked out at start or the key is unknown.
// `*direct` tells whether the key is in the table itself, so that the
// answer does not depend on screenKeyPrefix.
static const char* tableDefault(const char* key, bool* direct = nullptr) {
    const SettingKey* row = findSettingKey(key);
    if (direct) *direct = row != nullptr;
    size_t prefixLength = screenKeyPrefix.length();
    if (!row && prefixLength > 0 && std::strncmp(key, screenKeyPrefix.getText(), prefixLength) == 0)
        row = findSettingKey(key + prefixLength);
    if (!row || (row->flags & settingComputedDefault)) return "";
    return row->defaultText;
}

namespace {

// Values intSetting read on this thread. Callers pass literals, so a slot
// is chosen by the key's address and holds the key's text, which decides;
// a slot counts while its generation is the current one. The environment
// that places the per-user file is taken as fixed: the program never
// changes it.
struct CachedSetting {
    unsigned generation;  // 0: empty
    int value;
    char key[48];
};
constexpr unsigned settingCacheSlots = 64;
thread_local CachedSetting settingCache[settingCacheSlots];

bool sameKey(const char* stored, const char* key) {
    for (size_t i = 0;; i++) {
        if (stored[i] != key[i]) return false;
        if (!key[i]) return true;
    }
}

}  // namespace

int intSetting(const char* key) {
    CachedSetting& slot = settingCache[(reinterpret_cast<uintptr_t>(key) >> 3) % settingCacheSlots];
    // Taken before the store is read: a change meanwhile leaves the slot old.
    unsigned generation = settingsGeneration();
    if (slot.generation == generation && sameKey(slot.key, key)) return slot.value;
    bool direct;
    int value = settings.readIntSetting(key, parseInt(tableDefault(key, &direct), 0));
    size_t length = std::strlen(key);
    if (direct && length < sizeof slot.key) {
        std::memcpy(slot.key, key, length + 1);
        slot.value = value;
        slot.generation = generation;
    }
    return value;
}
double doubleSetting(const char* key) {
    return settings.readDoubleSetting(key, parseDouble(tableDefault(key), 0.0));
}
const char* textSetting(const char* key) { return settings.getSetting(key, tableDefault(key)); }

void writeSetting(const char* key, const char* text) { settings.writeSetting(key, text); }
void writeIntSetting(const char* key, int value) { settings.writeIntSetting(key, value); }
void writeColorSetting(const char* key, int value) { settings.writeColorSetting(key, value); }
void writeDoubleSetting(const char* key, double value) { settings.writeDoubleSetting(key, value); }

}  // namespace kalix
