// A child process run to its end with its output read on the way.
#include "platform/program_output.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host.h"

extern char** environ;

namespace {

// Reads what is there; false at the end of the pipe.
bool drain(int fd, std::string& output) {
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

int statusOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return programKilled;
}

}  // namespace

int runProgramCollectingOutput(const std::vector<std::string>& words, std::string& output) {
    if (words.empty()) return programNotStarted;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return programNotStarted;
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    pid_t child = 0;
    int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (failed) {
        close(fds[0]);
        return programNotStarted;
    }
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    bool open = true;
    int status = 0;
    for (;;) {
        if (open) {
            pollfd watch = {fds[0], POLLIN, 0};
            poll(&watch, 1, 200);
            open = drain(fds[0], output);
        }
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) {
            close(fds[0]);
            return programKilled;
        }
        if (checkEscape()) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            close(fds[0]);
            return programInterrupted;
        }
        if (!open) poll(nullptr, 0, 200);
    }
    // Whatever is still in the pipe after the end.
    if (open) drain(fds[0], output);
    close(fds[0]);
    return statusOf(status);
}
