#include "base/threads.h"

#include <sched.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <exception>
#include <new>

namespace kalix {

void initIntCell(IntCell& cell, int value) { cell.store(value); }
int getIntCell(const IntCell& cell) { return cell.load(); }
void setIntCell(IntCell& cell) { cell.store(1); }
void clearIntCell(IntCell& cell) { cell.store(0); }

int assignIntCell(IntCell& cell, int value) {
    cell.store(value);
    return value;
}

void Parker::park() {
    std::unique_lock<std::mutex> lock(mutex);
    condition.wait(lock, [this] { return permit != 0; });
    permit = 0;
}

int Parker::parkFor(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex);
    if (!condition.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return permit != 0; }))
        return 0;
    permit = 0;
    return 1;
}

void Parker::unpark() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        permit = 1;
    }
    condition.notify_all();
}

void Parker::clear() {
    std::lock_guard<std::mutex> lock(mutex);
    permit = 0;
}

Thread::Thread(Body body, size_t stackSize) : stackSize(stackSize), body(body) {}

Thread::~Thread() {
    if (!joinable) return;
    if (isThreadRunning() && killThread() != 0) {
        // A run that ignores the stop (or this is the thread itself) is
        // left to end with the process.
        pthread_detach(handle);
        joinable = 0;
        return;
    }
    joinEndedRun();
}

int Thread::run() { return body ? body(this) : 0; }

void* Thread::threadStart(void* argument) {
    auto* thread = static_cast<Thread*>(argument);
    try {
        thread->result = thread->run();
    } catch (const std::bad_alloc&) {
        // Memory ran out: the run ends as failed instead of the process.
        thread->result = threadOutOfMemory;
    }
    clearIntCell(thread->runningFlag);
    return nullptr;
}

void Thread::joinEndedRun() {
    if (!joinable) return;
    pthread_join(handle, nullptr);
    joinable = 0;
}

int setCallingThreadPriority(int priority) {
    sched_param parameters{};
    parameters.sched_priority = 0;
    const int policy = priority >= threadPriorityHighest ? SCHED_OTHER : SCHED_BATCH;
    return pthread_setschedparam(pthread_self(), policy, &parameters);
}

int threadPriorityOf(pthread_t thread) {
    int policy = 0;
    sched_param parameters{};
    if (pthread_getschedparam(thread, &policy, &parameters) != 0) return -1;
    return policy == SCHED_BATCH ? threadPriorityNormal : threadPriorityHighest;
}

static size_t reservedStackSize(size_t requested) {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t size = requested < threadStackSize ? threadStackSize : requested;
    return (size + page - 1) / page * page;
}

int Thread::startThread() {
    std::lock_guard<std::mutex> guard(startMutex);
    if (isThreadRunning()) return EBUSY;
    joinEndedRun();
    clearIntCell(stopFlag);
    parker.clear();  // a resume meant for the last run must not wake this one
    setIntCell(runningFlag);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    int error = pthread_attr_setstacksize(&attributes, reservedStackSize(stackSize));
    if (error == 0) error = pthread_create(&handle, &attributes, threadStart, this);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        clearIntCell(runningFlag);
        return error;
    }
    joinable = 1;
    return 0;
}

int Thread::suspendThread() {
    if (!stopRequested()) parker.park();
    return stopRequested();
}

int Thread::suspendThreadFor(int milliseconds) {
    if (stopRequested()) return 1;
    int resumed = parker.parkFor(milliseconds);
    return resumed || stopRequested();
}

void Thread::resumeThread() { parker.unpark(); }

void Thread::requestStop() {
    setIntCell(stopFlag);
    parker.unpark();
}

int Thread::killThread(int timeoutMilliseconds) {
    requestStop();
    std::lock_guard<std::mutex> guard(startMutex);
    if (!joinable) return 0;
    timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeoutMilliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(timeoutMilliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec++;
        deadline.tv_nsec -= 1000000000L;
    }
    int error = pthread_timedjoin_np(handle, nullptr, &deadline);
    if (error == 0) joinable = 0;
    return error;
}

NamedLock::NamedLock(const char* name) : name(name), place("none") {}

void NamedLock::enter(const char*) {
    mutex.lock();
    owner.store(std::this_thread::get_id());
    depth++;
}

int NamedLock::leave(const char*) {
    if (owner.load() != std::this_thread::get_id()) return -1;
    int remaining = --depth;
    if (remaining == 0) owner.store(std::thread::id());
    mutex.unlock();
    return remaining;
}

int NamedLock::tryEnter() {
    if (!mutex.try_lock()) return 0;
    owner.store(std::this_thread::get_id());
    depth++;
    return 1;
}

bool startDetachedThread(std::function<void()> work) {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::exception&) {
        return false;  // std::system_error, or std::bad_alloc for its state
    }
}

NamedLock graphicsLock("Graphics");
NamedLock textLock("Text");
NamedLock maximaLock("Maxima");

}  // namespace kalix
