// Every setting key of the program with its type and default.
#pragma once

namespace kalix {

enum SettingType {
    settingInt,
    settingText,
    settingDouble,
    settingColor,
};

enum SettingKeyFlags {
    settingScreenKey = 1,        // stored under makeScreenKey (window geometry)
    settingComputedDefault = 2,  // default worked out at start; defaultText unused
    settingWrittenOnly = 4,      // written at exit, never read back
};

struct SettingKey {
    const char* name;  // "color%d" style names are numbered 0..count-1
    SettingType type;
    const char* defaultText;  // the default as the store would hold it
    int flags;
    int count;  // 0 for a plain key, else the number of "%d" keys
};

extern const SettingKey settingKeys[];
extern const int settingKeyCount;

// The row of a key: an exact name ("spaces") or a numbered name ("color3"
// finds "color%d" when 3 < count). Null for an unknown key.
const SettingKey* findSettingKey(const char* name);

}  // namespace kalix
