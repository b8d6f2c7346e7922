// Host services that do not depend on the kind of window: directories,
// files, clocks, the log and child processes.
#include "platform/host.h"

#include <fcntl.h>
#include <glob.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "shell/base_directory.h"
#include "shell/settings.h"

int scriptMode = 0;
int secondInstance = 0;
int systemCodePageIsUtf8 = 0;
int codePage = 1252;
int continuationActive = 0;

// --- the log --------------------------------------------------------------

static FILE* logFile = nullptr;

void openLogFile(const char* path) {
    if (logFile) std::fclose(logFile);
    logFile = std::fopen(path, "a");
}

void writeLog(const char* format, ...) {
    if (!logFile) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(logFile, format, arguments);
    va_end(arguments);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}

// --- directories ----------------------------------------------------------

const char* changeDirectory(const char* path) {
    static char current[1024];
    if (path[0] && chdir(path) != 0) {
        // A failing change is not reported; the result shows the directory.
    }
    if (!getcwd(current, sizeof current)) return path;
    return current;
}

void changeToProgramDir() { changeDirectory(programDir.getText()); }

void changeToHomeDir() { changeDirectory(homeDir.getText()); }

const char* getHomeDir() { return homeDir.getText(); }

const char* getProgramDir() { return programDir.getText(); }

const char* getUserProfileDir() {
    static std::string directory;
    const char* home = std::getenv("HOME");
    directory = home ? home : "";
    directory += "/";
    return directory.c_str();
}

const char* getUserDir() {
    if (userFilesDir.getText()[0]) return userFilesDir.getText();
    return getUserProfileDir();
}

const char* getUserWorkDir() {
    static std::string directory;
    directory = std::string(getUserProfileDir()) + "Kalix/";
    mkdir(directory.c_str(), 0777);
    if (!checkFileExists(directory.c_str())) directory = getUserProfileDir();
    return directory.c_str();
}

// --- files ----------------------------------------------------------------

int checkFileExists(const char* name) { return access(name, F_OK) == 0; }

int copyFile(const char* from, const char* to) {
    FILE* in = std::fopen(from, "rb");
    if (!in) return 0;
    FILE* out = std::fopen(to, "wb");
    if (!out) {
        std::fclose(in);
        return 0;
    }
    char buffer[65536];
    size_t n;
    int ok = 1;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        if (std::fwrite(buffer, 1, n, out) != n) ok = 0;
    }
    if (std::ferror(in)) ok = 0;
    std::fclose(in);
    if (std::fclose(out) != 0) ok = 0;
    return ok;
}

int makeDirectory(const char* name) {
    mkdir(name, 0777);
    return checkFileExists(name);
}

const char* findNextFile(const char* pattern) {
    static std::vector<std::string> found;
    static size_t next = 0;
    static bool active = false;
    static std::string result;
    if (pattern) {
        found.clear();
        next = 0;
        glob_t matches;
        if (glob(pattern, GLOB_MARK, nullptr, &matches) == 0) {
            for (size_t i = 0; i < matches.gl_pathc; i++) found.push_back(matches.gl_pathv[i]);
        }
        globfree(&matches);
        active = true;
    }
    if (!active || next >= found.size()) {
        active = false;
        return nullptr;
    }
    // The name without its directory; directories keep their "/".
    std::string path = found[next++];
    bool directory = path.size() > 1 && path.back() == '/';
    if (directory) path.pop_back();
    size_t slash = path.rfind('/');
    result = slash == std::string::npos ? path : path.substr(slash + 1);
    if (directory) result += "/";
    return result.c_str();
}

// --- clocks ---------------------------------------------------------------

static double monotonicSeconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

static const double clockStart = monotonicSeconds();

double getClockSeconds() {
    // Millisecond steps, like a clock of milliseconds.
    return std::floor((monotonicSeconds() - clockStart) * 1000.0) / 1000.0;
}

