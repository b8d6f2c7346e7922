// Host services the interpreter calls from the computation thread: line
// input, the Escape poll, waits, output into the text window, messages,
// the log, directories and files, clocks and child processes.
//
// What depends on where the program runs goes through one Host: the
// terminal (terminal/terminal_host.cpp), the windows (window_host.h) or an
// unattended notebook run ("-run", "-xrun"). Start-up installs the one in
// use before the computation thread starts; the free functions below call
// it. The rest (the log, directories, files, clocks, child processes) is
// the same for every host.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace kalix {

// --- start-up facts -------------------------------------------------------

extern int scriptMode;            // started with "-script"
extern int secondInstance;        // started with "-second"
extern int systemCodePageIsUtf8;  // code page 65001 selected
// Code page of the program's 8-bit text; set at start, and by the GUI
// thread's code page dialog for the next start.
extern std::atomic<int> codePage;

// Called first on the computation thread: the base for getUsedStackSize.
void markComputationStackBase();

// --- line input, keys and waits -------------------------------------------

constexpr int inputBufferSize = 32768;

// Key codes stored with a key (`waitForKey`, `checkEscape`).
enum KeyCode {
    keyNone = 0,
    keyCursorUp = 1,
    keyCursorDown = 2,
    keyCursorLeft = 3,
    keyCursorRight = 4,
    keyEscape = 5,
    keyDelete = 6,
    keyF1 = 14,  // F1 .. F10 are 14 .. 23
    keyInsert = 26,
};

// The state of the line being read. The computation thread writes these;
// the GUI thread's command guards and line editor read them, hence atomic.

// Set by the input builtins before they read a line; cleared by the line
// reader once the line is taken.
extern std::atomic<int> inputBuiltinActive;

// 1 while a multi-line function definition is read (the prompt is "$").
extern std::atomic<int> functionEntryActive;
// 1 while the line source reads the next line of a command continued with
// " ...".
extern std::atomic<int> continuationActive;

// What readInputLine returns besides a line (1) and the end of input (0): a
// line of 0x7fff characters or more, refused; the buffer holds only its
// first refusedLineStart bytes, for the error to show. The caller prints
// "Line too long!" and sets error 1.
constexpr int inputLineTooLong = 2;
constexpr size_t refusedLineStart = 4096;
// Puts the start of the refused `line` into `buffer`; returns inputLineTooLong.
int refuseLongLine(const std::string& line, char* buffer);

// --- the host ---------------------------------------------------------------

// What a host that shows a notebook does with pictures (the operations of
// interpreter/notebook_services.h).
class PictureService {
  public:
    virtual ~PictureService() = default;
    virtual void insertGraphicsImage(int lineCount, const char* text, int antialias, double top,
                                     double bottom, double left, double right) = 0;
    virtual int insertRgbImage(int lineCount, const char* text, const double* values, int columns,
                               int rows) = 0;
    virtual int insertImageFile(int lineCount, const char* path, double scale, int mode,
                                const char* formula, int mathJax) = 0;
    virtual int loadAnaglyphImage(int lineCount, const char* left, const char* right,
                                  std::string& message) = 0;
    virtual int askKeepWaiting(const char*) { return 0; }
};

// Called on the computation thread unless said otherwise. The services with
// a body here do nothing where there is nothing to show them in.
class Host {
  public:
    virtual ~Host() = default;

    // Reads the next command line into `buffer` (at least `inputBufferSize`
    // bytes). Returns 1 with a line, 0 at the end of the input (the buffer
    // is then empty), inputLineTooLong for a refused line.
    virtual int readInputLine(char* buffer) = 0;
    // 5 (and clears it) when Escape was stored, else 0. Loops ask at every
    // pass: keep it cheap.
    virtual int checkEscape() = 0;
    // The last character typed (then cleared), 0 when none.
    virtual int pollKey() = 0;
    // Waits for a key; returns the character (0 for a special key) and
    // stores the key code in `*keyCode`. When no key can come any more (the
    // input has ended) the key is Escape.
    virtual int waitKeyWithStatus(int* keyCode, const char* status) = 0;
    // Waits `seconds` or until a key; below one second simply sleeps.
    virtual int waitWithStatus(double seconds, int* keyCode, const char* status) = 0;
    // The mouse in the graphics window. Positions are 0..1024 across and
    // down the drawing area; events 1 button pressed, 2 moved with the
    // button held, 3 released, 4 moved without a button.
    // Waits for a click or a key: returns the character typed, else the key
    // code, else 0 for a click; the last mouse position in *x, *y. Without a
    // graphics window only a key ends the wait.
    virtual int waitMouseClick(double* x, double* y, const char* status) = 0;
    // Waits for a press, a move with the button held, a release or a key:
    // returns the event, or 0 when a key ended the wait (the character,
    // else the key code, in *key). *time: the event's milliseconds.
    virtual int waitMouseDrag(double* x, double* y, int* time, int* key, const char* status) = 0;
    // The last mouse position and event, without waiting.
    virtual int getMousePosition(double* x, double* y) = 0;

