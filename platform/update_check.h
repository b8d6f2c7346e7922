// The check for a newer version: the changes page ("/Programs/Changes.html"
// below the address in the setting "updateaddress") is fetched on a thread
// of its own, its first "Version " entry compared with the running version
// (the first line of "version.txt" beside the program, first 10
// characters). A newer version opens the page in the browser; the
// automatic check announces each version once (setting "showedversion").
#pragma once

#include <string>

namespace kalix {

// What the check found.
enum class UpdateResult {
    noAddress,    // the setting gives no address
    unreachable,  // no network, or the page could not be fetched
    upToDate,
    newVersion,  // the version is in the token
};

// The running version: the first line of "version.txt" in the program's
// directory, at most 32 bytes; empty when there is none.
std::string runningVersion();

// Judges a fetched page: upToDate or newVersion with the published
// version's token. With `automatic` a version that begins with
// `announced` counts as known.
UpdateResult judgeChangesPage(const std::string& page, const std::string& running,
                              const std::string& announced, bool automatic, std::string* token);

// Fetches the page (at most 1,020 bytes; gives up after 10 seconds or when
// stopUpdateChecks was called) and judges it.
UpdateResult checkForNewVersion(bool automatic, std::string* token);

// Starts the check on a thread of its own; the result is reported through
// `report` (called on that thread). The automatic check sleeps a second
// first.
void startUpdateCheck(bool automatic,
                      void (*report)(UpdateResult result, const char* version, bool automatic));

// The report of the program: a newer version opens the changes page in
// the browser; a missing address or network is said once (the manual
// check says everything, also that the version is up to date).
void reportUpdateCheck(UpdateResult result, const char* version, bool automatic);

// Ends the running checks (at exit, before the profile is written): after
// it no check writes a setting. Waits for each at most threadStopTimeout.
void stopUpdateChecks();

// The address of the changes page; empty without an address.
std::string changesPageAddress();

}  // namespace kalix
