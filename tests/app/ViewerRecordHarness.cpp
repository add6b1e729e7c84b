// viewer-record-harness IMAGE_PORT COMMAND_PORT SAVE_ROOT close|quit|signal|alert: the viewer program as
// main() builds it (application delegate with its termination handler, the window on the offscreen
// platform), recording the simulator's pictures into SAVE_ROOT. Once a second has been recorded it prints
// "recording" and then leaves the way it is told: closing the window, Ctrl+Q's quit, (signal) on the
// SIGTERM or SIGINT that the caller sends, or (alert) once an alert has been shown. Prints the text of
// every progress notice ("notice: ") and alert ("alert: ") it shows, and returns from main() as soon as
// the event loop ends, the way the program does.

#include "app/AppDelegate.h"
#include "app/QtMainQueue.h"
#include "app/RecordControl.h"
#include "app/ViewController.h"
#include "device/ImageRecvTCPSocket.h"
#include "viewer/DKBookmark.h"
#include "viewer/LaunchOptions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// Reports the notices and alerts the window shows; with quitOnAlert, the program ends after an alert.
class NoticeWatch : public QObject {
  public:
    explicit NoticeWatch(bool quitOnAlert) : quitOnAlert_(quitOnAlert) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Show) return QObject::eventFilter(watched, event);
        if (const auto *notice = qobject_cast<QProgressDialog *>(watched)) {
            std::printf("notice: %s\n", qPrintable(notice->labelText()));
        } else if (const auto *alert = qobject_cast<QMessageBox *>(watched)) {
            std::printf("alert: %s\n", qPrintable(alert->text()));
            if (quitOnAlert_) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        std::fflush(stdout);
        return QObject::eventFilter(watched, event);
    }

  private:
    const bool quitOnAlert_;
};

}  // namespace

int main(int argc, char *argv[]) {
    if (argc != 5) {
        std::fprintf(
            stderr,
            "usage: viewer-record-harness IMAGE_PORT COMMAND_PORT SAVE_ROOT close|quit|signal|alert\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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
    // An earlier run's recording end would be told at this start, as an alert the caller does not expect.
    RecordControl::takeUntoldEnds();
    ViewController window(options, ImageRecvTCPSocket::sharedInstance());
    delegate.setTerminationHandler([&window] { window.closeWindow(); });
    NoticeWatch notices(way == QLatin1String("alert"));
    application.installEventFilter(&notices);
    window.resize(1280, 800);
    window.show();

    // Record at a picture of the stream the supervisor has taken up (its start-up reconnection is behind it
    // and the receiver counts the stream as up); earlier, the button would rightly answer "Device
    // disconnect!". Leave after a second of recording.
    QObject::connect(&window, &ViewController::imageShown, &window, [&window, way] {
        static bool pressed = false;
        if (pressed || window.reconnectionCount() < 1 || !ImageRecvTCPSocket::sharedInstance().bConnected())
            return;
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
