// The program's well-known directories and the reading and writing of the
// settings at start and exit. Every directory ends in "/".
#pragma once

#include "base/settings.h"
#include "base/string.h"

namespace kalix {

extern String programDir;    // directory of the running executable
extern String homeDir;       // the current directory at start
extern String baseDir;       // where "Kalix Files/" and the profile live
extern String userFilesDir;  // base + "Kalix Files/" (made when first saved into)
extern String profilePath;   // base + ".kalix.profile"
extern int profileMissing;   // 1 when the profile did not exist at start
extern int saveprofile;      // 1 after start-up: the profile is written at exit

// Sets programDir, homeDir, baseDir, userFilesDir and profilePath. homeOption
// is the value of "-home" (surrounding quotes allowed) or null; its folder
// "Kalix Files" is created when missing. Without "-home" the program
// directory is the base only when its "Kalix Files" folder exists and
// belongs to the user; otherwise the base, and the user's files folder
// in it, are in the user's home directory.
void chooseBaseDirectory(const char* homeOption);

// Loads the profile when it exists; otherwise settings come from the
// per-user settings file and profileMissing is 1.
void readSettingsAtStart(SettingsStore& store = settings);

// The option "-reset": the recent files are forgotten and the font
// settings ("textfont", "graphicslines", "textfontname",
// "graphicsfontname") are written with their current values.
void resetSettings(SettingsStore& store = settings);

// Writes the profile: first what writeCurrentSettings writes into the store
// (the live values of the modules), "saveprofile" and "started" = 1; then
// the profile holds every key in the exit order (base/exit_settings.h),
// then every other stored setting, so nothing read at start is lost. When
// no profile existed at start and the profile was written completely, the
// per-user settings file is deleted. Returns 1 when the profile was
// written. Not for a second instance. A frozen store writes nothing and
// leaves the profile as it was.
int writeSettingsAtExit(void (*writeCurrentSettings)(SettingsStore& store) = nullptr,
                        SettingsStore& store = settings);

}  // namespace kalix