static void readCalendar(int utc, tm* fields, int* millisecond) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (utc)
        gmtime_r(&now.tv_sec, fields);
    else
        localtime_r(&now.tv_sec, fields);
    *millisecond = int(now.tv_nsec / 1000000);
}

int getCurrentTime(int* year, int* month, int* day, int* hour, int* minute, int* second,
                   int* millisecond, int utc) {
    tm fields;
    readCalendar(utc, &fields, millisecond);
    *year = fields.tm_year + 1900;
    *month = fields.tm_mon + 1;
    *day = fields.tm_mday;
    *hour = fields.tm_hour;
    *minute = fields.tm_min;
    *second = fields.tm_sec;
    return *millisecond;
}

void formatNow(char* buffer, size_t size, int utc) {
    tm fields;
    int millisecond;
    readCalendar(utc, &fields, &millisecond);
    if (std::strftime(buffer, size, "%A, %B %d, %Y %H:%M:%S", &fields) == 0 && size) buffer[0] = 0;
}

int isNanValue(double x) { return x != x; }

// --- the machine stack of the computation thread --------------------------

static char* computationStackBase = nullptr;

void markComputationStackBase() {
    computationStackBase = static_cast<char*>(__builtin_frame_address(0));
}

int getUsedStackSize() {
    if (!computationStackBase) return -1;
    ptrdiff_t used = computationStackBase - static_cast<char*>(__builtin_frame_address(0));
    return used < 0 ? -1 : int(used);
}

// --- child processes ------------------------------------------------------

static pid_t execProcess = 0;
static int outputPipe = -1;        // read end: what the child writes
static int inputPipe = -1;         // write end: what the child reads
static std::string pendingOutput;  // read from the pipe while waiting
static int execAllowedUntilRestart = 0;

void resetExecPermission() { execAllowedUntilRestart = 0; }

static void closePipes() {
    if (outputPipe >= 0) close(outputPipe);
    if (inputPipe >= 0) close(inputPipe);
    outputPipe = inputPipe = -1;
    pendingOutput.clear();
}

void killExecProcess() {
    if (execProcess > 0) {
        kill(execProcess, SIGKILL);
        waitpid(execProcess, nullptr, 0);
    }
    execProcess = 0;
}

// Appends what the child has written so far to `pendingOutput`.
static void drainOutputPipe() {
    if (outputPipe < 0) return;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(outputPipe, buffer, sizeof buffer);
        if (n <= 0) return;
        pendingOutput.append(buffer, size_t(n));
    }
}

int readExecPipe(char* buffer, int size) {
    if (size <= 0) return 0;
    buffer[0] = 0;
    if (outputPipe < 0) return 0;
    drainOutputPipe();
    size_t n = std::min(pendingOutput.size(), size_t(size > 1 ? size - 2 : 0));
    std::memcpy(buffer, pendingOutput.data(), n);
    buffer[n] = 0;
    pendingOutput.erase(0, n);
    return 1;
}

static int writeAll(int fd, const char* text, size_t n) {
    while (n > 0) {
        ssize_t written = write(fd, text, n);
        if (written < 0) {
            if (errno == EINTR) continue;
            return 0;
        }
        text += written;
        n -= size_t(written);
    }
    return 1;
}

int writeExecPipe(const char* text, int addNewline) {
    if (inputPipe < 0) return 0;
    int ok = writeAll(inputPipe, text, std::strlen(text));
    if (addNewline) ok = writeAll(inputPipe, "\n", 1);
    return ok;
}

