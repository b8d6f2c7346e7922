// An unattended run of a notebook ("-run", "-xrun"): the notebook is read
// at the first prompt, its commands go to the interpreter one after the
// other as if Return had been pressed on each, their output lands under
// them, and at the notebook's last line the run ends. "-xrun" then saves
// the notebook to its file and writes its HTML export beside it.
//
// The run is the host while it lasts: it takes the line input, the output
// and the error report; everything else goes to the host below it.
#pragma once

#include <string>

#include "notebook/notebook_model.h"
#include "notebook/notebook_pictures.h"
#include "platform/forwarding_host.h"

namespace kalix {

class NotebookRunner : public ForwardingHost {
  public:
    // `path` is the notebook file (absolute; "" runs an empty notebook).
    // Pictures of the run go into its notebook. `below`: the host of the
    // other services.
    NotebookRunner(const std::string& path, int saveAndExport, Host& below = *installedHost);
    ~NotebookRunner() override;

    // As readInputLine.
    int readLine(char* buffer);
    int print(const char* text);
    void reportError(const char* line);

    int readInputLine(char* buffer) override {
        inputBuiltinActive = 0;
        return readLine(buffer);
    }
    int printToTextWindow(const char* text) override { return print(text); }
    void reportAutomaticModeError(const char* line) override { reportError(line); }
    // Nothing starts in the background of a run with nobody at it.
    bool runsStartupJobs() override { return false; }
    // Pictures of the run go into its notebook.
    PictureService* pictureService() override { return &pictures; }

    // 1 when the notebook could not be read, a command failed, or saving
    // or exporting at the end failed.
    int failed() const { return failure; }
    NotebookEditor& getEditor() { return editor; }

  private:
    // Messages go to the standard error output.
    class RunHost : public NotebookHost {
      public:
        void showMessage(const char* text) override;
        void showTitledMessage(const char* text, const char* title) override;
        // The notebook is read on the computation thread: the mode is set now.
        void setMaximaMode(int mode) override;
    };

    void load();
    // Makes the cursor line a prompt and moves to the next command (or
    // body line) to take. 0 when the run has reached its end.
    int nextPrompt();
    int finish();

    RunHost host;
    FixedMetrics metrics;
    NotebookEditor editor{&host, &metrics};
    EditorPictureService pictures{editor};
    std::string path;
    int saveAndExport;
    int loaded = 0;
    int ended = 0;
    int failure = 0;
};

}  // namespace kalix
