// Outside programs started with posix_spawn and an argument vector.
#include "platform/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/threads.h"

extern char** environ;

namespace kalix {

static bool isExecutable(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string locateProgram(const char* directory, const char* name) {
    if (directory && directory[0]) {
        std::string path = directory;
        if (path.back() != '/') path += '/';
        path += name;
        if (isExecutable(path)) return path;
    }
    if (std::strchr(name, '/')) return isExecutable(name) ? name : std::string();
    const char* searchPath = std::getenv("PATH");
    std::string list = searchPath ? searchPath : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        if (folder.empty()) folder = ".";
        std::string path = folder + "/" + name;
        if (isExecutable(path)) return path;
        start = end + 1;
    }
    return std::string();
}

std::string commandLineText(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& word : arguments) {
        if (!text.empty()) text += ' ';
        bool quote = word.empty() || word.find_first_of(" \t") != std::string::npos;
        text += quote ? "\"" + word + "\"" : word;
    }
    return text;
}

// Spawns the program; its pid, or 0 with `error` set.
static pid_t spawn(const std::vector<std::string>& arguments, const std::string& directory,
                   int quiet, std::string& error) {
    if (arguments.empty()) {
        error = std::strerror(EINVAL);
        return 0;
    }
    std::vector<char*> argv;
    for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    pid_t child = 0;
    int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        error = std::strerror(failed);
        return 0;
    }
    return child;
}

ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& directory,
                      int quiet) {
    ProgramRun run;
    pid_t child = spawn(arguments, directory, quiet, run.error);
    if (!child) return run;
    run.started = 1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            run.error = std::strerror(errno);
            return run;
        }
    }
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

int startProgram(const std::vector<std::string>& arguments, const std::string& directory,
                 std::string& error) {
    pid_t child = spawn(arguments, directory, 1, error);
    if (!child) return 0;
    // Without a thread to reap it, the ended child stays a zombie until
    // Kalix ends; it runs all the same.
    startDetachedThread([child] {
        int status;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    });
    return 1;
}

}  // namespace kalix
