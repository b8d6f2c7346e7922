// The question before the program ends with a changed notebook.
#pragma once

#include <atomic>

namespace kalix {

class NotebookEditor;
class StandardWindow;

// 1 once a signal asked the program to end: nothing asks any more, and
// what the user has not saved goes into the recovery copy.
extern std::atomic<int> endingOnSignal;

// 1 when the program may end: the notebook is unchanged, questions are off
// ("askconfirmations"), or the user answered "Save Notebook before
// quitting?" with No, or with Yes and the notebook was saved. 0 after
// Cancel or a save that failed or was cancelled. GUI thread.
int askBeforeQuitting(NotebookEditor& editor, StandardWindow* owner);

}  // namespace kalix
