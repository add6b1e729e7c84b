#pragma once

// Application-wide behaviour: the program ends when its last window closes, and starting deskcam again for
// the same camera brings the running viewer forward instead of opening a second connection to the camera.

#include "viewer/LaunchOptions.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <QCoreApplication>

#include <functional>
#include <memory>

class AppDelegate : public QObject {
    Q_OBJECT
  public:
    explicit AppDelegate(QObject *parent = nullptr);

    // The user activated the running program. With no visible window every window of the program that is
    // minimised or hidden comes back to the front, one after the other; with a visible one nothing changes.
    static bool applicationShouldHandleReopen(bool hasVisibleWindows);
    static bool hasVisibleWindows();

    // The socket path under which the viewer of one camera (host and ports) can be found, in this user's
    // private runtime folder; empty when there is no such folder (then every start opens its own window).
    static QString instanceName(const LaunchOptions &options);
    // True when the process at the other end of socket runs as this user: the hand-over trusts no other.
    static bool isThisUser(const QLocalSocket &socket);
    // Asks a running viewer of the same camera to come forward, and waits (briefly) until it has. True
    // when one took the request: this process has nothing more to do.
    static bool handOverToRunningInstance(const QString &name);
    // The line a second start prints on standard output after the hand-over.
    static QString handedOverMessage(const LaunchOptions &options);
    // Listens for later starts of the same viewer. False when the name cannot be taken (then every start
    // simply opens its own window).
    bool listenForReopen(const QString &name);
    // SIGINT and SIGTERM end the program the way closing its window does, so the worker and the sockets
    // stop in order (Ctrl+C in a terminal, scripts that stop the viewer): through the handler, which by
    // default quits at once. SIGXFSZ is ignored: a file size limit becomes a write error the recorder
    // reports, instead of killing the program in the middle of a recording.
    void quitOnTerminationSignals();
    // SIGUSR1 calls press on the main thread: the program passes its record button, so that a script can
    // start and stop a recording (the soak test, a lesson timer).
    void recordOnSignal(std::function<void()> press);
    void setTerminationHandler(std::function<void()> handler) { terminationHandler_ = std::move(handler); }

  private:
    void answerReopen();
    // The descriptor pair that signal handlers write to; false when it cannot be made.
    bool listenForSignals();
    void takeSignal();

    QLocalServer server_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    std::function<void()> recordPress_;
    std::function<void()> terminationHandler_ = [] { QCoreApplication::quit(); };
};
