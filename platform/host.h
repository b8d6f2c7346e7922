// Host services the interpreter calls from the computation thread: line
// input, the Escape poll, waits, output into the text window, messages,
// the log, directories and files, clocks and child processes. This build's
// host is a terminal (terminal/terminal_host.cpp): lines come from standard
// input and output goes to standard output.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

// --- start-up facts -------------------------------------------------------

extern int scriptMode;            // started with "-script"
extern int secondInstance;        // started with "-second"
extern int systemCodePageIsUtf8;  // code page 65001 selected
// Code page of the program's 8-bit text; set at start, and by the GUI
// thread's code page dialog for the next start.
extern std::atomic<int> codePage;

// Ctrl-C becomes the Escape key; broken pipes do not end the program.
void installInterruptHandler();
// Called first on the computation thread: the base for getUsedStackSize.
void markComputationStackBase();

// Interpreter (re)start jobs: Maxima when configured, graphics redraw.
void startStartupThread();
// The job that starts Maxima; run by startStartupThread for a user at a
// terminal (not for input from a pipe or file, nor with "-script").
void setStartupJob(void (*job)());
// Clears the notebook and the graphics for a restarted interpreter.
void startNewNotebook();
// Clears the notebook's lines (interpreter start, command `cls`).
void clearTextWindow();

// --- unattended notebook runs ----------------------------------------------

// "-run" and "-xrun" run a notebook with nobody at it: the notebook supplies
// the command lines and takes the output. Start-up sets `unattendedRun`
// before the computation thread starts; the host then hands line input,
// output and the automatic-mode error report to it.
class UnattendedRun {
  public:
    virtual ~UnattendedRun() = default;
    // As readInputLine.
    virtual int readLine(char* buffer) = 0;
    virtual int print(const char* text) = 0;
    virtual void reportError(const char* line) = 0;
};
extern UnattendedRun* unattendedRun;

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

// Reads the next command line into `buffer` (at least `inputBufferSize`
// bytes). Returns 1 with a line, 0 at the end of the input (the buffer is
// then empty), inputLineTooLong for a refused line.
int readInputLine(char* buffer);

// 5 (and clears it) when Escape was stored, else 0.
int checkEscape();
// The same as the stop poll that kernels and writers take as a callback
// (the context is not used).
inline bool escapePressed() { return checkEscape() != 0; }
inline bool escapePressed(void*) { return checkEscape() != 0; }
// The last character typed (then cleared), 0 when none.
int pollKey();
// Waits for a key; returns the character (0 for a special key) and stores
// the key code in `*keyCode`. When no key can come any more (the input has
// ended) the key is Escape.
int waitKeyWithStatus(int* keyCode, const char* status);
int waitForKey(int* keyCode);
// Waits `seconds` or until a key; below one second simply sleeps.
int waitWithStatus(double seconds, int* keyCode, const char* status);
int waitSeconds(double seconds, int* keyCode);

// The mouse in the graphics window. Positions are 0..1024 across and down
// the drawing area; events 1 button pressed, 2 moved with the button held,
// 3 released, 4 moved without a button.
// Waits for a click or a key: returns the character typed, else the key
// code, else 0 for a click; the last mouse position in *x, *y. Without a
// graphics window only a key ends the wait.
int waitMouseClick(double* x, double* y, const char* status);
int waitForMouse(double* x, double* y);
// Waits for a press, a move with the button held, a release or a key:
// returns the event, or 0 when a key ended the wait (the character, else
// the key code, in *key). *time: the event's milliseconds.
int waitMouseDrag(double* x, double* y, int* time, int* key, const char* status);
// The last mouse position and event, without waiting.
int getMousePosition(double* x, double* y);

// --- output and messages --------------------------------------------------

// Writes interpreter output (text in the program's code page; a text that
// begins with the bytes EF BB BF is UTF-8).
int printToTextWindow(const char* text);
void showTextWindow();
void setStatusText(const char* text);
void reportAutomaticModeError(const char* line);
void showWarning(const char* text, const char* title);
void writeLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Opens the log file (setting "logging"); writeLog is silent until then.
void openLogFile(const char* path);
void closeLogFile();
// 1 while the Shift key is held down (never on a terminal).
int isShiftKeyHeld();
// From any thread: the program on a terminal is to end (a computation stops
// as with Ctrl-C, line input ends).
void requestTerminalQuit();
void insertLatexImage(const char* latex);
void endFunctionEntry();
// The user menu of the window: a loaded program file, the submenu that
// later entries go to, an entry (nothing on a terminal).
void addLoadedFileToMenu(const char* name);
void setUserSubmenuName(const char* name);
void addUserMenuItem(const char* text);

// --- directories, files and clocks ----------------------------------------

// Changes the current directory (an empty path changes nothing) and returns
// the current directory, in a static buffer.
const char* changeDirectory(const char* path);
void changeToProgramDir();
void changeToHomeDir();
const char* getHomeDir();
const char* getProgramDir();
const char* getUserDir();
const char* getUserWorkDir();
const char* getUserProfileDir();
int checkFileExists(const char* name);
// Copies a regular file with its permissions, overwriting the target; 0
// when the source cannot be read, is the target itself or the copy fails.
int copyFile(const char* from, const char* to);
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
// Forgets the permission "until restart" for child processes.
void resetExecPermission();
// Asks the user whether something may start (a command, a library,
// Python): an AllowAnswer of platform/allow_question.h, allowNo when nobody
// can be asked. Callers ask through askAllowed, which heeds "askexec".
int askAllowDialog(const char* question);
