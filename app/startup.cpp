// Program start-up: options, settings, the stack, the computation thread, and
// the windows or the terminal.
#include "app/startup.h"

#include <strings.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "app/shutdown.h"
#include "base/base_directory.h"
#include "base/settings.h"
#include "base/text.h"
#include "base/threads.h"
#include "engines/foreign_engines.h"
#include "engines/maxima_bridge.h"
#include "engines/maxima_help.h"
#include "graphics/colors.h"
#include "graphics/graphics_store.h"
#include "interpreter/main_loop.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "notebook/help.h"
#include "notebook/maxima_help.h"
#include "notebook/notebook_model.h"
#include "notebook/notebook_runner.h"
#include "notebook/recovery_copy.h"
#include "platform/crash_guard.h"
#include "platform/host.h"
#include "platform/update_check.h"
#include "platform/window_host.h"
#include "terminal/terminal_host.h"

// The address the crash report names (a build setting; empty: none).
#ifndef KALIX_SUPPORT_ADDRESS
#define KALIX_SUPPORT_ADDRESS ""
#endif

namespace kalix {

namespace {

// The help's Maxima part, read from the Maxima bridge's function list and
// Maxima's info files.
class EngineMaximaHelp : public MaximaHelpSource {
  public:
    std::vector<MaximaHelpFunction> functionList() override {
        std::vector<MaximaHelpFunction> list;
        for (const MaximaFunctionEntry& e : maximaFunctions()) list.push_back({e.name, e.help});
        return list;
    }
    bool infoFileLines(int number, std::vector<std::string>& lines) override {
        return readMaximaInfoFile(number, lines);
    }
};

}  // namespace

// A name ending in ".kn", letters in any case; surrounding quotes allowed.
static bool isNotebookName(std::string& word) {
    if (word.size() > 2 && word.front() == '"' && word.back() == '"')
        word = word.substr(1, word.size() - 2);
    return word.size() > 3 && strcasecmp(word.c_str() + word.size() - 3, ".kn") == 0;
}

StartupOptions parseOptions(int argc, char** argv) {
    StartupOptions options;
    int i = 1;
    for (; i < argc; i++) {
        if (std::strcmp(argv[i], "-reset") == 0) {
            options.resetRequested = 1;
        } else if (std::strcmp(argv[i], "-script") == 0 && i + 1 < argc && argv[i + 1][0] != '-') {
            options.scriptMode = 1;
        } else if (std::strcmp(argv[i], "-second") == 0) {
            options.secondInstance = 1;
        } else {
            break;
        }
    }
    if (i + 1 < argc && std::strcmp(argv[i], "-home") == 0) {
        options.homeOption = argv[i + 1];
        i += 2;
    }
    if (i + 1 < argc && std::strcmp(argv[i], "-codepage") == 0) {
        int value = std::atoi(argv[i + 1]);
        if (value > 0) options.codePage = value;
        i += 2;
    }
    // "-script" that was no option: a file name starting with "-" or none.
    if (i < argc && std::strcmp(argv[i], "-script") == 0) options.usageError = 1;
    if (i < argc && std::strcmp(argv[i], "-run") == 0) {
        options.runMode = 1;
        i++;
    }
    if (i < argc && std::strcmp(argv[i], "-xrun") == 0) {
        options.runMode = 2;
        i++;
    }
    if (i < argc && argv[i][0] == '-' && argv[i][1] != 0) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            options.showUsage = 1;
        else if (std::strcmp(argv[i], "--version") == 0)
            options.showVersion = 1;
        else
            options.usageError = 1;
    }
    options.words.push_back(argc > 0 ? argv[0] : "kalix");
    for (; i < argc; i++) options.words.push_back(argv[i]);
    if (options.words.size() == 2 && isNotebookName(options.words[1])) {
        options.notebook = options.words[1];
        options.words.pop_back();
    }
    return options;
}

const char* const usageText =
    "Usage: kalix [-reset] [-second] [-script] [-home DIR] [-codepage N] [-run | -xrun]\n"
    "             [FILE [ARGUMENTS...] | NOTEBOOK.kn]\n"
    "  -reset        forget the recent notebooks\n"
    "  -second       a second Kalix beside a running one\n"
    "  -script FILE  run the program file FILE without a window and quit\n"
    "  -home DIR     keep the settings and files in DIR\n"
    "  -codepage N   convert text with code page N (65001: UTF-8; default: the locale's)\n"
    "  -run NB.kn    run every command of the notebook NB.kn without a window\n"
    "  -xrun NB.kn   as -run, then save the notebook and export it to HTML\n"
    "  FILE ARGS     load the program file FILE first; ARGS go to kalixarg\n"
    "  --help, -h    print this text\n"
    "  --version     print the version\n";

