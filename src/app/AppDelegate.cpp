#include "app/AppDelegate.h"

#include "base/Log.h"
#include "base/PrivateFolder.h"
#include "l10n/Localization.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLocalSocket>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace {

constexpr int kHandOverTimeoutMs = 500;
// The running viewer answers from its GUI thread, which may be busy with a picture for a moment.
constexpr int kAnswerTimeoutMs = 2000;
constexpr char kReopenMessage[] = "reopen\n";
constexpr char kReopenedAnswer[] = "raised\n";

// A signal handler may only write to a descriptor; the event loop reads the other end: one byte per
// signal, its number.
int signalSockets[2] = {-1, -1};

void onSignal(int number) {
    const char signalled = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = write(signalSockets[0], &signalled, 1);
}

void handleSignal(int number) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
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
        // Hidden by the program or the user, not merely never shown (Qt keeps such widgets too).
        const bool hidden = window->isHidden() && window->testAttribute(Qt::WA_WState_ExplicitShowHide);
        if (!window->isMinimized() && !hidden) continue;
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
    // In a folder nobody else may enter: under a shared /tmp another user could listen on the name first.
    const QString folder = QString::fromStdString(deskcam::privateRuntimeFolder());
    if (folder.isEmpty()) return {};
    return QStringLiteral("%1/deskcam-%2").arg(folder, QString::fromLatin1(digest));
}

bool AppDelegate::isThisUser(const QLocalSocket &socket) {
    return deskcam::peerUser(static_cast<int>(socket.socketDescriptor())) == getuid();
}

bool AppDelegate::handOverToRunningInstance(const QString &name) {
    if (name.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kHandOverTimeoutMs)) return false;
    if (!isThisUser(socket)) {
        deskcam::logLine("Ignored a listener of another user at %s", qPrintable(name));
        return false;
    }
    socket.write(kReopenMessage);
    if (!socket.waitForBytesWritten(kHandOverTimeoutMs)) return false;
    // Its answer says the window is in front now; a viewer too busy to answer still has the camera.
    // (The answer may have come in with the write already.)
    if (socket.bytesAvailable() == 0) socket.waitForReadyRead(kAnswerTimeoutMs);
    return true;
}

QString AppDelegate::handedOverMessage(const LaunchOptions &options) {
    return Localization::shared().text(QStringLiteral("viewer_raised")).arg(options.camera);
}

bool AppDelegate::listenForReopen(const QString &name) {
    if (name.isEmpty()) {
        deskcam::logLine("Cannot listen for later starts of deskcam: no private runtime folder");
        return false;
    }
    server_.close();  // a switch to another camera listens under that camera's name instead
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
    if (!listenForSignals()) return;
    handleSignal(SIGINT);
    handleSignal(SIGTERM);
    signal(SIGXFSZ, SIG_IGN);
}

void AppDelegate::recordOnSignal(std::function<void()> press) {
    if (!listenForSignals()) return;
    recordPress_ = std::move(press);
    handleSignal(SIGUSR1);
}

bool AppDelegate::listenForSignals() {
    if (signalNotifier_) return true;
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) return false;
    signalNotifier_ = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    connect(signalNotifier_.get(), &QSocketNotifier::activated, this, &AppDelegate::takeSignal);
    return true;
}

void AppDelegate::takeSignal() {
    char signalled = 0;
    if (read(signalSockets[1], &signalled, 1) != 1) return;
    if (signalled != SIGUSR1)
        terminationHandler_();
    else if (recordPress_)
        recordPress_();
}

void AppDelegate::answerReopen() {
    while (QLocalSocket *client = server_.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        if (!isThisUser(*client)) {
            client->abort();
            continue;
        }
        // Starting the program again activates it, as the desktop would activate a running program, before
        // the program decides what else to do.
        const bool visible = hasVisibleWindows();
        if (QWidget *window = firstVisibleWindow()) {
            window->raise();
            window->activateWindow();
        }
        applicationShouldHandleReopen(visible);
        client->write(kReopenedAnswer);
        client->flush();
    }
}
