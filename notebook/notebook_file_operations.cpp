// The notebook's file commands and the save thread.
#include "notebook/notebook_file_operations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "base/base_directory.h"
#include "notebook/recovery_copy.h"
#include "platform/child_process.h"

namespace kalix {

IntCell busyFlag{0};

static const char* const savingStatus = "Saving. Please wait!";

// --- the save thread -------------------------------------------------------------------

SaveWorker::SaveWorker(NotebookEditor& editor) : editor(editor) {}

SaveWorker::~SaveWorker() { wait(); }

int SaveWorker::run(Job newJob, Completion newCompletion) {
    return start({std::move(newJob), std::move(newCompletion), false});
}

int SaveWorker::runQuietly(Job newJob) { return start({std::move(newJob), nullptr, true}); }

void SaveWorker::setAfterEachJob(std::function<void()> action) {
    std::lock_guard<std::mutex> lock(taskMutex);
    afterEachJob = std::move(action);
}

int SaveWorker::start(Task task) {
    {
        std::lock_guard<std::mutex> lock(taskMutex);
        if (!tasks.empty()) {
            // A save asked for while the copy is written follows it.
            if (task.quiet || tasks.size() > 1 || !tasks.front().quiet) return 0;
            tasks.push_back(std::move(task));
            return 1;
        }
        tasks.push_back(std::move(task));
        // A run still in its loop takes the task; one that has left it may
        // still be returning.
        if (looping) return 1;
        looping = true;
    }
    int error;
    while ((error = thread.startThread()) == EBUSY) std::this_thread::yield();
    if (error == 0) return 1;
    std::lock_guard<std::mutex> lock(taskMutex);
    tasks.clear();
    looping = false;
    return 0;
}

void SaveWorker::wait() {
    while (thread.isThreadRunning()) thread.killThread(60000);
}

int SaveWorker::runJobs() {
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> lock(taskMutex);
            if (tasks.empty()) {
                looping = false;
                return getIntCell(result);
            }
            task = tasks.front();
        }
        if (task.quiet) {
            if (task.job) task.job();
            finishTask();
        } else {
            runTask(task);
        }
    }
}

void SaveWorker::finishTask() {
    std::lock_guard<std::mutex> lock(taskMutex);
    tasks.pop_front();
}

void SaveWorker::runTask(Task& task) {
    NotebookHost& host = editor.getHost();
    host.setWindowsEnabled(0);
    assignIntCell(busyFlag, 1);
    host.showStatus(savingStatus);
    int r = task.job ? task.job() : 0;
    // Done before the windows take input again, so that a save asked for
    // from then on is not refused as following this one.
    finishTask();
    host.showStatus("");
    assignIntCell(busyFlag, 0);
    host.setWindowsEnabled(1);
    assignIntCell(result, r);
    std::function<void()> after;
    {
        std::lock_guard<std::mutex> lock(taskMutex);
        after = afterEachJob;
    }
    if (after) after();
    if (task.completion) {
        Completion completion = std::move(task.completion);
        host.runOnGuiThread([completion, r] { completion(r); });
    }
}

// --- names and files -------------------------------------------------------------------

static std::string fileNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

static std::string withoutExtension(const std::string& path) {
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return path;
    return path.substr(0, dot);
}

static bool exists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

static std::string currentPath(NotebookEditor& editor) {
    TextLockHold hold(editor, "save");
    return editor.getFilePath();
}

std::string notebookPathWith(NotebookEditor& editor, const char* extension) {
    std::string path = currentPath(editor);
    return path.empty() ? path : withoutExtension(path) + extension;
}

// The current directory and the home directory follow the notebook.
static void enterFolderOf(const std::string& path) {
    std::string folder = directoryOf(path);
    if (folder.empty()) return;
    homeDir.assign(folder.c_str());
    if (chdir(folder.c_str()) != 0) {
        // The notebook still loads; relative files of its commands go to
        // the old current directory.
    }
}

// --- load and save -----------------------------------------------------------------------

