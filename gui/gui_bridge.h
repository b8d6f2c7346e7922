// The one road from other threads to the GUI thread: a job is posted (the
// caller goes on) or sent (the caller waits until it ran). A thread never
// waits for the GUI while it holds the "Text" or "Graphics" lock.
#pragma once

#include <functional>

namespace kalix {

// 1 on the thread that runs the windows (or before they exist, on the main
// thread).
int isGuiThread();

// Runs `job` on the GUI thread soon; on the GUI thread too, from the loop.
void postToGui(std::function<void()> job);

// Runs `job` on the GUI thread and waits for it; on the GUI thread it runs
// at once. Returns 0 without running the job when the caller holds the
// "Text" or "Graphics" lock, or when the message loop does not run (or
// stops before the job ran).
int sendToGui(std::function<void()> job);

}  // namespace kalix