    // Writes interpreter output (text in the program's code page; a text
    // that begins with the bytes EF BB BF is UTF-8).
    virtual int printToTextWindow(const char* text) = 0;
    virtual void showWarning(const char* text, const char* title) = 0;
    // A result shown as a formula: its TeX text rendered into the notebook,
    // or the text itself.
    virtual void insertLatexImage(const char* latex) = 0;
    // Asks the user whether something may start (a command, a library,
    // Python): an AllowAnswer of platform/allow_question.h, allowNo when
    // nobody can be asked.
    virtual int askAllowDialog(const char* question) = 0;
    virtual void showTextWindow() {}
    virtual void setStatusText(const char*) {}
    // The statement that failed in an unattended run.
    virtual void reportAutomaticModeError(const char*) {}
    virtual void endFunctionEntry() {}
    // Clears the notebook and the graphics for a restarted interpreter.
    virtual void startNewNotebook() {}
    // Clears the notebook's lines (interpreter start, command `cls`).
    virtual void clearTextWindow() {}
    // The user menu of the window: a loaded program file, the submenu that
    // later entries go to, an entry.
    virtual void addLoadedFileToMenu(const char*) {}
    virtual void setUserSubmenuName(const char*) {}
    virtual void addUserMenuItem(const char*) {}
    // Any thread: 1 while the Shift key is held down.
    virtual int isShiftKeyHeld() { return 0; }
    // Whether the jobs of the interpreter's (re)start run (a user is at the
    // terminal or at the windows).
    virtual bool runsStartupJobs() { return false; }
    // The interpreter loop has returned.
    virtual void interpreterEnded() {}
    // Where pictures go; null: no notebook to show them in.
    virtual PictureService* pictureService() { return nullptr; }
};

// The host in use. Start-up installs it before the computation thread
// starts; a program that links the terminal host and installs none runs on
// the terminal (tests, benchmarks).
extern Host* installedHost;
// Installs `host`; returns the one installed before.
Host* installHost(Host* host);

inline int readInputLine(char* buffer) { return installedHost->readInputLine(buffer); }
inline int checkEscape() { return installedHost->checkEscape(); }
// The same as the stop poll that kernels and writers take as a callback
// (the context is not used).
inline bool escapePressed() { return checkEscape() != 0; }
inline bool escapePressed(void*) { return checkEscape() != 0; }
inline int pollKey() { return installedHost->pollKey(); }
inline int waitKeyWithStatus(int* keyCode, const char* status) {
    return installedHost->waitKeyWithStatus(keyCode, status);
}
inline int waitForKey(int* keyCode) { return waitKeyWithStatus(keyCode, ""); }
inline int waitWithStatus(double seconds, int* keyCode, const char* status) {
    return installedHost->waitWithStatus(seconds, keyCode, status);
}
inline int waitSeconds(double seconds, int* keyCode) {
    return waitWithStatus(seconds, keyCode, "");
}
inline int waitMouseClick(double* x, double* y, const char* status) {
    return installedHost->waitMouseClick(x, y, status);
}
inline int waitForMouse(double* x, double* y) {
    return waitMouseClick(x, y, "Waiting for mouse press or key.");
}
inline int waitMouseDrag(double* x, double* y, int* time, int* key, const char* status) {
    return installedHost->waitMouseDrag(x, y, time, key, status);
}
inline int getMousePosition(double* x, double* y) { return installedHost->getMousePosition(x, y); }

// --- output and messages --------------------------------------------------

