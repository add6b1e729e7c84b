#include "app/QtMainQueue.h"

#include "dispatch/MainQueue.h"

#include <QThread>
#include <QTimer>

#include <chrono>

std::shared_ptr<QtMainQueue> QtMainQueue::install(QCoreApplication &application) {
    auto queue = std::make_shared<QtMainQueue>(application);
    dispatch::setMainQueue(queue);
    return queue;
}

QtMainQueue::QtMainQueue(QCoreApplication &application) : Queue("main"), application_(&application) {}

void QtMainQueue::async(dispatch::Task task) {
    QCoreApplication *application = application_.data();
    if (!application) return;
    QMetaObject::invokeMethod(application, std::move(task), Qt::QueuedConnection);
}

void QtMainQueue::after(dispatch::Duration delay, dispatch::Task task) {
    // Qt timers belong to the thread that starts them, and callers may be on any thread: start the timer
    // from the GUI thread. Rounded up so the task never runs early.
    const auto millis = std::chrono::ceil<std::chrono::milliseconds>(delay);
    async([application = application_, millis, task = std::move(task)]() mutable {
        if (application) QTimer::singleShot(millis, application.data(), std::move(task));
    });
}

bool QtMainQueue::isCurrent() const {
    const QCoreApplication *application = application_.data();
    return application && QThread::currentThread() == application->thread();
}
