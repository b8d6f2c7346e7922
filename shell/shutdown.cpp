#include "shell/shutdown.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

#include "engines/maxima_bridge.h"
#include "interpreter/engine_services.h"
#include "platform/host.h"
#include "platform/window_host.h"
#include "shell/base_directory.h"
#include "shell/threads.h"

int (*printJobRunning)() = nullptr;

static int hostShiftKeyHeld() { return isShiftKeyHeld(); }

// While the print thread runs and "askconfirmations" is on, "Stop print?"
// until Yes; the process end then ends the job. Without a window nobody
// can be asked and the job is not waited for.
static void waitForPrintJob() {
    if (!printJobRunning || !windowHost) return;
    while (printJobRunning() && intSetting("askconfirmations")) {
        if (windowHost->askYesNo("Stop print?", "KALIX")) break;
    }
}

int runExitSequence(const ExitSequence& sequence) {
    writeLog("End KXW process");
    int (*shiftKeyHeld)() = sequence.shiftKeyHeld ? sequence.shiftKeyHeld : hostShiftKeyHeld;
    settings.setFrozen(shiftKeyHeld() ? 1 : 0);
    int written = 0;
    if (!secondInstance) {
        if (windowHost) windowHost->storeWindowPlacement();
        written = writeSettingsAtExit(sequence.writeCurrentSettings);
        if (written) writeLog("Configuration saved");
    }
    endMaximaBridge();
    killExecProcess();
    // Code of a library may still run on a computation thread that did not
    // stop; the process end unloads it then.
    if (sequence.computationEnded) closeForeignEngines();
    writeLog("End logging");
    closeLogFile();
    waitForPrintJob();
    return written;
}

int stopComputation(Thread& computation) { return computation.killThread(threadStopTimeout) == 0; }

static sigset_t quitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

void blockQuitSignals() {
    sigset_t set = quitSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void watchQuitSignals(void (*onQuit)()) {
    std::thread watcher([onQuit] {
        sigset_t set = quitSignals();
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0) continue;
            onQuit();
        }
    });
    watcher.detach();
}
