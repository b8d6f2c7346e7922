// The crash guard: a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) that no
// other guard takes ends the program with a report on standard error and
// in the log, after Maxima and the exec child were ended. Its handlers run
// on an alternate signal stack and make only async-signal-safe calls.
//
// Install it first, before any other guard of these signals: the guard of
// calls into foreign code (platform/foreign_call_guard.h) and the machine
// stack's overflow guard keep the handler they found and pass every fault
// they don't take on to it.
#pragma once

#include <sys/types.h>

namespace kalix {

// Where a crash happened: the thread that runs the windows (or, on a
// terminal, the main thread) or any other, above all the computation thread.
enum CrashPlace { crashInGui = 1, crashInCode = 2 };

// Installs the handlers (once) and prepares the calling thread as the GUI
// thread. `supportAddress`, when not empty, is named in the report.
void installCrashGuard(const char* supportAddress);
// Gives the calling thread an alternate signal stack (when it has none)
// and marks where its crashes happen. Threads not prepared count as
// crashInCode and run the handler on their own stack.
void prepareCrashGuardThread(CrashPlace place);

// The log file's descriptor for the report (-1: none).
void setCrashLogDescriptor(int descriptor);

// Child processes a crash must not leave behind: Maxima, the exec child
// that runs on and the one being waited for (a process group when
// `group`). pid 0 forgets the slot.
enum CrashChild { crashChildMaxima = 0, crashChildExec = 1, crashChildWaitedExec = 2 };
constexpr int crashChildSlots = 3;
void setCrashChildProcess(CrashChild slot, pid_t pid, int group);
// Kills every child recorded above (SIGKILL, their groups too): for a
// program that ends while a command still waits for its child.
void endRecordedChildren();

// The report: "Sorry, Kalix crashed (Code %x, %s)!" and the rest, into
// `buffer` (always terminated). Returns its length. Async-signal-safe.
int formatCrashReport(char* buffer, int size, unsigned code, CrashPlace place,
                      const char* supportAddress);

}  // namespace kalix
