// The per-user settings file that stands in for the registry:
// $XDG_CONFIG_HOME/kalix/<name> (default ~/.config/kalix/<name>), in the
// profile's one-setting-a-line format. Safe to call from any thread.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/name_map.h"

namespace kalix {

// Counts the changes of stored settings: every write or removal of this
// file and whatever calls noteSettingsChanged (the store's profile loads and
// writes). Readers that keep values they read compare it.
unsigned settingsGeneration();
void noteSettingsChanged();

// Profile line format, shared with the profile file: name="value"\n.
std::string settingLine(const char* name, const char* value);
void writeSettingLine(FILE* file, const char* name, const char* value);
// Splits one line in place: the name before the first '=', the value after
// it with a leading quote skipped, trailing line ends removed and, for a
// quoted value, one trailing quote removed. Returns 0 when the line holds no
// '=' (which ends the reading of a file).
int parseSettingLine(char* line, const char** name, const char** value);
// Reads a settings file; each entry is handed to `add`. Stops at the first
// line without '='. Returns 0 when the file can't be opened.
int readSettingsFile(const char* path,
                     void (*add)(void* context, const char* name, const char* value),
                     void* context);

// $HOME, else the account's home directory; no trailing "/".
std::string userHomeDirectory();

// "$XDG_CONFIG_HOME/kalix/" (or "$HOME/.config/kalix/") + fileName.
std::string registryFilePath(const char* fileName);

// 1 and the value when the file holds the name.
int registryRead(const char* fileName, const char* name, std::string& value);
// Replaces or adds the entry; creates the folder and file when needed.
// Returns 1 when the file was written.
int registryWrite(const char* fileName, const char* name, const char* value);
// The same for many entries at once (one rewrite of the file).
int registryWriteAll(const char* fileName,
                     const std::vector<std::pair<std::string, std::string>>& entries);
// Removes one entry (no error when it is missing).
int registryDelete(const char* fileName, const char* name);
// Removes the whole file. 1 when it is gone.
int registryDeleteAll(const char* fileName);
// Every entry in file order.
std::vector<std::pair<std::string, std::string>> registryEntries(const char* fileName);

}  // namespace kalix
