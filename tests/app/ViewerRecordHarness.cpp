// viewer-record-harness IMAGE_PORT COMMAND_PORT SAVE_ROOT close|quit|signal: the viewer program as main()
// builds it (application delegate with its termination handler, the window on the offscreen platform),
// recording the simulator's pictures into SAVE_ROOT. Once a second has been recorded it prints
// "recording" and then leaves the way it is told: closing the window, Ctrl+Q's quit, or (signal) waiting
// for the SIGTERM or SIGINT that the caller sends. Prints the text of every progress notice it shows, and
// returns from main() as soon as the event loop ends, the way the program does.

#include "app/AppDelegate.h"
#include "app/LaunchOptions.h"
#include "app/QtMainQueue.h"
#include "app/ViewController.h"
#include "device/ImageRecvTCPSocket.h"
#include "library/DKBookmark.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProgressDialog>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// Reports the notices the window shows while it finishes.
class NoticeWatch : public QObject {
  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show) {
            if (const auto *notice = qobject_cast<QProgressDialog *>(watched)) {
                std::printf("notice: %s\n", qPrintable(notice->labelText()));
                std::fflush(stdout);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char *argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: viewer-record-harness IMAGE_PORT COMMAND_PORT SAVE_ROOT close|quit|signal\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString way = QString::fromLocal8Bit(argv[4]);
    DKBookmark::defaultShareBookmark().setFolderChooser([] { return QString(); });
    DKBookmark::defaultShareBookmark().setSavePath(QString::fromLocal8Bit(argv[3]));

    AppDelegate delegate;
    delegate.quitOnTerminationSignals();
    QtMainQueue::install(application);
    LaunchOptions options;
    options.camera = QStringLiteral("127.0.0.1");
    options.imagePort = static_cast<std::uint16_t>(std::atoi(argv[1]));
    options.commandPort = static_cast<std::uint16_t>(std::atoi(argv[2]));
    ViewController window(options, ImageRecvTCPSocket::sharedInstance());
    delegate.setTerminationHandler([&window] { window.closeWindow(); });
    NoticeWatch notices;
    application.installEventFilter(&notices);
    window.resize(1280, 800);
    window.show();

    // Record as soon as pictures are on screen; leave after a second of recording.
    QObject::connect(&window, &ViewController::imageShown, &window, [&window, way] {
        static bool pressed = false;
        if (pressed) return;
        pressed = true;
        window.ui().record_button->click();
        QTimer::singleShot(1000, &window, [&window, way] {
            std::printf("recording\n");
            std::fflush(stdout);
            if (way == QLatin1String("close")) window.close();
            if (way == QLatin1String("quit")) window.closeWindow();
        });
    });
    return QApplication::exec();
}
