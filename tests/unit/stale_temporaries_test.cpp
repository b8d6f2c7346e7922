// Temporaries that killed saves left are removed by the next save when
// they are of the saved file's naming and older than the process.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/stale_temporaries.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

void makeFile(const fs::path& path, std::time_t modified) {
    std::ofstream(path) << "x";
    utimbuf times{modified, modified};
    utime(path.c_str(), &times);
}

bool isPictureOfT(const std::string& stem, const void*) { return stem.rfind(".t-", 0) == 0; }

TEST(StaleTemporaries, OnlyOldOnesOfTheSavedFileGo) {
    char pattern[] = "/tmp/kalix-stale-XXXXXX";
    fs::path folder = mkdtemp(pattern);
    std::time_t old = std::time(nullptr) - 3600, future = std::time(nullptr) + 3600;
    const struct {
        const char* name;
        std::time_t modified;
        bool removed;
    } cases[] = {
        {".t.kn.a1B2c3", old, true},           // a killed save of t.kn
        {".t.kn.Zz9999", future, false},       // a save running now
        {".t.kn.a1B2", old, false},            // not six characters
        {".t.kn.a1B2-3", old, false},          // not letters and digits
        {".u.kn.a1B2c3", old, false},          // another notebook's
        {"t.kn.a1B2c3", old, false},           // not hidden
        {"t.kn", old, false},                  // the file itself
        {".kalix.profile.q1w2e3", old, true},  // the profile's own naming
        {".t-001.png.q1w2e3", old, true},      // a picture of t.kn
        {".t-002-large.png.q1w2e3", old, true},
        {".t-003.png.q1w2e3", future, false},
    };
    for (const auto& c : cases) makeFile(folder / c.name, c.modified);
    std::string directory = folder.string() + "/";
    removeStaleTemporariesOf(directory + "t.kn");
    removeStaleTemporariesOf(directory + ".kalix.profile");
    removeStaleTemporaries(directory, isPictureOfT, nullptr);
    for (const auto& c : cases) EXPECT_EQ(!fs::exists(folder / c.name), c.removed) << c.name;
    fs::remove_all(folder);
}

}  // namespace

}  // namespace kalix
