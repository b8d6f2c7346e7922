// The hand-over of the interpreter's state (state.h) to the GUI thread.
//
// The state is the computation thread's. Where that thread parks for an
// input line in the notebook, it hands the state over: until it takes it
// back, it neither reads nor writes it, and the GUI thread may, inside a
// `StateHandOverHold` that finds the state handed over. The computation
// thread takes the state back before it goes on (also before it runs work
// the GUI thread hands to it) and waits for a hold to end. A hold is short
// (a help query, clearing a table): never across a dialog or a wait for the
// computation thread, which would wait for the hold in turn.
//
// What the completion and the status help read goes through the snapshot
// instead (state_snapshot.h): it needs no hand-over.
#pragma once

#include <mutex>

#include "base/checks.h"

namespace kalix {

// Computation thread: from handOverState to takeBackState the state is
// the holder's.
void handOverState();
void takeBackState();

// Any other thread (the GUI thread). Waits at most while the computation
// thread marks the state handed over or taken back.
class StateHandOverHold {
  public:
    StateHandOverHold();
    ~StateHandOverHold();
    StateHandOverHold(const StateHandOverHold&) = delete;
    StateHandOverHold& operator=(const StateHandOverHold&) = delete;

    // The state may be read and written while the hold lasts.
    explicit operator bool() const { return handed; }

  private:
    std::unique_lock<std::recursive_mutex> lock;
    bool handed = false;
};

// The calling thread is inside a hold of a handed-over state.
bool stateHandedToCaller();

// Makes the calling thread (the GUI thread, when the windows open) the one
// that reads the state only inside a hold.
void setHandOverReader();
// The calling thread may read the state now: it is not that reader, or
// the state is handed to it. Asserted where the state is read for the GUI.
bool stateReadableByCaller();

}  // namespace kalix
