// The settings store: named text values kept in the profile file
// ".kalix.profile" of the base directory when it exists, else in the
// per-user settings file (base/registry.h). Typed readers turn the text
// into numbers with a default.
//
// The interpreter reads its settings with
//   intSetting("spaces")              stored value, else the key table's default
//   readIntSetting("spaces", 1)       stored value, else the given default
// (also textSetting / doubleSetting and readTextSetting / readDoubleSetting).
#pragma once

#include <atomic>
#include <cstdio>
#include <set>
#include <shared_mutex>
#include <string>
#include <vector>

#include "base/registry.h"
#include "base/string.h"

namespace kalix {

struct ProfileEntry {
    String name;
    String value;
    bool removed = false;  // deleted in this run: neither read nor written back
};

// Any thread may read and write the store (the GUI thread's menus and
// dialogs, the computation thread's builtins, the update check): readers
// copy the value under a shared hold of `lock`, writers hold it alone, and
// nothing hands out a pointer into the store's own entries.
class SettingsStore {
  public:
    // fileName: the name of the per-user settings file ("settings").
    explicit SettingsStore(const char* fileName);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The stored text or the default. The result is a copy of the calling
    // thread's own and stays valid until that thread's next getSetting;
    // take it before then.
    const char* getSetting(const char* name, const char* defaultText);
    // The stored text of `name` into `value`; false when it is not stored.
    // Needs no per-thread buffer, so it serves where nothing may fail late
    // (the end of the program).
    bool lookup(const char* name, std::string& value) const;
    int readIntSetting(const char* name, int defaultValue);
    int readColorSetting(const char* name, int defaultValue);
    double readDoubleSetting(const char* name, double defaultValue);

    // To the profile while it is open for writing (once per name and
    // session; a line break in the value is written as a blank), else to
    // the per-user file.
    void writeSetting(const char* name, const char* text);
    void writeIntSetting(const char* name, int value);
    void writeColorSetting(const char* name, int value);
    void writeDoubleSetting(const char* name, double value);

    // Removes the setting from the profile list and the per-user file.
    void deleteSetting(const char* name);
    // Removes the per-user settings file.
    void deleteRegistryKey();

    void loadProfile(const char* path);
    // Starts writing the profile: the writes until closeProfile go to it.
    // closeProfile writes them to a temporary file of its own beside `path`
    // (one per process), which then replaces `path`, so an interrupted exit
    // or another process ending at the same time leaves a whole profile. A
    // profile that already holds exactly that text is left as it is. 1 when
    // the temporary file can be made there (the folder is writable).
    int openProfileForWriting(const char* path);
    // 1 when the profile is now completely on disk. When it cannot be
    // replaced (it is read-only, or its temporary file could not be made;
    // a profile that holds the text already needs neither), the settings of
    // the session go to the per-user file instead, and standard error says
    // so; 0 then.
    int closeProfile();
    int isProfileOpen() const;
    // Writes every stored entry (profile list, else the per-user file) not
    // written yet in this profile session.
    void writeStoredSettings();

    void setFrozen(int frozen);
    int isFrozen() const { return frozen; }
    int hasProfile() const;
    // Fixed at construction.
    const char* getFileName() const { return fileName.getText(); }

  private:
    // These hold `lock` (shared for lookup, alone for the others).
    void writeHeld(const char* name, const char* text);
    int closeHeld();
    static void addProfileEntry(void* store, const char* name, const char* value);

    const String fileName;
    // Guards every member below but `frozen`.
    mutable std::shared_mutex lock;
    std::vector<ProfileEntry> profile;
    NameIndex profileIndex;  // the first entry of each name
    bool writingProfile = false;
    String outputPath;
    std::set<std::string> writtenNames;
    std::vector<std::pair<std::string, std::string>> written;  // in order
    std::atomic<int> frozen{0};
};

extern SettingsStore settings;

// The prefix of window-geometry keys ("%d-%d-" of the work area's right and
// bottom edges); set by whoever knows the screen; empty in a terminal.
extern String screenKeyPrefix;
// screenKeyPrefix + name in one static buffer, overwritten by the next call.
const char* makeScreenKey(const char* name);

// Readers of the global store.
int readIntSetting(const char* key, int defaultValue);
int readColorSetting(const char* key, int defaultValue);
double readDoubleSetting(const char* key, double defaultValue);
const char* readTextSetting(const char* key, const char* defaultText);

// Readers that take the default from the key table (0, 0.0 or "" for a key
// that is not in the table or whose default is worked out at start).
// intSetting keeps the values a thread read until a setting changes
// (settingsGeneration), so statements may ask it every time.
int intSetting(const char* key);
double doubleSetting(const char* key);
const char* textSetting(const char* key);

void writeSetting(const char* key, const char* text);
void writeIntSetting(const char* key, int value);
void writeColorSetting(const char* key, int value);
void writeDoubleSetting(const char* key, double value);

}  // namespace kalix
