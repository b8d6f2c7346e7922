// Threads, the parker that suspends and resumes them, named locks, and the
// one-int cells that hold flags shared between threads.
//
// A thread is never killed from outside: `killThread` asks it to stop, wakes
// it when it is parked, and waits for its run to return. Bodies that run
// long poll `stopRequested`.
#pragma once

#include <pthread.h>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>

#include "base/checks.h"
#include "base/string.h"

namespace kalix {

// One-int cells: flags shared between threads (one writer at a time).
using IntCell = std::atomic<int>;

void initIntCell(IntCell& cell, int value);
int getIntCell(const IntCell& cell);
void setIntCell(IntCell& cell);
void clearIntCell(IntCell& cell);
int assignIntCell(IntCell& cell, int value);

// "Suspend until resumed": a mutex, a condition variable and one permit. A
// resume that comes before the park is kept and the park returns at once;
// several resumes before one park leave a single permit.
class Parker {
  public:
    // Waits until a permit is there (or `wake` is called) and consumes it.
    void park();
    // As park, but gives up after the given time; 1 when a permit came.
    int parkFor(int milliseconds);
    // Gives the permit and wakes a parked thread.
    void unpark();
    // Drops a permit that nobody took.
    void clear();

  private:
    std::mutex mutex;
    std::condition_variable condition;
    int permit = 0;
};

// The stack every thread reserves at least; the interpreter's deep recursion
// needs it. A larger size given to a Thread is honoured.
constexpr size_t threadStackSize = 128000000;
// How long `killThread` waits for a thread to end by default.
constexpr int threadStopTimeout = 2000;
// The result of a run that ran out of memory.
constexpr int threadOutOfMemory = -1;

class Thread {
  public:
    using Body = int (*)(Thread* thread);

    explicit Thread(Body body = nullptr, size_t stackSize = threadStackSize);
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // The work of the thread: body(this) unless a subclass overrides it.
    virtual int run();

    // Starts a new run (also after an earlier run has ended). The running
    // flag is 1 before the new thread runs. Returns 0, or the error number
    // of the thread creation (EBUSY while a run is still going).
    int startThread();
    int isThreadRunning() const { return getIntCell(runningFlag); }

    // Called by the thread itself: parks it until `resumeThread`. Returns 1
    // when it was woken because a stop was requested.
    int suspendThread();
    // As suspendThread, with a time limit; 1 when resumed or asked to stop.
    int suspendThreadFor(int milliseconds);
    // Lets a suspended thread go on; a resume before the suspend is kept.
    void resumeThread();

    // Cooperative end: requests a stop, wakes the thread and waits at most
    // the timeout for its run to return. 0 when it ended (running flag 0),
    // ETIMEDOUT when it is still running.
    int killThread(int timeoutMilliseconds = threadStopTimeout);
    void requestStop();
    int stopRequested() const { return getIntCell(stopFlag); }

    // What run returned, or threadOutOfMemory when it ran out of memory.
    int getResult() const { return result; }
    size_t getStackSize() const { return stackSize; }

  private:
    static void* threadStart(void* argument);
    void joinEndedRun();

    size_t stackSize;
    int result = 0;
    Body body;
    pthread_t handle{};
    int joinable = 0;
    IntCell runningFlag{0};
    IntCell stopFlag{0};
    Parker parker;
    std::mutex startMutex;
};

// Thread priorities as Linux grants them without privileges: a thread may
// lower its own share of the processor but never raise it back above the
// ordinary policy it started with (a lower nice value needs CAP_SYS_NICE).
// So the highest priority is that ordinary policy (SCHED_OTHER), and the
// normal priority, at which the interpreter computes, is the batch policy
// (SCHED_BATCH): the scheduler takes the thread for one that computes and
// lets the windows' thread, which keeps the ordinary policy, go first when
// it wakes. Switching between the two needs no privilege.
enum ThreadPriority : int { threadPriorityNormal = 0, threadPriorityHighest = 2 };
// For the calling thread; 0 or the error number.
int setCallingThreadPriority(int priority);
// The priority a thread runs at now (as set above), or -1 when the
// scheduler cannot be asked.
int threadPriorityOf(pthread_t thread);

// Runs `work` on a detached thread of its own. False, and nothing started,
// when no thread can be had (no memory, no thread left): the caller does
// the work itself or goes without.
bool startDetachedThread(std::function<void()> work);

// A re-entrant lock with a name and a nesting count. The place labels of
// enter and leave name the calling site and are not stored: `place` stays
// "none", kept for inspection only.
class NamedLock {
  public:
    explicit NamedLock(const char* name);
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    void enter(const char* place);
    // Returns the remaining depth; -1 (and nothing else) when the calling
    // thread does not hold the lock.
    int leave(const char* place);
    void enterUnknownPlace() { enter("unknown place"); }
    int leaveUnknownPlace() { return leave("unknown place"); }
    // 1 and entered when the lock was free or already the caller's, else 0
    // at once.
    int tryEnter();

    int getDepth() const { return depth.load(); }
    int isHeldByCaller() const { return owner.load() == std::this_thread::get_id(); }
    const char* getName() const { return name.getText(); }
    const char* getPlace() const { return place.getText(); }

  private:
    std::recursive_mutex mutex;
    std::atomic<int> depth{0};
    std::atomic<std::thread::id> owner{};
    String name;
    String place;
};

extern NamedLock textLock;      // "Text": notebook lines, cursor, input line
extern NamedLock graphicsLock;  // "Graphics": graphics store, recent files
extern NamedLock maximaLock;    // "Maxima": starting and talking to Maxima

// Holds a named lock for a scope, entered with a place label.
class LockHold {
  public:
    LockHold(NamedLock& lock, const char* place) : lock(lock), place(place) { lock.enter(place); }
    ~LockHold() {
        const int depth = lock.leave(place);
        KALIX_CHECK(depth >= 0);
    }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

  private:
    NamedLock& lock;
    const char* place;
};

// Holds the "Graphics" lock for a scope.
class GraphicsLockHold : public LockHold {
  public:
    explicit GraphicsLockHold(const char* place) : LockHold(graphicsLock, place) {}
};

}  // namespace kalix

// The calling thread holds `lock`: checked in debug and sanitizer builds.
#define KALIX_CHECK_HELD(lock) KALIX_CHECK((lock).isHeldByCaller())
