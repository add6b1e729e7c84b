// deskcam: the viewer of a network document camera.

#include "app/AppDelegate.h"
#include "app/LaunchOptions.h"
#include "app/QtMainQueue.h"
#include "app/ViewController.h"
#include "base/Log.h"
#include "base/Version.h"
#include "device/ImageRecvTCPSocket.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    // Help and version must work without a display.
    if (const auto early = LaunchOptions::parse(argc, argv);
        early.outcome == LaunchOptions::Outcome::ShowHelp ||
        early.outcome == LaunchOptions::Outcome::ShowVersion) {
        std::printf("%s\n", qPrintable(early.message.trimmed()));
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("deskcam"));
    QApplication::setOrganizationName(QStringLiteral("deskcam"));
    QApplication::setApplicationVersion(QString::fromLatin1(deskcam::version()));
    // The window belongs to the menu entry and its icon (share/applications/<this>.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral(DESKCAM_APP_ID));

    const LaunchOptions::Parsed parsed = LaunchOptions::parse(QApplication::arguments());
    if (parsed.outcome == LaunchOptions::Outcome::Fail) {
        std::fprintf(stderr, "deskcam: %s\n", qPrintable(parsed.message));
        return 2;
    }

    const QString instance = AppDelegate::instanceName(parsed.options);
    if (AppDelegate::handOverToRunningInstance(instance)) {
        deskcam::stdoutLine("%s\n", qPrintable(AppDelegate::handedOverMessage(parsed.options)));
        return 0;
    }
    AppDelegate delegate;
    delegate.listenForReopen(instance);
    delegate.quitOnTerminationSignals();

    // Before the receiver exists: its socket delivers to the main event queue.
    QtMainQueue::install(application);
    ViewController window(parsed.options, ImageRecvTCPSocket::sharedInstance());
    window.resize(1280, 800);
    window.show();
    return QApplication::exec();
}
