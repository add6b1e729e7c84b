#include "app/AppDelegate.h"

#include "base/Log.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLocalSocket>
#include <QWidget>

#include <unistd.h>

namespace {

constexpr int kHandOverTimeoutMs = 500;
constexpr char kReopenMessage[] = "reopen\n";

// The program's own windows: not menus, tooltips or pop-up lists, which are top-level widgets too.
QList<QWidget *> programWindows() {
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Window || type == Qt::Dialog) windows.append(widget);
    }
    return windows;
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
    for (const QWidget *window : programWindows()) {
        if (window->isVisible() && !window->isMinimized()) return true;
    }
    return false;
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

void AppDelegate::answerReopen() {
    while (QLocalSocket *client = server_.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        // Starting the program again activates it, as the desktop would, before the program decides what
        // else to do.
        const bool visible = hasVisibleWindows();
        if (visible) {
            if (QWidget *window =
                    QApplication::activeWindow() ? QApplication::activeWindow() : programWindows().value(0)) {
                window->raise();
                window->activateWindow();
            }
        }
        applicationShouldHandleReopen(visible);
    }
}
