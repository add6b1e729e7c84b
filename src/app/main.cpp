// deskcam: the viewer of a network document camera.

#include "app/AppDelegate.h"
#include "app/LaunchOptions.h"
#include "app/QtMainQueue.h"
#include "app/ViewController.h"
#include "device/ImageRecvTCPSocket.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    // Help must work without a display.
    if (LaunchOptions::asksForHelp(argc, argv)) {
        std::fputs(qPrintable(LaunchOptions::usage()), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("deskcam"));
    QApplication::setOrganizationName(QStringLiteral("deskcam"));

    const LaunchOptions::Parsed parsed = LaunchOptions::parse(QApplication::arguments());
    if (parsed.outcome == LaunchOptions::Outcome::Fail) {
        std::fprintf(stderr, "deskcam: %s\n", qPrintable(parsed.message));
        return 2;
    }

    const QString instance = AppDelegate::instanceName(parsed.options);
    if (AppDelegate::handOverToRunningInstance(instance)) return 0;
    AppDelegate delegate;
    delegate.listenForReopen(instance);
    delegate.quitOnTerminationSignals();

    // Before the receiver exists: its socket delivers to the main event queue.
    QtMainQueue::install(application);
    ViewController window(parsed.options, ImageRecvTCPSocket::sharedInstance());
    // A signal finishes the recordings' files first, like Ctrl+Q.
    delegate.setTerminationHandler([&window] { window.closeWindow(); });
    window.resize(1280, 800);
    window.show();
    return QApplication::exec();
}
