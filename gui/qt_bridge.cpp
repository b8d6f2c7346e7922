// The bridge to the GUI thread on Qt: jobs are queued on the application
// object, which lives on the GUI thread.
#include <QCoreApplication>
#include <QThread>

#include <memory>
#include <mutex>

#include "base/threads.h"
#include "gui/gui_bridge.h"
#include "gui/window.h"

int isGuiThread() {
    QCoreApplication* application = QCoreApplication::instance();
    return !application || application->thread() == QThread::currentThread();
}

void postToGui(std::function<void()> job) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return;
    QMetaObject::invokeMethod(application, std::move(job), Qt::QueuedConnection);
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
