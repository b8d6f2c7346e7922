// The window's recovery copy (notebook/recovery_copy.h): renewed on the
// save thread at most once an interval while the notebook is changed,
// removed when it is saved or the program ends with nothing unsaved, and
// offered at the next start when a run ended without removing it.
#pragma once

namespace kalix {

class NotebookEditor;
class RecoveryCopy;
class StandardWindow;

// The interval of the copy in milliseconds: 30 s. Tests shorten it with
// the environment variable KALIX_RECOVERY_INTERVAL_MS (nothing else reads it).
int recoveryCopyInterval();
// This run's copy.
RecoveryCopy& windowRecoveryCopy();
// The timer's tick (GUI thread): renews or removes the copy on the save
// thread; nothing while another job runs there.
void keepRecoveryCopy(NotebookEditor& editor);
// After a save job (save thread): a notebook left with nothing to save
// has no copy.
void dropRecoveryCopyWhenSaved(NotebookEditor& editor);
// At the end, once the save thread is done (GUI thread): the copy goes
// unless the notebook was left changed; with `renew` (the end of a
// signal) a changed notebook's copy is written now.
void endRecoveryCopy(NotebookEditor& editor, bool renew = false);
// At the start, before the interpreter runs (GUI thread): offers each copy
// left by an ended run; No deletes it, Cancel keeps it for a later start,
// Yes chooses it (the others stay for a later start).
void offerRecoveryCopies(StandardWindow* owner);
// At the interpreter's prompt (computation thread): reads the chosen copy
// into the notebook, which then is changed and belongs to its own file.
// 1 when a copy was read.
int loadChosenRecoveryCopy(NotebookEditor& editor);

}  // namespace kalix
