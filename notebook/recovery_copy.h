// The recovery copy of the window's notebook. While the notebook is changed
// the save thread keeps a copy of it, with its pictures, in a folder of this
// run under "$XDG_CONFIG_HOME/kalix/recovery/" (default
// "~/.config/kalix/recovery/"), so a run that is killed loses at most the
// changes of the last interval. The notebook's own files are never touched.
//
// Each run holds a lock (flock) on the file "lock" of its folder while it
// runs; the system frees it however the run ends. A folder whose lock is
// free belongs to a run that ended without removing it: the next start
// finds it and offers its copy.
#pragma once

#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

namespace kalix {

class NotebookEditor;

// "$XDG_CONFIG_HOME/kalix/recovery/", with "/".
std::string recoveryRoot();

// True when `path` lies in the recovery folder (after symbolic links and
// "..", as far as its folders exist). No notebook of the user's lives
// there: such a path never enters the recent list, and a save goes
// elsewhere.
bool isRecoveryPath(const std::string& path);

class FoundRecoveryCopy;
std::vector<FoundRecoveryCopy> findRecoveryCopies();

// A copy left by a run that ended without removing it. Holds the lock of
// its folder (so no other start offers it meanwhile) until released,
// deleted or taken over.
class FoundRecoveryCopy {
  public:
    FoundRecoveryCopy() = default;
    ~FoundRecoveryCopy();
    FoundRecoveryCopy(FoundRecoveryCopy&& other) noexcept;
    FoundRecoveryCopy& operator=(FoundRecoveryCopy&& other) noexcept;
    FoundRecoveryCopy(const FoundRecoveryCopy&) = delete;
    FoundRecoveryCopy& operator=(const FoundRecoveryCopy&) = delete;

    std::string folder;        // with "/"
    std::string copyPath;      // the copy: folder + "copy.kn"
    std::string notebookPath;  // the notebook's own file; "" for a new notebook
    std::time_t madeAt = 0;    // when the copy was written

    // The notebook's file name, or "a new notebook".
    std::string notebookName() const;
    // "Kalix ended without saving <name>. Open the copy made at <time>?"
    std::string question() const;
    // The same for a terminal: where the copy is.
    std::string notice() const;
    // Removes the folder with the copy.
    void deleteCopy();
    // Lets the lock go; the copy stays for a later start.
    void release();

  private:
    friend class RecoveryCopy;
    friend std::vector<FoundRecoveryCopy> findRecoveryCopies();
    int lock = -1;
};

// The copies of runs that ended without removing them, newest first.
// Folders without a copy (a run killed before its first copy was complete)
// are removed.
std::vector<FoundRecoveryCopy> findRecoveryCopies();

// The copy of this run. Used by the save thread (keep) and the GUI thread
// (the start and the end of the run); its mutex guards its members.
class RecoveryCopy {
  public:
    RecoveryCopy() = default;
    // Lets the lock go and leaves the copy (a normal end removes it first).
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // Save thread. With `wanted` (the notebook is changed and worth saving)
    // writes the copy when the notebook changed since the last one; without
    // it removes the copy. Never asks and never reports. 1 when written.
    int keep(NotebookEditor& editor, bool wanted);
    // Removes the copy and this run's folder.
    void remove();
    // Takes over a found copy whose notebook was read into the window: it
    // holds the notebook as it is at `modifications` changes.
    void takeOver(FoundRecoveryCopy& found, uint64_t modifications);
    // The copy's path; "" while there is none.
    std::string copyPath();

  private:
    bool makeFolder();
    void removeLocked();

    std::mutex mutex;
    std::string folder;  // this run's folder ("" until the first copy)
    int lock = -1;
    bool present = false;      // the folder holds a complete copy
    uint64_t written = 0;      // the editor's change count the copy holds
    std::string notebookPath;  // what the folder's "notebook" file names
};

}  // namespace kalix