std::string absoluteFileName(const std::string& name, const std::string& startDirectory) {
    if (name.empty() || name[0] == '/' || name[0] == '"') return name;
    return startDirectory + name;
}

// "-codepage", else the setting "CODE_PAGE"; the locale's code page when
// neither names a code page that can be converted (0 or -1: none named).
static void chooseCodePage(int requested) {
    int defaultCodePage = localeCodePage();
    if (!selectCodePage(defaultCodePage)) defaultCodePage = 65001;
    int number = requested > 0 ? requested : intSetting("CODE_PAGE");
    if (number <= 0) number = defaultCodePage;
    if (!selectCodePage(number)) {
        char text[128];
        std::snprintf(text, sizeof text, "Unknown code page %d, using %d.", number,
                      defaultCodePage);
        showWarning(text, "Kalix");
        number = defaultCodePage;
        selectCodePage(number);
    }
    codePage = number;
    systemCodePageIsUtf8 = number == 65001;
    // The hard space as one byte of a single-byte code page; none in UTF-8,
    // where the scanner knows its sequence, nor where the page lacks it.
    std::string noBreakSpace;
    utf8ToCodePage("\xC2\xA0", noBreakSpace);
    bool oneByte = noBreakSpace.size() == 1 && static_cast<unsigned char>(noBreakSpace[0]) >= 0x80;
    hardSpaceCode = systemCodePageIsUtf8 || !oneByte ? 0 : noBreakSpace[0];
    // The notebook's no-break space by its code: U+00A0 in UTF-8, else the
    // page's byte (none where the page lacks it).
    noBreakSpaceChar = systemCodePageIsUtf8 ? 0xA0
                       : oneByte            ? static_cast<unsigned char>(noBreakSpace[0])
                                            : 0;
}

static void startLog() {
    if (!intSetting("logging")) return;
    std::string path = std::string(getUserWorkDir()) + "kalixlog.txt";
    openLogFile(path.c_str());
    writeLog("Logging started on %s", path.c_str());
    writeLog("KXW Version %s", KALIX_VERSION);
}

// --- the computation thread -----------------------------------------------

static std::vector<char*> interpreterWords;
static int exitStatus = 0;
// Never destroyed: the signal watcher (a detached thread) may unpark it
// while the program's statics are being destroyed.
static Parker& interpreterEnded = *new Parker;

static int runComputation(Thread*) {
    prepareCrashGuardThread(crashInCode);
    markComputationStackBase();
    try {
        exitStatus = runInterpreterLoop(int(interpreterWords.size()) - 1, interpreterWords.data());
    } catch (const std::bad_alloc&) {
        showWarning("Out of memory space!", "Kalix");
        exitStatus = 1;
    }
    std::fflush(stdout);
    interpreterEnded.unpark();
    installedHost->interpreterEnded();
    return 0;
}

// The code page in use and the colours. The stack size is not among
// them: the memory dialog's value takes effect at the next start.
static void writeCurrentSettings(SettingsStore& store) {
    store.writeIntSetting("CODE_PAGE", codePage);
    saveColorSettings(store);
}

WindowHost* (*offeredWindowHost)() = nullptr;
// The offered window host once its windows are open; null on the terminal.
// Written by the main thread before the computation thread starts.
static WindowHost* openWindowHost = nullptr;

// SIGTERM or SIGHUP: the windows end without a question, keeping what is
// not saved in the recovery copy; on a terminal the computation stops and
// the program ends.
static std::atomic<int> endedBySignal{0};

static void quitOnSignal() {
    if (openWindowHost) {
        endedBySignal = 1;
        openWindowHost->endOnSignal();
        return;
    }
    requestTerminalQuit();
    interpreterEnded.unpark();
}

static int runMainUnguarded(int argc, char** argv);

// Memory that runs out while the program starts or ends (outside a
// statement) ends it with a message instead of an abort.
int runMain(int argc, char** argv) {
    try {
        return runMainUnguarded(argc, argv);
    } catch (const std::bad_alloc&) {
        showWarning("Out of memory space!", "Kalix");
        return 1;
    }
}

