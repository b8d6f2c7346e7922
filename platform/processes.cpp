// Child processes: one remembered child at a time, started with posix_spawn
// and an argument vector (never through a shell). The remembered child is
// the last one started without waiting: a waited child runs to its end (or
// Escape) and leaves the remembered one as it was, for execkill and the
// end of the program. A capturing child writes
// its standard output and error into one pipe and reads its standard input
// from another; the pipe is read whenever the program waits on the child,
// so a child that writes a lot never blocks.
#include "platform/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/settings.h"
#include "platform/allow_question.h"
#include "platform/crash_guard.h"
#include "platform/host.h"

extern char** environ;

namespace kalix {

namespace {

// Owned by the computation thread (the crash guard keeps copies).
pid_t execProcess = 0;
bool execOwnGroup = false;    // the child leads a process group of its own
std::vector<pid_t> unreaped;  // earlier children, reaped once they end
int outputPipe = -1;          // read end: what the child writes
int inputPipe = -1;           // write end: what the child reads
bool outputEnded = false;     // every writer of the output pipe has gone
std::string pendingOutput;    // read from the pipe, not yet handed out
int execAllowedUntilRestart = 0;

// The most one read of the pipe takes, so that a child writing without end
// cannot keep `execread` reading for ever.
constexpr size_t readLimit = size_t(16) << 20;
// Poll steps while waiting: Escape is seen within one step.
constexpr int waitStepMilliseconds = 100;

// The exec child, also for the crash guard, which ends it.
void rememberExec(pid_t child, bool ownGroup) {
    execProcess = child;
    execOwnGroup = ownGroup;
    setCrashChildProcess(crashChildExec, child, ownGroup);
}

// Reaps the children that have ended, the remembered one too (it is then
// forgotten: there is nothing left to end).
void reapFinished() {
    std::erase_if(unreaped, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
    if (execProcess > 0 && waitpid(execProcess, nullptr, WNOHANG) != 0) rememberExec(0, false);
}

void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

void closePipes() {
    closeFd(outputPipe);
    closeFd(inputPipe);
    outputEnded = false;
    pendingOutput.clear();
}

// Moves what the pipe holds now (at most `limit` bytes) to `into`; notes
// in `*ended` when the pipe has ended.
void drainPipe(int fd, bool* ended, std::string& into, size_t limit) {
    if (fd < 0 || *ended) return;
    char buffer[65536];
    for (size_t taken = 0; taken < limit;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, size_t(n));
            taken += size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n == 0) *ended = true;
            return;
        }
    }
}

void drainOutputPipe(size_t limit) { drainPipe(outputPipe, &outputEnded, pendingOutput, limit); }

void terminate(pid_t pid, bool group, int* status) {
    kill(group ? -pid : pid, SIGKILL);
    while (waitpid(pid, status, 0) < 0 && errno == EINTR) {}
}

int exitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 0;
}

void failExec(const char* format, const std::string& text, ExecStatus* status) {
    char message[2048];
    std::snprintf(message, sizeof message, format, text.c_str());
    showWarning(message, "Kalix");
    *status = execFailed;
}

// Waits for `child`, reading the output pipe meanwhile when `watchPipe`,
// until it ends or Escape ends it. Returns its wait status.
int waitForChild(pid_t child, bool ownGroup, bool watchPipe) {
    setStatusText("Waiting for process, press Esc to exit.");
    setCrashChildProcess(crashChildWaitedExec, child, ownGroup);
    int status = 0;
    waitForChildEnd(child, ownGroup, watchPipe ? outputPipe : -1, &outputEnded, pendingOutput,
                    &status);
    setCrashChildProcess(crashChildWaitedExec, 0, 0);
    setStatusText("");
    return status;
}