int loadNotebook(NotebookEditor& editor, const char* path) {
    assignIntCell(busyFlag, 1);
    // The recovery folder never becomes the place of the user's files.
    if (!isRecoveryPath(path)) enterFolderOf(path);
    int read = editor.readNotebook(path);
    assignIntCell(busyFlag, 0);
    return read;
}

int loadCopyOf(NotebookEditor& editor, const std::string& copyPath,
               const std::string& notebookPath) {
    assignIntCell(busyFlag, 1);
    // A copy of a copy belongs to no file: it is a new notebook.
    std::string own = isRecoveryPath(notebookPath) ? std::string() : notebookPath;
    if (!own.empty()) enterFolderOf(own);
    int read = editor.readCopyOf(copyPath.c_str(), own.c_str());
    assignIntCell(busyFlag, 0);
    return read;
}

int saveNotebook(NotebookEditor& editor) {
    std::string path = currentPath(editor);
    // A recovery copy opened as a file is saved as a new notebook is.
    if (path.empty() || isRecoveryPath(path)) return saveNotebookAs(editor);
    return editor.writeNotebook(path.c_str());
}

int saveCurrentNotebook(NotebookEditor& editor) { return saveNotebook(editor); }

int saveToCurrentFile(NotebookEditor& editor) { return editor.saveNotebook(); }

std::string chooseFileToSave(NotebookEditor& editor, const std::function<std::string()>& choose) {
    NotebookHost& host = editor.getHost();
    bool saving = getIntCell(busyFlag) != 0;
    if (saving) host.showStatus("");
    std::string path = choose();
    if (saving && !path.empty()) host.showStatus(savingStatus);
    return path;
}

int saveNotebookAs(NotebookEditor& editor) {
    std::string old = currentPath(editor);
    std::string start =
        old.empty() || isRecoveryPath(old) ? std::string(homeDir.getText()) : directoryOf(old);
    std::string path = chooseFileToSave(
        editor, [&editor, &start] { return editor.getHost().chooseNotebookFile(start.c_str()); });
    if (path.empty()) return 0;
    return saveNotebookTo(editor, path);
}

int saveNotebookTo(NotebookEditor& editor, const std::string& path) {
    // The next start may delete what lies there.
    if (isRecoveryPath(path)) {
        editor.getHost().showTitledMessage(
            "The recovery folder keeps only copies.\nPlease save the notebook in another folder.",
            "Save Notebook");
        return 0;
    }
    std::string old = currentPath(editor);
    std::vector<std::string> oldImages = editor.getSavedImageFiles();
    NotebookOptions options = editor.options();
    if (!editor.writeNotebook(path.c_str())) return 0;
    enterFolderOf(path);
    // A recovery copy left behind is the recovery folder's business.
    if (old.empty() || old == path || !exists(old) || isRecoveryPath(old)) return 1;
    std::string question = "Keep the old notebook\n" + old + "\nand all its images?";
    if (editor.getHost().askYesNo(question.c_str(), "Keep File?", 1)) return 1;
    deleteFileIfPresent(old.c_str());
    deleteFileIfPresent((withoutExtension(old) + ".html").c_str());
    deleteNotebookImages(old, options, oldImages);
    return 1;
}

// --- the notebook's own files ------------------------------------------------------------

static std::string imageFolderOf(const std::string& path, const NotebookOptions& options) {
    return directoryOf(path) + (options.saveImages && options.imagesInDirectory ? "images/" : "");
}

// A file the writer names for the notebook: "<base>-" and three or more
// digits, then the end of the name or "-" (".png" and such follow).
static bool isOwnImage(const std::string& file, const std::string& base) {
    std::string name = fileNameOf(file);
    std::string stem = withoutExtension(name);
    if (stem.compare(0, base.size() + 1, base + "-") != 0) return false;
    size_t i = base.size() + 1;
    size_t digits = 0;
    while (i < stem.size() && std::isdigit(static_cast<unsigned char>(stem[i]))) i++, digits++;
    return digits >= 3 && (i == stem.size() || stem[i] == '-');
}