static int runMainUnguarded(int argc, char** argv) {
    // Start-up talks to the terminal until the host is chosen.
    installHost(&terminalHost());
    installCrashGuard(KALIX_SUPPORT_ADDRESS);
    catchQuitSignals();
    std::setlocale(LC_CTYPE, "");
    StartupOptions options = parseOptions(argc, argv);
    if (options.showUsage) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("Kalix %s\n", KALIX_VERSION);
        return 0;
    }
    if (options.usageError) {
        std::fputs(usageText, stderr);
        return 2;
    }
    scriptMode = options.scriptMode;
    secondInstance = options.secondInstance;
    chooseBaseDirectory(options.homeOption.empty() ? nullptr : options.homeOption.c_str());
    readSettingsAtStart();
    const int firstRun = intSetting("started") == 0;
    if (options.resetRequested) resetSettings();
    loadColorSettings();
    setGraphicsWarning(showWarning);
    setGraphicsNotice([](const char* line) { printLine("%s", line); });
    chooseCodePage(options.codePage);
    startLog();
    if (!allocateStack()) {
        showWarning("Out of memory space!", "Kalix");
        return 1;
    }
    // The size in use when it differs from the stored one (raised to the
    // minimum, or the default after a failed allocation).
    int stackInUse = int(stackSize / (1024 * 1024));
    if (!secondInstance && intSetting("stacksize64") != stackInUse)
        writeIntSetting("stacksize64", stackInUse);
    installInterruptHandler();
    installMaximaBridge();
    installForeignEngines();
    installHelp();
    static EngineMaximaHelp maximaHelp;
    setMaximaHelpSource(&maximaHelp);

    if (options.words.size() > 1)
        options.words[1] = absoluteFileName(options.words[1], homeDir.getText());
    std::string notebook = options.notebook;
    if (!notebook.empty()) notebook = absoluteFileName(notebook, homeDir.getText());
    // "-run" and "-xrun": the notebook supplies the commands.
    std::unique_ptr<NotebookRunner> runner;
    if (options.runMode)
        runner = std::make_unique<NotebookRunner>(notebook, options.runMode == 2, terminalHost());
    for (std::string& word : options.words) interpreterWords.push_back(word.data());
    interpreterWords.push_back(nullptr);

    // With a display the program runs in its windows; else on the terminal.
    // An unattended run needs no window: the notebook supplies the lines.
    if (offeredWindowHost && !runner && windowsWanted(options.scriptMode)) {
        WindowHost* windows = offeredWindowHost();
        if (windows && windows->openWindows(argc, argv)) openWindowHost = windows;
    }
    // The one host of the run.
    if (runner)
        installHost(runner.get());
    else if (openWindowHost)
        installHost(openWindowHost);
    // A notebook named without a run mode opens in the window at the first
    // prompt; a terminal cannot show it.
    if (!runner && !notebook.empty()) {
        if (openWindowHost)
            openWindowHost->openNotebookAtStart(notebook.c_str());
        else
            std::fprintf(stderr,
                         "A notebook opens in the window; without one use -run or -xrun.\n");
    }

    // The windows offer a recovery copy that an ended run left; the terminal
    // says where it is.
    if (!openWindowHost && !runner && !options.scriptMode)
        for (FoundRecoveryCopy& copy : findRecoveryCopies())
            std::fprintf(stderr, "%s\n", copy.notice().c_str());

    // The first run shows the quick tips.
    if (openWindowHost && firstRun)
        openWindowHost->openDocumentation("documentation/quicktips.html");
    if (intSetting("checkforupdates")) startUpdateCheck(true, reportUpdateCheck);
    writeLog("Start KXW process");
    Thread computation(runComputation, threadStackSize);
    if (computation.startThread() != 0) {
        showWarning("Could not start the interpreter thread.", "Kalix");
        return 1;
    }
    watchQuitSignals(quitOnSignal);
    int computationEnded;
    if (openWindowHost) {
        openWindowHost->runWindows(computation);
        computationEnded = !computation.isThreadRunning();
    } else {
        interpreterEnded.park();
        computationEnded = stopComputation(computation);
    }
    stopUpdateChecks();
    if (runner && runner->failed()) exitStatus = 1;
    // The exit talks to the terminal, or asks at the windows.
    if (runner) installHost(&terminalHost());
    ExitSequence exit;
    exit.windows = openWindowHost;
    exit.writeCurrentSettings = writeCurrentSettings;
    exit.computationEnded = computationEnded;
    exit.askNothing = endedBySignal.load();
    runExitSequence(exit);
    std::fflush(stdout);
    return exitStatus;
}

}  // namespace kalix