// Writes all bytes to the child's input. While the pipe is full the
// child's output is read, so that a child that writes before it reads on
// does not block both; Escape gives up.
int writeAll(const char* text, size_t n) {
    while (n > 0) {
        ssize_t written = write(inputPipe, text, n);
        if (written > 0) {
            text += written;
            n -= size_t(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            pollfd watch[2] = {{inputPipe, POLLOUT, 0}, {outputPipe, POLLIN, 0}};
            bool readable = outputPipe >= 0 && !outputEnded;
            if (poll(watch, readable ? 2 : 1, waitStepMilliseconds) < 0 && errno != EINTR) return 0;
            drainOutputPipe(readLimit);
            if (checkEscape()) return 0;
        } else {
            return 0;  // the child has closed its input or ended
        }
    }
    return 1;
}

bool isExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> splitCommandWords(const char* text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char* p = text ? text : ""; *p; p++) {
        if (*p == '\\' && p[1] == '"') {
            word += '"';
            inWord = true;
            p++;
        } else if (*p == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')) {
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

std::string findProgram(const char* name) {
    if (!name[0]) return "";
    if (std::strchr(name, '/')) {
        if (access(name, F_OK) != 0) return "";
        if (name[0] == '/') return name;
        // The child changes to its directory first; the name is meant from here.
        char here[PATH_MAX];
        return getcwd(here, sizeof here) ? std::string(here) + "/" + name : name;
    }
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (size_t start = 0;;) {
        size_t end = list.find(':', start);
        std::string directory = list.substr(start, end == std::string::npos ? end : end - start);
        std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
        if (end == std::string::npos) return "";
        start = end + 1;
    }
}

int startChild(const std::string& path, const std::vector<std::string>& words, int input,
               int output, bool ownGroup, const char* directory, pid_t* child) {
    if (words.empty()) return ENOENT;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, 0);
    else if (input == childStreamNull)
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, output, 1);
        posix_spawn_file_actions_adddup2(&actions, output, 2);
    } else if (output == childStreamNull) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    if (directory && directory[0]) posix_spawn_file_actions_addchdir_np(&actions, directory);
    // Kalix ignores SIGPIPE and takes Ctrl-C as Escape; the child must not.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (ownGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    posix_spawnattr_setflags(&attributes, flags);
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    int failed = posix_spawn(child, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed;
}

ChildEnd waitForChildEnd(pid_t child, bool ownGroup, int pipe, bool* pipeEnded, std::string& output,
                         int* status) {
    *status = 0;
    bool watchPipe = pipe >= 0;
    int pidfd = int(syscall(SYS_pidfd_open, child, 0));
    ChildEnd end = childEnded;
    for (;;) {
        pollfd watch[2];
        int n = 0;
        if (pidfd >= 0) watch[n++] = {pidfd, POLLIN, 0};
        if (watchPipe && !*pipeEnded) watch[n++] = {pipe, POLLIN, 0};
        // Without a process descriptor the end of the child is polled.
        int step = pidfd >= 0 ? waitStepMilliseconds : 10;
        poll(n > 0 ? watch : nullptr, nfds_t(n), step);
        if (watchPipe) drainPipe(pipe, pipeEnded, output, SIZE_MAX);
        pid_t done = waitpid(child, status, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) {
            *status = 0;
            end = childLost;
            break;
        }
        if (checkEscape()) {
            terminate(child, ownGroup, status);
            end = childInterrupted;
            break;
        }
    }
    if (pidfd >= 0) close(pidfd);
    // Output still in the pipe; a grandchild may keep the pipe open, so
    // its end is not awaited.
    if (watchPipe) drainPipe(pipe, pipeEnded, output, SIZE_MAX);
    return end;
}

int runProgramCollectingOutput(const std::vector<std::string>& words, std::string& output) {
    if (words.empty()) return programNotStarted;
    std::string path = findProgram(words[0].c_str());
    if (path.empty()) return programNotStarted;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return programNotStarted;
    pid_t child = 0;
    int failed = startChild(path, words, childStreamNull, fds[1], true, nullptr, &child);
    close(fds[1]);
    if (failed) {
        close(fds[0]);
        return programNotStarted;
    }
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    bool ended = false;
    int status = 0;
    ChildEnd end = waitForChildEnd(child, true, fds[0], &ended, output, &status);
    close(fds[0]);
    if (end == childInterrupted) return programInterrupted;
    if (end == childLost || !WIFEXITED(status)) return programKilled;
    return WEXITSTATUS(status);
}

bool askToRunCommand(const std::string& commandLine, const char* directory) {
    std::string question = "Kalix wants to execute the command\n\n" + commandLine;
    if (directory && directory[0]) question += std::string("\n\nin directory\n\n") + directory;
    question += "\n\nAllow this command?";
    return askAllowed(question.c_str(), &execAllowedUntilRestart);
}

bool commandsRunWithoutAsking() { return !intSetting("askexec") || execAllowedUntilRestart; }

void resetExecPermission() { execAllowedUntilRestart = 0; }

void killExecProcess() {
    if (execProcess > 0) {
        int status;
        terminate(execProcess, execOwnGroup, &status);
    }
    rememberExec(0, false);
    reapFinished();
}

int readExecPipe(std::string* text) {
    reapFinished();
    if (outputPipe < 0) return 0;
    drainOutputPipe(readLimit);
    text->append(pendingOutput);
    pendingOutput.clear();
    return 1;
}

int writeExecPipe(const char* text, int addNewline) {
    if (inputPipe < 0) return 0;
    int ok = writeAll(text, std::strlen(text));
    if (ok && addNewline) ok = writeAll("\n", 1);
    return ok;
}

int execProgram(const char* program, const char* arguments, const char* directory, int usePipes,
                int hidden, int wait, std::string* output, ExecStatus* status) {
    *status = execStarted;
    if (output) output->clear();
    reapFinished();
    if (usePipes && !wait) killExecProcess();
    std::string commandLine = std::string("\"") + program + "\"";
    if (arguments && arguments[0]) commandLine += std::string(" ") + arguments;

    if (!askToRunCommand(commandLine, directory)) {
        *status = execRefused;
        return 1;
    }

    int toParent[2] = {-1, -1};
    int toChild[2] = {-1, -1};
    if (usePipes) {
        if (pipe2(toParent, O_CLOEXEC) != 0) {
            failExec("Could not pipe from\n%s", commandLine, status);
            return 0;
        }
        if (pipe2(toChild, O_CLOEXEC) != 0) {
            closeFd(toParent[0]);
            closeFd(toParent[1]);
            failExec("Could not pipe to\n%s", commandLine, status);
            return 0;
        }
    }
    auto closeAll = [&] {
        for (int* fd : {&toParent[0], &toParent[1], &toChild[0], &toChild[1]}) closeFd(*fd);
    };

    std::string path = findProgram(program);
    if (path.empty()) {
        closeAll();
        failExec("Could not find\n%s", program, status);
        return 1;
    }
    std::vector<std::string> words = splitCommandWords(arguments);
    words.insert(words.begin(), program);

    // A child that shares the terminal stays in this process group (Ctrl-C
    // reaches it as it would from a shell); any other leads a group of its
    // own, which Escape ends as a whole. Without a terminal the child must
    // not read the program's input; a hidden child shows nothing.
    bool sharesTerminal = !usePipes && !hidden && isatty(STDIN_FILENO);
    int childInput = usePipes         ? toChild[0]
                     : sharesTerminal ? childStreamInherited
                                      : childStreamNull;
    int childOutput = usePipes ? toParent[1] : hidden ? childStreamNull : childStreamInherited;
    std::fflush(stdout);
    pid_t child = 0;
    int failed =
        startChild(path, words, childInput, childOutput, !sharesTerminal, directory, &child);
    closeFd(toChild[0]);
    closeFd(toParent[1]);
    if (failed) {
        closeAll();
        failExec("Could not call\n%s", commandLine, status);
        return 1;
    }
    if (usePipes) {
        closePipes();
        outputPipe = toParent[0];
        inputPipe = toChild[1];
        fcntl(outputPipe, F_SETFL, O_NONBLOCK);
        fcntl(inputPipe, F_SETFL, O_NONBLOCK);
    }
    if (!wait) {
        // A child started before without pipes is no longer remembered.
        if (execProcess > 0) unreaped.push_back(execProcess);
        reapFinished();
        rememberExec(child, !sharesTerminal);
        return 0;
    }
    int code = exitCodeOf(waitForChild(child, !sharesTerminal, usePipes != 0));
    if (usePipes && output) {
        output->swap(pendingOutput);
        pendingOutput.clear();
    }
    return code;
}

}  // namespace kalix