std::vector<std::string> splitWords(const char* text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char* p = text ? text : ""; *p; p++) {
        if (*p == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += *p;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// Asks the user whether the command may run: 1 yes, 2 no, 3 until restart.
static int askAllowDialog(const std::string& question) {
    FILE* terminal = std::fopen("/dev/tty", "r+");
    if (!terminal) return 2;
    std::fprintf(terminal, "%s\n(y)es, (n)o, (a)lways: ", question.c_str());
    std::fflush(terminal);
    char answer[64] = "";
    if (!std::fgets(answer, sizeof answer, terminal)) answer[0] = 0;
    std::fclose(terminal);
    if (answer[0] == 'y' || answer[0] == 'Y') return 1;
    if (answer[0] == 'a' || answer[0] == 'A') return 3;
    return 2;
}

static void failExec(const char* format, const std::string& text, ExecStatus* status) {
    char message[2048];
    std::snprintf(message, sizeof message, format, text.c_str());
    showWarning(message, "Kalix");
    *status = execFailed;
}

// Waits for the child in 500 ms steps, reading its output meanwhile, until
// it ends or Escape is pressed. Returns the exit code.
static int waitForChild() {
    setStatusText("Waiting for process, press Esc to exit.");
    int status = 0;
    for (;;) {
        pid_t done = waitpid(execProcess, &status, WNOHANG);
        if (done == execProcess || done < 0) break;
        if (checkEscape()) {
            kill(execProcess, SIGKILL);
            waitpid(execProcess, &status, 0);
            break;
        }
        pollfd watch = {outputPipe, POLLIN, 0};
        if (outputPipe >= 0)
            poll(&watch, 1, 500);
        else
            poll(nullptr, 0, 500);
        drainOutputPipe();
    }
    execProcess = 0;
    setStatusText("");
    drainOutputPipe();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 0;
}

int execProgram(const char* program, const char* arguments, const char* directory, int usePipes,
                int /*hidden*/, int wait, char* output, int outputSize, ExecStatus* status) {
    *status = execStarted;
    if (output && outputSize > 0) output[0] = 0;
    if (usePipes && !wait) killExecProcess();
    std::string commandLine = std::string("\"") + program + "\"";
    if (arguments && arguments[0]) commandLine += std::string(" ") + arguments;

    int toParent[2] = {-1, -1};
    int toChild[2] = {-1, -1};
    if (usePipes) {
        if (pipe2(toParent, O_CLOEXEC) != 0) {
            failExec("Could not pipe from\n%s", commandLine, status);
            return 0;
        }
        if (pipe2(toChild, O_CLOEXEC) != 0) {
            close(toParent[0]);
            close(toParent[1]);
            failExec("Could not pipe to\n%s", commandLine, status);
            return 0;
        }
    }
    if (intSetting("askexec") && !execAllowedUntilRestart) {
        std::string question = "Kalix wants to execute the command\n\n" + commandLine;
        if (directory && directory[0]) question += std::string("\n\nin directory\n\n") + directory;
        question += "\n\nAllow this command?";
        int answer = askAllowDialog(question);
        if (answer == 2) {
            for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
                if (fd >= 0) close(fd);
            *status = execRefused;
            return 1;
        }
        if (answer == 3) execAllowedUntilRestart = 1;
    }

    std::vector<std::string> words = splitWords(arguments);
    words.insert(words.begin(), program);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (usePipes) {
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, toParent[1], 1);
        posix_spawn_file_actions_adddup2(&actions, toParent[1], 2);
    }
    if (directory && directory[0]) posix_spawn_file_actions_addchdir_np(&actions, directory);
    pid_t child = 0;
    extern char** environ;
    int failed = posix_spawnp(&child, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (usePipes) {
        close(toChild[0]);
        close(toParent[1]);
    }
    if (failed) {
        if (usePipes) {
            close(toParent[0]);
            close(toChild[1]);
        }
        failExec(failed == ENOENT ? "Could not find\n%s" : "Could not call\n%s",
                 failed == ENOENT ? std::string(program) : commandLine, status);
        return 1;
    }
    if (usePipes) {
        closePipes();
        outputPipe = toParent[0];
        inputPipe = toChild[1];
        fcntl(outputPipe, F_SETFL, O_NONBLOCK);
    }
    if (execProcess > 0) waitpid(execProcess, nullptr, WNOHANG);
    execProcess = child;
    if (!wait) return 0;
    int code = waitForChild();
    if (usePipes && output) readExecPipe(output, outputSize);
    return code;
}
