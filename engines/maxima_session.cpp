#include "engines/maxima_session.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/settings.h"
#include "base/threads.h"
#include "interpreter/output.h"
#include "platform/child_process.h"
#include "platform/host.h"

namespace kalix {

MaximaProcess maximaProcess;
int maximaDisplay2d = 1;

namespace {

IntCell running{0};
std::vector<std::string> startupCommands;

// Starts the process and greets it on a thread of its own.
class MaximaStartupThread : public Thread {
  public:
    std::vector<std::string> call;
    std::vector<std::string> commands;
    Parker finished;  // unparked when a run ends

    int run() override {
        auto stop = [this] { return stopRequested() != 0; };
        int error = maximaProcess.start(call);
        std::string failure = error ? "Could not start Maxima!\nSetup Maxima in the menu."
                                    : greetMaxima(maximaProcess, commands, stop);
        if (failure.empty()) {
            setIntCell(running);
        } else {
            maximaProcess.close();
            if (!stopRequested()) showWarning(failure.c_str(), "Kalix");
        }
        finished.unpark();
        return 0;
    }
};

MaximaStartupThread startupThread;

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::char_traits<char>::length(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool isExecutable(const std::string& path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The words that start Maxima from `directory`; none (with the warning
// shown) when the settings name nothing that can be called.
std::vector<std::string> maximaCall(const char* directory) {
    // Each setting's text is taken before the next one is read.
    std::string callString = textSetting("maximacallstring");
    std::string callDirectory = textSetting("maximacalldir");
    std::string refusal;
    std::vector<std::string> call =
        buildMaximaCall(callString, callDirectory, directory ? directory : "", &refusal);
    if (call.empty()) showWarning(refusal.c_str(), "Kalix");
    return call;
}

// Maxima runs whatever its commands ask for (shell commands too), so its
// start is a command like those of exec: asked for, or refused with
// exec's message.
bool allowedToStart(const std::vector<std::string>& call) {
    std::string commandLine = "\"" + call[0] + "\"";
    if (call.size() > 1)
        commandLine +=
            " " + commandLineText(std::vector<std::string>(call.begin() + 1, call.end()));
    if (askToRunCommand(commandLine, "")) return true;
    fail(errorFailed, "Command was not allowed!\n");
    return false;
}

// Starts the thread that starts Maxima with `call`; false when it cannot.
bool prepareStart(const std::vector<std::string>& call) {
    std::string work = getUserWorkDir();
    std::replace(work.begin(), work.end(), '\\', '/');
    startupThread.call = call;
    startupThread.commands.assign(1, "gnuout:\"" + work + "gnuout.png\"$");
    // Plots run gnuplot to its end before Maxima answers (not through a
    // pipe to a gnuplot that goes on): a picture file is complete when the
    // answer comes, and none is cut off when Maxima ends.
    startupThread.commands.push_back("set_plot_option([plot_format, gnuplot])$");
    for (const std::string& line : startupCommands) startupThread.commands.push_back(line);
    startupThread.finished.clear();
    maximaDisplay2d = 1;
    return startupThread.startThread() == 0;
}

// Waits for the start under way: at most a minute, Escape gives up.
void waitForStart() {
    for (int i = 0; i < 600 && startupThread.isThreadRunning(); i++) {
        if (checkEscape() == keyEscape) {
            fail(errorFailed, "User interrupted!\n");
            return;
        }
        startupThread.finished.parkFor(100);
    }
}

}  // namespace

std::vector<std::string> buildMaximaCall(const std::string& callString,
                                         const std::string& callDirectory,
                                         const std::string& prefix, std::string* refusal) {
    // Debian's start script already passes "-eval (cl-user::run) -f --"
    // to the Lisp: the call adds no options of its own.
    if (callString.empty()) {
        std::string inPrefix = prefix + "/bin/maxima";
        return {!prefix.empty() && isExecutable(inPrefix) ? inPrefix : "maxima"};
    }
    if (endsWith(callString, "maxima") || endsWith(callString, "maxima.exe")) return {callString};
    if (endsWith(callString, "sbcl") || endsWith(callString, "sbcl.exe")) {
        std::string core;
        if (!findFileRecursive(callDirectory, "maxima.core", &core)) {
            *refusal = "Could not find maxima.core for sbcl.exe\nAborting Maxima.";
            return {};
        }
        return {callString, "--core",        core, "--noinform", "--end-runtime-options",
                "--eval",   "(cl-user::run)"};
    }
    *refusal = "Can only call maxima, maxima.exe or sbcl.exe for Maxima!";
    return {};
}

bool findFileRecursive(const std::string& directory, const std::string& name, std::string* path) {
    DIR* folder = opendir(directory.empty() ? "." : directory.c_str());
    if (!folder) return false;
    std::vector<std::string> files, folders;
    while (dirent* entry = readdir(folder)) {
        std::string child = directory + "/" + entry->d_name;
        struct stat s;
        if (stat(child.c_str(), &s) != 0) continue;
        if (S_ISDIR(s.st_mode)) {
            if (entry->d_name[0] != '.') folders.push_back(child);
        } else {
            files.push_back(entry->d_name);
        }
    }
    closedir(folder);
    std::sort(folders.begin(), folders.end());
    for (const std::string& child : folders)
        if (findFileRecursive(child, name, path)) return true;
    if (std::find(files.begin(), files.end(), name) == files.end()) return false;
    *path = directory + "/" + name;
    return true;
}

void setMaximaStartupCommands(const std::vector<std::string>& lines) { startupCommands = lines; }

int maximaIsRunning() { return getIntCell(running); }

void openMaxima(const char* directory) {
    if (maximaIsRunning()) return;
    writeLog("Starting Maxima");
    if (startupThread.isThreadRunning()) {
        waitForStart();
    } else {
        // Asked before the lock is taken: the question may wait for the
        // window.
        std::vector<std::string> call = maximaCall(directory);
        if (call.empty() || !allowedToStart(call)) {
            if (!errorCode) errorCode = errorFailed;
            return;
        }
        LockHold hold(maximaLock, "openMaxima");
        if (prepareStart(call)) waitForStart();
    }
    if (maximaIsRunning()) return;
    if (startupThread.isThreadRunning()) {
        if (!errorCode) showWarning("Could not receive results from Maxima!", "Kalix");
        startupThread.killThread();
        maximaProcess.close();
    }
    if (!errorCode) errorCode = errorFailed;
}

void startMaximaInBackground() {
    if (maximaIsRunning() || startupThread.isThreadRunning()) return;
    if (!intSetting("startmaxima") || scriptMode) return;
    // Nobody is asked at start-up: without the permission Maxima starts
    // at its first use, after the question.
    if (!commandsRunWithoutAsking()) return;
    std::vector<std::string> call = maximaCall(getProgramDir());
    if (call.empty()) return;
    LockHold hold(maximaLock, "startMaximaInBackground");
    prepareStart(call);
}

void closeMaxima() {
    if (startupThread.isThreadRunning()) startupThread.killThread();
    maximaProcess.close();
    clearIntCell(running);
}

}  // namespace kalix
