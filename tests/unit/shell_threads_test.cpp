#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <thread>

#include "base/threads.h"
#include "threaded_suite.h"
#include "waiting.h"

namespace kalix {

namespace {

bool waitForCell(const IntCell& cell, int value) {
    return waitUntil([&] { return getIntCell(cell) == value; });
}

bool waitUntilEnded(const Thread& thread) {
    return waitUntil([&] { return !thread.isThreadRunning(); });
}

TEST(ShellIntCell, Operations) {
    IntCell cell;
    initIntCell(cell, 5);
    EXPECT_EQ(getIntCell(cell), 5);
    clearIntCell(cell);
    EXPECT_EQ(getIntCell(cell), 0);
    setIntCell(cell);
    EXPECT_EQ(getIntCell(cell), 1);
    EXPECT_EQ(assignIntCell(cell, -7), -7);
    EXPECT_EQ(getIntCell(cell), -7);
}

THREADED_SUITE(ShellParker);

TEST(ShellParker, ResumeBeforeParkIsKept) {
    Parker parker;
    parker.unpark();
    parker.park();  // returns at once: the permit was there
    EXPECT_EQ(parker.parkFor(0), 0);
    parker.unpark();
    parker.unpark();  // permits do not add up
    EXPECT_EQ(parker.parkFor(0), 1);
    EXPECT_EQ(parker.parkFor(5), 0);
    parker.unpark();
    parker.clear();
    EXPECT_EQ(parker.parkFor(0), 0);
}

// A thread that waits for `gate`, then suspends itself and records what the
// suspension returned.
struct GatedThread : Thread {
    IntCell gate{0};
    IntCell suspended{0};
    IntCell suspendResult{-1};
    IntCell kernelId{0};  // the running thread's id in the kernel
    int runs = 0;
    GatedThread() : Thread(nullptr, 1 << 20) {}
    int run() override {
        runs++;
        assignIntCell(kernelId, currentThreadId());
        waitForCell(gate, 1);
        setIntCell(suspended);
        assignIntCell(suspendResult, suspendThread());
        return 40 + runs;
    }
};

// Starts a run that suspends itself at once; false when it never got there.
bool startSuspended(GatedThread& thread) {
    clearIntCell(thread.suspended);
    setIntCell(thread.gate);
    return thread.startThread() == 0 && waitForCell(thread.suspended, 1);
}

THREADED_SUITE(ShellThread);

TEST(ShellThread, ResumeBeforeSuspendIsNotLost) {
    GatedThread thread;
    ASSERT_EQ(thread.startThread(), 0);
    EXPECT_EQ(thread.isThreadRunning(), 1);  // set before the run begins
    thread.resumeThread();
    setIntCell(thread.gate);
    ASSERT_TRUE(waitUntilEnded(thread));
    EXPECT_EQ(getIntCell(thread.suspendResult), 0);
    EXPECT_EQ(thread.getResult(), 41);
}

TEST(ShellThread, SuspendWaitsForResumeAndRestartRunsAgain) {
    GatedThread thread;
    ASSERT_TRUE(startSuspended(thread));
    EXPECT_EQ(thread.startThread(), EBUSY);
    thread.resumeThread();
    ASSERT_TRUE(waitUntilEnded(thread));
    EXPECT_EQ(thread.getResult(), 41);

    ASSERT_TRUE(startSuspended(thread));
    thread.resumeThread();
    ASSERT_TRUE(waitUntilEnded(thread));
    EXPECT_EQ(thread.getResult(), 42);
}

TEST(ShellThread, StaleResumeDoesNotWakeTheNextRun) {
    GatedThread thread;
    ASSERT_TRUE(startSuspended(thread));
    thread.resumeThread();
    ASSERT_TRUE(waitUntilEnded(thread));
    thread.resumeThread();  // nobody is suspended: this permit is dropped at start
    ASSERT_TRUE(startSuspended(thread));
    // Asleep in the suspension, or ended by a permit kept from before.
    pid_t id = getIntCell(thread.kernelId);
    ASSERT_TRUE(waitUntil([&] { return threadIsAsleep(id) || !thread.isThreadRunning(); }));
    EXPECT_EQ(thread.isThreadRunning(), 1);
    EXPECT_EQ(thread.killThread(), 0);
}

TEST(ShellThread, KillEndsASuspendedThread) {
    GatedThread thread;
    ASSERT_TRUE(startSuspended(thread));
    EXPECT_EQ(thread.killThread(), 0);
    EXPECT_EQ(thread.isThreadRunning(), 0);
    EXPECT_EQ(getIntCell(thread.suspendResult), 1);  // woken by the stop
    EXPECT_EQ(thread.killThread(), 0);               // nothing left to end
}

TEST(ShellThread, KillGivesUpOnAThreadThatIgnoresTheStop) {
    GatedThread thread;  // waits on its gate without polling the stop
    ASSERT_EQ(thread.startThread(), 0);
    EXPECT_EQ(thread.killThread(20), ETIMEDOUT);
    EXPECT_EQ(thread.isThreadRunning(), 1);
    setIntCell(thread.gate);
    EXPECT_EQ(thread.killThread(), 0);
    EXPECT_EQ(getIntCell(thread.suspendResult), 1);  // the stop was still pending
}

TEST(ShellThread, BodyAndStackSize) {
    static size_t seenStack;  // a small size still gets the full reserve
    Thread thread(
        [](Thread*) {
            pthread_attr_t attributes;
            pthread_getattr_np(pthread_self(), &attributes);
            pthread_attr_getstacksize(&attributes, &seenStack);
            pthread_attr_destroy(&attributes);
            return 7;
        },
        4096);
    ASSERT_EQ(thread.startThread(), 0);
    ASSERT_TRUE(waitUntilEnded(thread));
    EXPECT_EQ(thread.getResult(), 7);
    EXPECT_GE(seenStack, threadStackSize);
}

// Down to the normal priority and back up, as a process without
// privileges (a child that gives up root when it has it): the way back up
// must not need a privilege.
TEST(ShellThread, PriorityGoesDownAndBackUpWithoutPrivileges) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(10);
        const pthread_t self = pthread_self();
        const int steps[] = {threadPriorityNormal, threadPriorityHighest, threadPriorityNormal,
                             threadPriorityHighest};
        int step = 0;
        for (int priority : steps) {
            step++;
            if (setCallingThreadPriority(priority) != 0) _exit(20 + step);
            if (threadPriorityOf(self) != priority) _exit(30 + step);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ShellThread, APriorityIsTheCallingThreadsOnly) {
    ASSERT_EQ(threadPriorityOf(pthread_self()), threadPriorityHighest);
    int other = -1;
    std::thread thread([&other] {
        setCallingThreadPriority(threadPriorityNormal);
        other = threadPriorityOf(pthread_self());
    });
    thread.join();
    EXPECT_EQ(other, threadPriorityNormal);
    EXPECT_EQ(threadPriorityOf(pthread_self()), threadPriorityHighest);
}

THREADED_SUITE(ShellNamedLock);

TEST(ShellNamedLock, DepthCountsNestedEnters) {
    NamedLock lock("Test");
    EXPECT_STREQ(lock.getName(), "Test");
    EXPECT_STREQ(lock.getPlace(), "none");
    lock.enter("outer");
    lock.enter("inner");
    EXPECT_EQ(lock.getDepth(), 2);
    EXPECT_EQ(lock.tryEnter(), 1);  // the owner may enter again
    EXPECT_EQ(lock.leave("inner"), 2);
    EXPECT_EQ(lock.leave("inner"), 1);
    EXPECT_EQ(lock.leaveUnknownPlace(), 0);
    EXPECT_EQ(lock.leave("not held"), -1);
    EXPECT_EQ(lock.getDepth(), 0);
    EXPECT_STREQ(lock.getPlace(), "none");
}

TEST(ShellNamedLock, TryEnterFromAnotherThread) {
    NamedLock lock("Test");
    lock.enter("holder");
    int triedWhileHeld = -1, depthSeen = -1, leftByOther = 0;
    std::thread other([&] {
        triedWhileHeld = lock.tryEnter();
        depthSeen = lock.getDepth();
        leftByOther = lock.leave("not the owner");
    });
    other.join();
    EXPECT_EQ(triedWhileHeld, 0);
    EXPECT_EQ(depthSeen, 1);
    EXPECT_EQ(leftByOther, -1);
    EXPECT_EQ(lock.getDepth(), 1);
    EXPECT_EQ(lock.leave("holder"), 0);

    int triedWhenFree = -1;
    std::thread again([&] {
        triedWhenFree = lock.tryEnter();
        lock.leave("again");
    });
    again.join();
    EXPECT_EQ(triedWhenFree, 1);
    EXPECT_EQ(lock.getDepth(), 0);
}

TEST(ShellNamedLock, TheThreeLocks) {
    EXPECT_STREQ(textLock.getName(), "Text");
    EXPECT_STREQ(graphicsLock.getName(), "Graphics");
    EXPECT_STREQ(maximaLock.getName(), "Maxima");
}

}  // namespace

}  // namespace kalix
