#include "engines/maxima_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>

#include "platform/crash_guard.h"
#include "platform/processes.h"

namespace kalix {

// --- replies -------------------------------------------------------------------

size_t findMaximaReplyEnd(const std::string& output) {
    size_t last = output.find_last_not_of(" \t\r\n");
    if (last == std::string::npos || last < 3) return std::string::npos;
    size_t end = last - 3;
    return output.compare(end, 4, maximaPromptSuffix) == 0 ? end : std::string::npos;
}

size_t takeMaximaReply(const std::string& output, MaximaReply* reply) {
    size_t end = findMaximaReplyEnd(output);
    if (end == std::string::npos) return 0;
    reply->text.assign(output, 0, end);
    reply->question = false;
    size_t prefix = reply->text.rfind(maximaPromptPrefix);
    if (prefix != std::string::npos) {
        if (reply->text.compare(prefix, 7, "--->(%i") == 0) {
            reply->text.resize(prefix);
        } else {
            reply->text.erase(prefix, 4);
            reply->question = true;
        }
    }
    return output.size();
}

void dropLeadingBlankLines(std::string& text) {
    size_t keep = 0;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '\n' || c == '\r')
            keep = i + 1;
        else if (c != ' ' && c != '\t')
            break;
    }
    text.erase(0, keep);
}

void blankOutputLabel(std::string& text) {
    size_t label = text.find("(%o");
    if (label == std::string::npos) return;
    size_t close = text.find(')', label);
    if (close == std::string::npos) return;
    text.replace(label, close + 1 - label, close + 1 - label, ' ');
}

// --- the process ---------------------------------------------------------------

int MaximaThread::run() { return process.drainOutput(this); }

MaximaProcess::MaximaProcess() : reader(*this) {}

MaximaProcess::~MaximaProcess() { close(); }

int MaximaProcess::start(const std::vector<std::string>& words) {
    close();
    if (words.empty()) return ENOENT;
    int input[2], result[2];
    if (pipe2(input, O_CLOEXEC) != 0) return errno;
    if (pipe2(result, O_CLOEXEC) != 0) {
        int error = errno;
        ::close(input[0]);
        ::close(input[1]);
        return error;
    }
    // A group of its own: Ctrl-C at the terminal is Escape for Kalix and
    // must not interrupt Maxima.
    std::string path = findProgram(words[0].c_str());
    pid_t pid = 0;
    int error =
        path.empty() ? ENOENT : startChild(path, words, input[0], result[1], true, nullptr, &pid);
    ::close(input[0]);
    ::close(result[1]);
    if (error != 0) {
        ::close(input[1]);
        ::close(result[0]);
        return error;
    }
    child = pid;
    setCrashChildProcess(crashChildMaxima, pid, 1);
    toChild = input[1];
    fromChild = result[0];
    {
        std::lock_guard<std::mutex> lock(mutex);
        output.clear();
        outputEnded = false;
    }
    if (reader.startThread() != 0) {
        close();
        return EAGAIN;
    }
    return 0;
}

bool MaximaProcess::hasEnded() {
    if (child <= 0) return false;
    siginfo_t info;
    info.si_pid = 0;
    if (waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == child)
        return true;
    std::lock_guard<std::mutex> lock(mutex);
    return outputEnded;
}

bool MaximaProcess::write(const std::string& text) {
    if (toChild < 0) return false;
    // A process that has ended gives EPIPE; the signal is held back and
    // dropped so that the caller only sees the failed write.
    sigset_t pipeSignal, saved;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    const char* p = text.data();
    size_t left = text.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(toChild, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= size_t(n);
    }
    if (!ok && errno == EPIPE) {
        timespec none = {0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &none) > 0) {}
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return ok;
}

int MaximaProcess::drainOutput(Thread* thread) {
    char buffer[0x8000];
    while (!thread->stopRequested()) {
        pollfd watch = {fromChild, POLLIN, 0};
        int ready = poll(&watch, 1, 100);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        ssize_t n = read(fromChild, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        std::lock_guard<std::mutex> lock(mutex);
        try {
            output.append(buffer, size_t(n));
        } catch (const std::bad_alloc&) {
            // No room for Maxima's output: the session ends as if Maxima had.
            break;
        }
        arrived.notify_all();
    }
    std::lock_guard<std::mutex> lock(mutex);
    outputEnded = true;
    arrived.notify_all();
    return 0;
}

MaximaWait MaximaProcess::waitUntil(const std::function<bool(const std::string&)>& ready,
                                    const std::function<bool()>& cancel) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (ready(output)) return MaximaWait::done;
        if (outputEnded || child <= 0) return MaximaWait::ended;
        lock.unlock();
        bool stop = cancel && cancel();
        lock.lock();
        if (stop) return MaximaWait::cancelled;
        arrived.wait_for(lock, std::chrono::milliseconds(100));
    }
}

MaximaWait MaximaProcess::waitForEnding(const char* suffix, const std::function<bool()>& cancel) {
    size_t n = std::strlen(suffix);
    MaximaWait wait = waitUntil(
        [&](const std::string& text) {
            return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
        },
        cancel);
    if (wait == MaximaWait::done) {
        std::lock_guard<std::mutex> lock(mutex);
        output.clear();
    }
    return wait;
}

MaximaWait MaximaProcess::readReply(MaximaReply* reply, const std::function<bool()>& cancel) {
    MaximaWait wait = waitUntil(
        [&](const std::string& text) { return findMaximaReplyEnd(text) != std::string::npos; },
        cancel);
    if (wait != MaximaWait::done) return wait;
    std::lock_guard<std::mutex> lock(mutex);
    output.erase(0, takeMaximaReply(output, reply));
    return wait;
}

void MaximaProcess::close() {
    if (child > 0) {
        // The whole group: plots and other helpers Maxima started go too.
        kill(-child, SIGKILL);
        kill(child, SIGKILL);
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {}
        setCrashChildProcess(crashChildMaxima, 0, 0);
        child = 0;
    }
    reader.killThread();
    if (toChild >= 0) ::close(toChild);
    if (fromChild >= 0) ::close(fromChild);
    toChild = fromChild = -1;
    std::lock_guard<std::mutex> lock(mutex);
    output.clear();
    outputEnded = false;
}

// --- the start protocol ----------------------------------------------------------

std::string greetMaxima(MaximaProcess& process, const std::vector<std::string>& commands,
                        const std::function<bool()>& cancel) {
    const char* noResults = "Could not receive results from Maxima!";
    // The first prompt "(%i1) ", then the markers, then the prompt again.
    if (process.waitForEnding(") ", cancel) != MaximaWait::done) return noResults;
    if (!process.write(":lisp (setq *prompt-prefix* \"--->\" *prompt-suffix* \"<---\");\n"))
        return "Could not send commands to Maxima!";
    if (process.waitForEnding(") ", cancel) != MaximaWait::done) return noResults;
    MaximaReply reply;
    for (const std::string& command : commands) {
        if (!process.write(command + "\n")) return "Could not send commands to Maxima!";
        if (process.readReply(&reply, cancel) != MaximaWait::done) return noResults;
    }
    return "";
}

}  // namespace kalix
