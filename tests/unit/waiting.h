// Tests wait for the event they need, never for a time: a condition polled
// until it holds, and what a thread or a process is doing, read from /proc.
// The bound only ends a test that fails; it is no time the work may take.
#pragma once

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kalix {

constexpr std::chrono::milliseconds eventBound = std::chrono::seconds(60);

// Polls `done` until it holds; false when it still fails after `bound`.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds bound = eventBound) {
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The calling thread's id in the kernel.
inline pid_t currentThreadId() { return pid_t(syscall(SYS_gettid)); }

// The state letter of a /proc stat file ('R', 'S', 'Z', ...); 0 when gone.
inline char stateIn(const std::string& statPath) {
    std::ifstream in(statPath);
    std::string text;
    if (!std::getline(in, text)) return 0;
    size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? 0 : text[close + 2];
}

// A thread of this process sleeps in the kernel: it waits (for a lock, a
// condition, a pipe, a child, a time) instead of running.
inline bool threadIsAsleep(pid_t thread) {
    return stateIn("/proc/self/task/" + std::to_string(thread) + "/stat") == 'S';
}

// Every thread of the process sleeps in the kernel.
inline bool processIsAsleep(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code failed;
    bool any = false;
    for (const auto& task : std::filesystem::directory_iterator(tasks, failed)) {
        if (stateIn(task.path() / "stat") != 'S') return false;
        any = true;
    }
    return any;
}

// The process has ended: it is gone, or a zombie left to be reaped.
inline bool processEnded(pid_t pid) {
    char state = stateIn("/proc/" + std::to_string(pid) + "/stat");
    return state == 0 || state == 'Z';
}

// The child processes of `pid`, started by any of its threads.
inline std::vector<pid_t> childrenOf(pid_t pid) {
    std::vector<pid_t> found;
    std::error_code ignored;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored)) {
        std::ifstream list(task.path() / "children");
        for (pid_t child; list >> child;) found.push_back(child);
    }
    return found;
}

}  // namespace kalix
