// The notebook's file commands: loading, saving as a job on the save
// thread (the windows refuse input meanwhile and the status line says
// "Saving. Please wait!"), saving under a new name, zipping and deleting a
// notebook with its images. The menu and its dialogs call these; the
// dialogs and questions reach the user through the editor's host, which
// the save thread calls without holding the "Text" lock.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/threads.h"
#include "notebook/notebook_model.h"

namespace kalix {

// 1 while a notebook is loaded or a save job runs; the text window ignores
// keys then.
extern IntCell busyFlag;

// Runs one job at a time on a thread of its own. A quiet job (the recovery
// copy) refuses no input and shows nothing; a job started while a quiet one
// runs follows it on the same thread.
class SaveWorker {
  public:
    using Job = std::function<int()>;
    using Completion = std::function<void(int)>;

    explicit SaveWorker(NotebookEditor& editor);
    // Waits for a job that still runs.
    ~SaveWorker();
    SaveWorker(const SaveWorker&) = delete;
    SaveWorker& operator=(const SaveWorker&) = delete;

    // Starts the job (1 success, 0 failure or cancel); the completion then
    // runs on the GUI thread with the result, and the save thread waits for
    // it. 0 when the previous job still runs.
    int run(Job job, Completion completion = nullptr);
    // Starts a quiet job; 0 (not started) while another job runs.
    int runQuietly(Job job);
    // Runs on the save thread after each job that was not quiet.
    void setAfterEachJob(std::function<void()> action);
    // Waits until the job and its completion have run.
    void wait();
    int isRunning() const { return thread.isThreadRunning(); }
    int lastResult() const { return getIntCell(result); }

  private:
    class SaveThread : public Thread {
      public:
        explicit SaveThread(SaveWorker& worker) : Thread(nullptr, 0), worker(worker) {}
        int run() override { return worker.runJobs(); }

      private:
        SaveWorker& worker;
    };
    struct Task {
        Job job;
        Completion completion;
        bool quiet = false;
    };
    int start(Task task);
    int runJobs();
    void runTask(Task& task);
    void finishTask();

    NotebookEditor& editor;
    std::mutex taskMutex;    // guards the three members below (GUI and save thread)
    std::deque<Task> tasks;  // the running task first, then one that follows it
    bool looping = false;    // a run is in its loop and takes what is queued
    std::function<void()> afterEachJob;
    IntCell result{0};
    SaveThread thread{*this};
};

// Reads a notebook; the current directory and the home directory become
// its folder. 1 when read.
int loadNotebook(NotebookEditor& editor, const char* path);
// Reads a copy (the recovery copy) as the notebook of `notebookPath` ("" for
// a new notebook): changed, with that file and its folder. 1 when read.
int loadCopyOf(NotebookEditor& editor, const std::string& copyPath,
               const std::string& notebookPath);
// Writes the notebook to its file; a notebook without a file asks for one
// (saveNotebookAs). 1 when written.
int saveNotebook(NotebookEditor& editor);
// The menu's Save: as saveNotebook. Old image files go only after the new
// ones were written (the writer does it), never before.
int saveCurrentNotebook(NotebookEditor& editor);
// Asks for a file and writes the notebook there; when it moved, offers to
// delete the old notebook with its HTML export and images. 0 when
// cancelled or not written.
int saveNotebookAs(NotebookEditor& editor);
// Runs the file chooser of a save; inside a save job the status line says
// "Saving. Please wait!" only once a file was chosen, not while the
// chooser is open. The chosen path, empty when cancelled.
std::string chooseFileToSave(NotebookEditor& editor, const std::function<std::string()>& choose);
// saveNotebookAs with the file already chosen.
int saveNotebookTo(NotebookEditor& editor, const std::string& path);
// Scripted runs: the notebook's own file, no questions.
int saveToCurrentFile(NotebookEditor& editor);

// The image files of a notebook file that exist: those named "<base>-NNN"
// (".png", "-large.png", ".svg", ".svgz") from 1 up to the first number
// without any, and those of `known` named as the notebook names its own.
std::vector<std::string> notebookImageFiles(const std::string& path, const NotebookOptions& options,
                                            const std::vector<std::string>& known);
// Deletes them, and the image folder when it is left empty.
void deleteNotebookImages(const std::string& path, const NotebookOptions& options,
                          const std::vector<std::string>& known);
// Confirms, then deletes the notebook's file, its exports (".html",
// ".tex", ".md", ".pdf", ".zip") and its own images; the notebook stays
// open. 1 when deleted.
int deleteNotebookFiles(NotebookEditor& editor);
// Saves, then packs the notebook, its exports and its images into
// "<base>.zip" beside it with 7z. 1 when the archive was made.
int zipNotebook(NotebookEditor& editor);

// The notebook's path with another extension ("" when it has no file).
std::string notebookPathWith(NotebookEditor& editor, const char* extension);

}  // namespace kalix
