// deskcam: the viewer of a network document camera.

#include "app/AppDelegate.h"
#include "app/FolderPanel.h"
#include "app/QtMainQueue.h"
#include "app/ViewController.h"
#include "base/Log.h"
#include "base/Version.h"
#include "device/ImageRecvTCPSocket.h"
#include "l10n/Localization.h"
#include "recorder/LeftoverCopies.h"
#include "viewer/DKBookmark.h"
#include "viewer/LaunchOptions.h"
#include "viewer/ViewerSettings.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr auto kMemoryReturnInterval = std::chrono::seconds(10);

// Pictures are megabytes each, and while recording they are decoded 25 times a second on threads of the
// recorder. glibc serves them from per-thread heaps once the first one has been freed (its mmap threshold
// slides up, and its trim threshold with it), and keeps what is freed there: in a soak the viewer's memory
// grew by 20 to 40 MB with every recording and was given back only at exit. Two heaps in all, and free
// heap pages returned every 10 s, keep it level; mapping big blocks singly instead cost a third more
// CPU while recording.
void limitHeaps() {
    mallopt(M_ARENA_MAX, 2);
}

void returnFreeMemoryPeriodically(QObject &application) {
    auto *timer = new QTimer(&application);
    QObject::connect(timer, &QTimer::timeout, [] { malloc_trim(0); });
    timer->start(kMemoryReturnInterval);
}

// A finish interrupted by a kill leaves its hidden copy beside the recording (which still plays).
void removeLeftoverCopies() {
    const QString root = DKBookmark::defaultShareBookmark().g_save_path();
    if (root.isEmpty()) return;
    LeftoverCopies::removeFrom(
        QDir(root).filePath(QString::fromLatin1(DKBookmark::kRecordFolder)).toStdString());
}

}  // namespace

int main(int argc, char *argv[]) {
    limitHeaps();  // before any thread exists
    // Help and version must work without a display.
    if (const auto early = LaunchOptions::parse(argc, argv);
        early.outcome == LaunchOptions::Outcome::ShowHelp ||
        early.outcome == LaunchOptions::Outcome::ShowVersion) {
        std::printf("%s\n", qPrintable(early.message.trimmed()));
        return 0;
    }
    QApplication application(argc, argv);
    FolderPanel::install();
    Localization::installQtTranslations();
    returnFreeMemoryPeriodically(application);
    QApplication::setApplicationName(QLatin1String(ViewerSettings::kApplication));
    QApplication::setOrganizationName(QLatin1String(ViewerSettings::kOrganization));
    QApplication::setApplicationVersion(QString::fromLatin1(deskcam::version()));
    // The window belongs to the menu entry and its icon (share/applications/<this>.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral(DESKCAM_APP_ID));

    const LaunchOptions::Parsed parsed = LaunchOptions::parse(QApplication::arguments());
    if (parsed.outcome == LaunchOptions::Outcome::Fail) {
        std::fprintf(stderr, "deskcam: %s\n", qPrintable(parsed.message));
        return 2;
    }

    // The camera from the command line wins for this run; without one, the camera kept in the settings.
    LaunchOptions options = parsed.options;
    if (!parsed.addressGiven) options = LaunchOptions::remembered(*ViewerSettings::open()).value_or(options);

    const QString instance = AppDelegate::instanceName(options);
    if (AppDelegate::handOverToRunningInstance(instance)) {
        deskcam::stdoutLine("%s\n", qPrintable(AppDelegate::handedOverMessage(options)));
        return 0;
    }
    AppDelegate delegate;
    delegate.listenForReopen(instance);
    delegate.quitOnTerminationSignals();

    removeLeftoverCopies();

    // Before the receiver exists: its socket delivers to the main event queue.
    QtMainQueue::install(application);
    ViewController window(options, ImageRecvTCPSocket::sharedInstance());
    // A signal finishes the recordings' files first, like Ctrl+Q.
    delegate.setTerminationHandler([&window] { window.closeWindow(); });
    delegate.recordOnSignal([&window] { window.Record_Button_Click(); });
    // A later start for the camera now watched finds this viewer.
    QObject::connect(&window, &ViewController::cameraChanged, [&delegate](const LaunchOptions &camera) {
        delegate.listenForReopen(AppDelegate::instanceName(camera));
    });
    int picturesShown = 0;
    QObject::connect(&window, &ViewController::imageShown, [&picturesShown] { ++picturesShown; });
    // As large as the screen allows, up to 1280x800: a classroom projector may have 1024x768. The window
    // manager's frame comes on top of the size asked for; it is known once the window is shown.
    const QSize available = window.screen()->availableGeometry().size();
    window.resize(std::min(1280, available.width()), std::min(800, available.height()));
    window.show();
    QTimer::singleShot(200, &window, [&window] {
        const QRect screen = window.screen()->availableGeometry();
        const QSize frame = window.frameGeometry().size() - window.size();
        if (window.frameGeometry().height() > screen.height() ||
            window.frameGeometry().width() > screen.width()) {
            window.resize(window.size().boundedTo(screen.size() - frame));
            window.move(screen.topLeft());
        }
    });
    const int status = QApplication::exec();
    deskcam::logLine("deskcam: %d pictures shown, %d reconnections", picturesShown, window.reconnections());
    return status;
}
