#pragma once

// The main event queue of the windowed program: work runs on the Qt event loop of the GUI thread, in the
// order it was submitted, between the loop's other events. Installed with dispatch::setMainQueue() before
// anything that delivers to the main queue (the picture receiver, the command channel) is created.

#include "dispatch/Queue.h"

#include <QCoreApplication>
#include <QPointer>

class QtMainQueue : public dispatch::Queue {
  public:
    // Creates the queue for the running application and installs it as the main event queue.
    static std::shared_ptr<QtMainQueue> install(QCoreApplication &application);

    explicit QtMainQueue(QCoreApplication &application);

    // Work submitted after the application object is gone is dropped: nothing would run it.
    void async(dispatch::Task task) override;
    void after(dispatch::Duration delay, dispatch::Task task) override;
    bool isCurrent() const override;

  private:
    QPointer<QCoreApplication> application_;
};
