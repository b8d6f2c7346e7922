#include "app/shutdown.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/base_directory.h"
#include "base/threads.h"
#include "engines/maxima_bridge.h"
#include "interpreter/engine_services.h"
#include "platform/crash_guard.h"
#include "platform/host.h"
#include "platform/window_host.h"

namespace kalix {

// While the print thread runs and "askconfirmations" is on, "Stop print?"
// until Yes; the process end then ends the job. Without a window nobody
// can be asked and the job is not waited for.
static void waitForPrintJob(WindowHost* windows) {
    if (!windows) return;
    while (windows->printJobRunning() && intSetting("askconfirmations")) {
        if (windows->askYesNo("Stop print?", "KALIX")) break;
    }
}

int runExitSequence(const ExitSequence& sequence) {
    writeLog("End KXW process");
    int (*shiftKeyHeld)() = sequence.shiftKeyHeld ? sequence.shiftKeyHeld : isShiftKeyHeld;
    SettingsStore& store = *sequence.store;
    store.setFrozen(shiftKeyHeld() ? 1 : 0);
    int written = 0;
    if (!secondInstance) {
        if (sequence.windows) sequence.windows->storeWindowPlacement();
        written = writeSettingsAtExit(sequence.writeCurrentSettings, store);
        if (written) writeLog("Configuration saved");
    }
    endMaximaBridge();
    // A computation that did not stop may still wait for its child, which
    // the computation thread would have ended: it ends here.
    if (!sequence.computationEnded) endRecordedChildren();
    killExecProcess();
    // Code of a library may still run on a computation thread that did not
    // stop; the process end unloads it then.
    if (sequence.computationEnded) closeForeignEngines();
    writeLog("End logging");
    closeLogFile();
    if (!sequence.askNothing) waitForPrintJob(sequence.windows);
    return written;
}

int stopComputation(Thread& computation) { return computation.killThread(threadStopTimeout) == 0; }

// The handler only writes a byte; the watcher thread does the rest.
static int quitPipe[2] = {-1, -1};

static void onQuitSignal(int) {
    int saved = errno;
    char byte = 1;
    ssize_t ignored = write(quitPipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

void catchQuitSignals() {
    if (pipe2(quitPipe, O_CLOEXEC) != 0) return;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onQuitSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void watchQuitSignals(void (*onQuit)()) {
    if (quitPipe[0] < 0) return;
    const bool watched = startDetachedThread([onQuit] {
        char byte;
        for (;;) {
            ssize_t n = read(quitPipe[0], &byte, 1);
            if (n == 1) onQuit();
            if (n == 0 || (n < 0 && errno != EINTR)) return;
        }
    });
    if (!watched) {
        // Nobody would read the pipe: the signals end the process as before.
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
    }
}

}  // namespace kalix