inline int printToTextWindow(const char* text) { return installedHost->printToTextWindow(text); }
inline void showTextWindow() { installedHost->showTextWindow(); }
inline void setStatusText(const char* text) { installedHost->setStatusText(text); }
inline void reportAutomaticModeError(const char* line) {
    installedHost->reportAutomaticModeError(line);
}
inline void showWarning(const char* text, const char* title) {
    installedHost->showWarning(text, title);
}
inline int isShiftKeyHeld() { return installedHost->isShiftKeyHeld(); }
inline void insertLatexImage(const char* latex) { installedHost->insertLatexImage(latex); }
inline void endFunctionEntry() { installedHost->endFunctionEntry(); }
inline void addLoadedFileToMenu(const char* name) { installedHost->addLoadedFileToMenu(name); }
inline void setUserSubmenuName(const char* name) { installedHost->setUserSubmenuName(name); }
inline void addUserMenuItem(const char* text) { installedHost->addUserMenuItem(text); }
inline void startNewNotebook() { installedHost->startNewNotebook(); }
inline void clearTextWindow() { installedHost->clearTextWindow(); }
inline int askAllowDialog(const char* question) { return installedHost->askAllowDialog(question); }

// Interpreter (re)start jobs: Maxima when configured. Run when the host
// runs them (not for input from a pipe or file, an unattended run, nor with
// "-script").
void startStartupThread();
// The job that starts Maxima (installed by the Maxima bridge).
void setStartupJob(void (*job)());

void writeLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Opens the log file (setting "logging"); writeLog is silent until then.
void openLogFile(const char* path);
void closeLogFile();

// --- directories, files and clocks ----------------------------------------

// Changes the current directory (an empty path changes nothing) and returns
// the current directory, in a static buffer.
const char* changeDirectory(const char* path);
void changeToProgramDir();
const char* getHomeDir();
const char* getProgramDir();
const char* getUserDir();
const char* getUserWorkDir();
const char* getUserProfileDir();
int checkFileExists(const char* name);
// Copies a regular file with its permissions, overwriting the target; 0
// when the source cannot be read, is the target itself or the copy fails
// or, with `escapeStops` (the computation thread's copies), is stopped by
// Escape. The part of a copy that failed or stopped is removed.
int copyFile(const char* from, const char* to, int escapeStops);
// Removes a file (not a directory); 1 on success.
int removeFile(const char* name);
int makeDirectory(const char* name);
// With a pattern ("dir/*.k": "*" and "?" are the wildcards) starts a new
// search, with null continues it. Returns the next matching name in byte
// order (directories with "/" appended; "." and ".." left out), null at
// the end.
const char* findNextFile(const char* pattern);
// Seconds of a monotonic wall clock since start.
double getClockSeconds();
// Returns the milliseconds.
int getCurrentTime(int* year, int* month, int* day, int* hour, int* minute, int* second,
                   int* millisecond, int utc);
void formatNow(char* buffer, size_t size, int utc);
int isNanValue(double x);
// Bytes of the computation thread's machine stack in use, -1 when unknown.
int getUsedStackSize();

// --- child processes ------------------------------------------------------

// How execProgram ended: the child started, it could not be started (a
// warning was shown), or the user refused it (the caller says "Command was
// not allowed!"). Both failures are error 1 for the interpreter.
enum ExecStatus { execStarted, execFailed, execRefused };

// Starts `program` (searched on PATH when it holds no "/") with `arguments`
// split into words (blanks separate, double quotes group, \" is a quote) in
// `directory` (empty: current), never through a shell. With `usePipes` the
// child's standard output and error go into one pipe, read with
// readExecPipe, and its input comes from writeExecPipe. With `wait` it
// waits, reading the pipe meanwhile so that the child never blocks, and
// returns the exit code (128 + the signal for a child ended by a signal);
// Escape ends the child. `output` then receives everything the child wrote.
int execProgram(const char* program, const char* arguments, const char* directory, int usePipes,
                int hidden, int wait, std::string* output, ExecStatus* status);
// Appends what the child has written so far to `text` without waiting; 0
// when no pipe is open.
int readExecPipe(std::string* text);
// Writes the text (and "\n" when `addNewline`) to the child's input; 1 on
// success. While the pipe is full the child's output is read meanwhile;
// Escape gives up.
int writeExecPipe(const char* text, int addNewline);
void killExecProcess();
// Asks the question exec asks before it runs the command line (the program
// in double quotes, a blank and the arguments) in `directory` ("" for the
// current one); true when it may run. "Allow all until restart" covers
// every later command, Maxima's start included.
bool askToRunCommand(const std::string& commandLine, const char* directory);
// Whether a command would run without the question (askexec 0, or allowed
// until restart).
bool commandsRunWithoutAsking();
// Forgets the permission "until restart" for child processes.
void resetExecPermission();

}  // namespace kalix
// (The permission question itself, askAllowDialog, is the host's; callers
// ask through askAllowed, which heeds "askexec".)
