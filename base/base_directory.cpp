#include "base/base_directory.h"

#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <cstdio>
#include <string>

#include "base/exit_settings.h"
#include "base/registry.h"
#include "base/setting_keys.h"
#include "base/stale_temporaries.h"

namespace kalix {

String programDir;
String homeDir;
String baseDir;
String userFilesDir;
String profilePath;
int profileMissing = 0;
int saveprofile = 0;

static int directoryExists(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// The program directory is the base only for the user who made its
// "Kalix Files" folder: an installed program never moves the settings of
// its other users into a folder they share.
static int ownDirectory(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid();
}

static void setCurrentDirectory(String& directory) {
    char buffer[PATH_MAX];
    directory = getcwd(buffer, sizeof buffer) ? buffer : "";
    directory.ensureTrailingSeparator();
}

static void setExecutableDirectory(String& directory) {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    buffer[length > 0 ? length : 0] = 0;
    directory = buffer;
    directory.removeFileName();
}

// The "-home" value: quotes stripped, made absolute against the start
// directory, ending in "/".
static void setHomeOptionDirectory(String& directory, const char* homeOption) {
    String value(homeOption);
    value.stripQuotes();
    directory = value.getText()[0] == '/' ? "" : homeDir.getText();
    directory.append(value.getText());
    if (!directory.endsWith("/")) directory.append("/");
}

void chooseBaseDirectory(const char* homeOption) {
    setCurrentDirectory(homeDir);
    setExecutableDirectory(programDir);
    baseDir = programDir;
    if (homeOption) {
        setHomeOptionDirectory(baseDir, homeOption);
        String userFiles(baseDir);
        userFiles.append("Kalix Files");
        mkdir(userFiles.getText(), 0777);
    }
    userFilesDir = baseDir;
    userFilesDir.append("Kalix Files/");
    bool usable =
        homeOption ? directoryExists(userFilesDir.getText()) : ownDirectory(userFilesDir.getText());
    if (!usable) {
        baseDir = userHomeDirectory().c_str();
        baseDir.ensureTrailingSeparator();
        userFilesDir = baseDir;
        userFilesDir.append("Kalix Files/");
    }
    saveprofile = 1;
    profilePath = baseDir;
    profilePath.append(".kalix.profile");
}

void readSettingsAtStart(SettingsStore& store) {
    profileMissing = access(profilePath.getText(), F_OK) != 0;
    if (!profileMissing) store.loadProfile(profilePath.getText());
}

void resetSettings(SettingsStore& store) {
    const SettingKey* recent = findSettingKey("recent0");
    for (int i = 0; recent && i < recent->count; i++) {
        char name[32];
        std::snprintf(name, sizeof name, "recent%d", i);
        store.deleteSetting(name);
    }
    for (const char* name : {"textfont", "graphicslines", "textfontname", "graphicsfontname"}) {
        const SettingKey* key = findSettingKey(name);
        std::string value = store.getSetting(name, key ? key->defaultText : "");
        store.writeSetting(name, value.c_str());
    }
}

int writeSettingsAtExit(void (*writeCurrentSettings)(SettingsStore& store), SettingsStore& store) {
    // Frozen (Shift held at the end): the profile stays as it was.
    if (store.isFrozen()) return 0;
    if (writeCurrentSettings) writeCurrentSettings(store);
    store.writeIntSetting("saveprofile", saveprofile);
    store.writeIntSetting("started", 1);
    // Without a temporary file (a read-only folder) the keys are collected
    // all the same: closing gives them to the per-user file and says so.
    store.openProfileForWriting(profilePath.getText());
    writeSettingsInExitOrder(store);
    store.writeStoredSettings();
    int written = store.closeProfile();
    if (written) removeStaleTemporariesOf(profilePath.getText());
    if (profileMissing && written) store.deleteRegistryKey();
    return written;
}

}  // namespace kalix
