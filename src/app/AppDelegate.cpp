#include "app/AppDelegate.h"

#include "base/Log.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLocalSocket>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace {

constexpr int kHandOverTimeoutMs = 500;
constexpr char kReopenMessage[] = "reopen\n";

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalSockets[2] = {-1, -1};

void onTerminationSignal(int) {
    const char signalled = 1;
    [[maybe_unused]] const ssize_t written = write(signalSockets[0], &signalled, 1);
}

// The program's own windows: not menus, tooltips or pop-up lists, which are top-level widgets too.
QList<QWidget *> programWindows() {
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Window || type == Qt::Dialog) windows.append(widget);
    }
    return windows;
}

QWidget *firstVisibleWindow() {
    for (QWidget *window : programWindows()) {
        if (window->isVisible() && !window->isMinimized()) return window;
    }
    return nullptr;
}

}  // namespace

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) {
    QApplication::setQuitOnLastWindowClosed(true);
    connect(&server_, &QLocalServer::newConnection, this, &AppDelegate::answerReopen);
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows) {
    if (hasVisibleWindows) return true;
    for (QWidget *window : programWindows()) {
        if (!window->isMinimized()) continue;
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->show();
        window->raise();
        window->activateWindow();
    }
    return true;
}

bool AppDelegate::hasVisibleWindows() {
    return firstVisibleWindow() != nullptr;
}

QString AppDelegate::instanceName(const LaunchOptions &options) {
    // Host names may hold characters a socket name should not; a digest keeps the name short and safe.
    const QByteArray camera = QStringLiteral("%1:%2:%3")
                                  .arg(options.camera)
                                  .arg(options.imagePort)
                                  .arg(options.commandPort)
                                  .toUtf8();
    const QByteArray digest = QCryptographicHash::hash(camera, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("deskcam-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

bool AppDelegate::handOverToRunningInstance(const QString &name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kHandOverTimeoutMs)) return false;
    socket.write(kReopenMessage);
    return socket.waitForBytesWritten(kHandOverTimeoutMs);
}

bool AppDelegate::listenForReopen(const QString &name) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (server_.listen(name)) return true;
    // A viewer that crashed leaves its socket file behind; nobody answered on it (handOverToRunningInstance
    // was asked first), so it can go.
    QLocalServer::removeServer(name);
    if (server_.listen(name)) return true;
    deskcam::logLine("Cannot listen for later starts of deskcam: %s", qPrintable(server_.errorString()));
    return false;
}

void AppDelegate::quitOnTerminationSignals() {
    if (signalNotifier_ || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) return;
    signalNotifier_ = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    connect(signalNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        char signalled = 0;
        [[maybe_unused]] const ssize_t got = read(signalSockets[1], &signalled, 1);
        terminationHandler_();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGXFSZ, SIG_IGN);
}

void AppDelegate::answerReopen() {
    while (QLocalSocket *client = server_.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        // Starting the program again activates it, as the desktop would activate a running program, before
        // the program decides what else to do.
        const bool visible = hasVisibleWindows();
        if (QWidget *window = firstVisibleWindow()) {
            window->raise();
            window->activateWindow();
        }
        applicationShouldHandleReopen(visible);
    }
}