std::vector<std::string> notebookImageFiles(const std::string& path, const NotebookOptions& options,
                                            const std::vector<std::string>& known) {
    std::string base = fileNameOf(withoutExtension(path));
    std::string stem = imageFolderOf(path, options) + base;
    std::vector<std::string> files;
    static const char* const variants[] = {"-%03d.png", "-%03d-large.png", "-%03d.svg",
                                           "-%03d.svgz"};
    for (int n = 1;; n++) {
        bool any = false;
        for (const char* variant : variants) {
            char name[64];
            std::snprintf(name, sizeof name, variant, n);
            std::string file = stem + name;
            if (!exists(file)) continue;
            any = true;
            files.push_back(file);
        }
        if (!any) break;
    }
    for (const std::string& file : known) {
        bool listed = false;
        for (const std::string& f : files) listed = listed || f == file;
        if (!listed && isOwnImage(file, base) && exists(file)) files.push_back(file);
    }
    return files;
}

void deleteNotebookImages(const std::string& path, const NotebookOptions& options,
                          const std::vector<std::string>& known) {
    for (const std::string& file : notebookImageFiles(path, options, known))
        deleteFileIfPresent(file.c_str());
    if (options.saveImages && options.imagesInDirectory)
        rmdir(imageFolderOf(path, options).c_str());  // stays when not empty
}

static const char* const exportExtensions[] = {".html", ".tex", ".md", ".pdf", ".zip"};

int deleteNotebookFiles(NotebookEditor& editor) {
    std::string path = currentPath(editor);
    if (path.size() <= 2) return 0;
    std::string question =
        "Delete the notebook\n" + path + "\nwith its exports and images from disk?";
    if (!editor.getHost().askYesNo(question.c_str(), "Delete Notebook?", 0)) return 0;
    deleteNotebookImages(path, editor.options(), editor.getSavedImageFiles());
    deleteFileIfPresent(path.c_str());
    std::string stem = withoutExtension(path);
    for (const char* extension : exportExtensions) deleteFileIfPresent((stem + extension).c_str());
    return 1;
}

// --- zip -------------------------------------------------------------------------------------

int zipNotebook(NotebookEditor& editor) {
    int saved = saveNotebook(editor);
    std::string path = currentPath(editor);
    NotebookHost& host = editor.getHost();
    if (path.empty()) {
        host.showTitledMessage("Notebook is not yet saved.", "Kalix");
        return 0;
    }
    if (!saved) return 0;
    std::string folder = directoryOf(path);
    std::string base = fileNameOf(withoutExtension(path));
    std::string archive = base + ".zip";
    std::string partial = "." + archive + ".partial";
    std::vector<std::string> arguments = {
        locateProgram("", "7z"), "a", "-tzip", "-y", "--", partial, fileNameOf(path)};
    for (const char* extension : exportExtensions) {
        std::string file = base + extension;
        if (std::strcmp(extension, ".zip") != 0 && exists(folder + file)) arguments.push_back(file);
    }
    for (const std::string& file :
         notebookImageFiles(path, editor.options(), editor.getSavedImageFiles()))
        if (file.compare(0, folder.size(), folder) == 0)
            arguments.push_back(file.substr(folder.size()));
    std::vector<std::string> shown = arguments;
    shown[0] = "7z";
    std::string commandLine = commandLineText(shown);
    if (arguments[0].empty()) {
        host.showMessage(("Could not call the 7z cmmand!\nCommand Line\n" + commandLine).c_str());
        return 0;
    }
    deleteFileIfPresent((folder + partial).c_str());
    ProgramRun run = runProgram(arguments, folder, 1);
    if (!run.started) {
        host.showMessage(("Could not call the 7z cmmand!\nCommand Line\n" + commandLine).c_str());
        return 0;
    }
    if (run.exitStatus != 0 ||
        std::rename((folder + partial).c_str(), (folder + archive).c_str()) != 0) {
        deleteFileIfPresent((folder + partial).c_str());
        char status[64];
        std::snprintf(status, sizeof status, " (exit status %d)", run.exitStatus);
        host.showMessage(("The 7z command failed" + std::string(run.exitStatus ? status : "") +
                          "!\nCommand Line\n" + commandLine)
                             .c_str());
        return 0;
    }
    return 1;
}

}  // namespace kalix
