// The bridge to the GUI thread on Qt: jobs are queued on the application
// object, which lives on the GUI thread.
#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <deque>
#include <memory>
#include <mutex>

#include "base/threads.h"
#include "gui/gui_bridge.h"
#include "gui/qt_window_parts.h"
#include "gui/window.h"

namespace kalix {

int isGuiThread() {
    QCoreApplication* application = QCoreApplication::instance();
    return !application || application->thread() == QThread::currentThread();
}

namespace {

// Posted jobs wait here, in order, for the GUI thread. Qt's event queue
// only wakes the GUI thread: the job itself passes under `postedLock`, so
// every write the poster made before posting is seen by the job (Qt's own
// queue synchronises in ways a race checker cannot see).
struct PostedJob {
    QPointer<QObject> receiver;  // the job is dropped when it is gone
    std::function<void()> job;
};
std::mutex postedLock;
std::deque<PostedJob> postedJobs;  // guarded by postedLock

// GUI thread: runs the jobs posted so far.
void runPostedJobs() {
    std::deque<PostedJob> jobs;
    {
        std::lock_guard hold(postedLock);
        jobs.swap(postedJobs);
    }
    for (PostedJob& posted : jobs)
        if (posted.receiver) posted.job();
}

}  // namespace

void postToObject(QObject* receiver, std::function<void()> job) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || !receiver) return;
    // The wake-up is posted under the lock, so the GUI thread takes the lock
    // after it and sees Qt's wake-up call whole.
    std::lock_guard hold(postedLock);
    postedJobs.push_back({QPointer<QObject>(receiver), std::move(job)});
    QMetaObject::invokeMethod(
        application, [] { runPostedJobs(); }, Qt::QueuedConnection);
}

void postToGui(std::function<void()> job) {
    postToObject(QCoreApplication::instance(), std::move(job));
}

namespace {

// One sent job: the sender waits for `done`; a sender that gives up marks
// it cancelled, and the job then never runs (it may refer to the sender's
// stack).
struct SentJob {
    std::mutex mutex;
    bool cancelled = false;
    bool ran = false;
    Parker done;
};

}  // namespace

int sendToGui(std::function<void()> job) {
    if (isGuiThread()) {
        job();
        return 1;
    }
    if (textLock.isHeldByCaller() || graphicsLock.isHeldByCaller()) return 0;
    if (!isGuiRunning()) return 0;
    auto sent = std::make_shared<SentJob>();
    postToGui([sent, job = std::move(job)] {
        std::lock_guard<std::mutex> lock(sent->mutex);
        if (sent->cancelled) return;
        job();
        sent->ran = true;
        sent->done.unpark();
    });
    while (!sent->done.parkFor(50)) {
        if (isGuiRunning()) continue;
        std::lock_guard<std::mutex> lock(sent->mutex);
        if (sent->ran) return 1;
        sent->cancelled = true;
        return 0;
    }
    return 1;
}

}  // namespace kalix
