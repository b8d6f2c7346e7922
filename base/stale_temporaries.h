// Temporary files a killed process left behind: a file is saved through a
// hidden temporary ".<name>.XXXXXX" beside it (".name.XXXXXX" for a hidden
// ".name") and renamed over it, so a
// kill between the two leaves the temporary. The next successful save
// removes those of its own naming that are older than the running process
// (a process running now may still be writing a newer one).
#pragma once

#include <string>

namespace kalix {

// Removes from `directory` (ending in "/", or empty for the current one)
// the files "<stem>.XXXXXX" (a stem beginning with ".", six letters or
// digits) older than this process whose stem `ours` accepts.
void removeStaleTemporaries(const std::string& directory,
                            bool (*ours)(const std::string& stem, const void* context),
                            const void* context);
// The temporaries of exactly the file `path`.
void removeStaleTemporariesOf(const std::string& path);

}  // namespace kalix
