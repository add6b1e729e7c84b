#include "app/ViewController.h"

#include "app/AlertSheet.h"
#include "app/CaptureControl.h"
#include "app/ExitAfterRecordings.h"
#include "app/JpegDecoder.h"
#include "app/Localization.h"
#include "app/MouseDragView.h"
#include "app/RecordControl.h"
#include "base/Log.h"
#include "library/DKBookmark.h"
#include "library/LibraryViewController.h"
#include "library/LibraryWindow.h"
#include "net/AsyncUdpSocket.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QLayout>
#include <QMessageBox>
#include <QResizeEvent>
#include <QSaveFile>
#include <QSessionManager>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>

#include <pthread.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kReceiverPoll = 50ms;  // while the receiver is being constructed
constexpr auto kReconnectPause = 2s;  // after a failed reconnection (plus its own 1 s wait)
constexpr auto kPumpInterval = 10ms;  // between frame-pump passes
constexpr auto kCommandRetry = 3s;    // a new command channel after the socket closed; a list asked again
constexpr char kMenuPlaceholder[] = " ";
constexpr double kZoomStep = 0.1;
constexpr char kUndecodableFileName[] = "foo.png";

// Linux keeps 15 characters of a thread name.
void nameThisThread(const char *name) {
    pthread_setname_np(pthread_self(), std::string(name).substr(0, 15).c_str());
}

// Keeps the bytes of a picture that would not decode, for a look at what the camera sent.
void writeUndecodable(const std::vector<std::uint8_t> &bytes) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QSaveFile file(QDir(documents).filePath(QString::fromLatin1(kUndecodableFileName)));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
    file.commit();
}

}  // namespace

ViewController::ViewController(const LaunchOptions &options, ImageRecvTCPSocket &receiver, QWidget *parent)
    : QWidget(parent),
      image_server_ip(options.camera.toStdString()),
      image_server_port(options.imagePort),
      command_server_port(options.commandPort),
      img_socket(receiver),
      noDevicePicture_(noDevicePicture()) {
    viewDidLoad();
}

ViewController::~ViewController() {
    {
        std::lock_guard lock(workerMutex_);
        bCloseApp = true;
    }
    workerWake_.notify_all();
    if (Thread_Get_Resolution.joinable()) Thread_Get_Resolution.join();
    qApp->removeEventFilter(this);
    detachCommandChannel();
}

QImage ViewController::noDevicePicture() {
    return QImage(QStringLiteral(":/pictures/checkdevice.png"));
}

QImage ViewController::currentImage() const {
    return imgView_mousemove->image();
}

const DisplayGeometry &ViewController::displayGeometry() const {
    return imgView_mousemove->displayGeometry();
}

void ViewController::setToolTipKey(QAbstractButton *button, const QString &key) {
    QString tip = Localization::shared().text(key);
    if (!button->shortcut().isEmpty())
        tip += QStringLiteral(" (%1)").arg(button->shortcut().toString(QKeySequence::NativeText));
    button->setToolTip(tip);
}

// ---------------------------------------------------------------------------------------------------------
// Start-up

void ViewController::viewDidLoad() {
    setWindowTitle(QStringLiteral("deskcam — %1").arg(QString::fromStdString(image_server_ip)));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/deskcam.png")));
    ui_.setupUi(this);
    setUpShortcuts();
    applyToolTips();
    setUpSliders();
    buildPictureStack();
    ui_.ctrl_resolve_list->clear();
    ui_.ctrl_resolve_list->addItem(QString::fromLatin1(kMenuPlaceholder));  // until the camera's list arrives
    connectControls();
    connect(&listRetry_, &QTimer::timeout, this, &ViewController::askAgainForMissingList);
    listRetry_.start(kCommandRetry);
    setUpRecordControl();
    // The viewer's or the library's window changing size re-fits the picture (see eventFilter).
    qApp->installEventFilter(this);
    Thread_Get_Resolution = std::thread([this] {
        nameThisThread("Thread-StartSocket");
        runStartSocket();
    });
}

void ViewController::setUpShortcuts() {
    ui_.left_rotate_button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    ui_.right_rotate_button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    ui_.actual_1_1_button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    ui_.suitable_button->setShortcut(QKeySequence(Qt::Key_F));
    ui_.capture_button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    const auto addShortcut = [this](const QKeySequence &keys, void (ViewController::*slot)()) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, slot);
    };
    addShortcut(QKeySequence::ZoomIn, &ViewController::zoomIn);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), &ViewController::zoomIn);  // "+" without Shift
    addShortcut(QKeySequence::ZoomOut, &ViewController::zoomOut);
    addShortcut(QKeySequence(Qt::Key_F11), &ViewController::toggleFullScreen);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), &ViewController::closeWindow);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (window()->isFullScreen()) toggleFullScreen();
    });
}

void ViewController::applyToolTips() {
    setToolTipKey(ui_.left_rotate_button, QStringLiteral("rotate_left"));
    ui_.ns_slider_rotate->setToolTip(Localization::shared().text(QStringLiteral("rotate")));
    setToolTipKey(ui_.right_rotate_button, QStringLiteral("rotate_right"));
    setToolTipKey(ui_.actual_1_1_button, QStringLiteral("actual_size"));
    setToolTipKey(ui_.suitable_button, QStringLiteral("fit_size"));
    setToolTipKey(ui_.max_window_button, QStringLiteral("max_window"));
    setToolTipKey(ui_.capture_button, QStringLiteral("capture"));
    setToolTipKey(ui_.library_button, QStringLiteral("library"));
    setToolTipKey(ui_.record_button, QStringLiteral("record_start"));
    const Localization &texts = Localization::shared();
    const QString zoomKeys = QKeySequence(QKeySequence::ZoomIn).toString(QKeySequence::NativeText) +
                             QStringLiteral(" / ") +
                             QKeySequence(QKeySequence::ZoomOut).toString(QKeySequence::NativeText);
    ui_.ns_slider_zoom->setToolTip(
        QStringLiteral("%1 (%2)").arg(texts.text(QStringLiteral("zoom")), zoomKeys));
    ui_.max_window_button->setToolTip(
        ui_.max_window_button->toolTip() +
        QStringLiteral(" — %1 (F11)").arg(texts.text(QStringLiteral("full_screen"))));
    ui_.ctrl_resolve_list->setToolTip(texts.text(QStringLiteral("resolution")));
}

void ViewController::setUpSliders() {
    ui_.ns_slider_zoom->setDoubleRange(0.1, v_max_scale);
    ui_.ns_slider_zoom->setDoubleValue(1.0);
    ui_.ns_slider_rotate->setDoubleValue(0.0);
    ui_.ns_slider_rotate->setDelegate(this);
    ui_.scale_label->setText(DisplayGeometry::scaleText(1.0));
}

void ViewController::buildPictureStack() {
    imgView_mousemove = new MouseDragView(ui_.ns_imageview_main);
    imgView_mousemove->setObjectName(QStringLiteral("imgView_mousemove"));
    ui_.ns_imageview_main->layout()->addWidget(imgView_mousemove);
}

void ViewController::connectControls() {
    connect(ui_.left_rotate_button, &QToolButton::clicked, this, &ViewController::Left_Rotate_Button_Click);
    connect(ui_.right_rotate_button, &QToolButton::clicked, this, &ViewController::Right_Rotate_Button_Click);
    connect(ui_.actual_1_1_button, &QToolButton::clicked, this, &ViewController::Set_1x1_Button_Click);
    connect(ui_.suitable_button, &QToolButton::clicked, this, &ViewController::btnSuitable);
    connect(ui_.max_window_button, &QToolButton::clicked, this, &ViewController::btnMaxWindow);
    connect(ui_.capture_button, &QToolButton::clicked, this, &ViewController::btnCapture);
    connect(ui_.record_button, &QToolButton::clicked, this, &ViewController::Record_Button_Click);
    connect(ui_.library_button, &QToolButton::clicked, this, &ViewController::btnOpenLibrary);
    connect(ui_.ns_slider_zoom, &DoubleSlider::doubleValueChanged, this,
            &ViewController::control_silder_zoom);
    connect(ui_.ns_slider_rotate, &DoubleSlider::doubleValueChanged, this,
            &ViewController::Rotate_Button_Click);
    // activated: the user's choice only, also when it is the item already selected.
    connect(ui_.ctrl_resolve_list, &QComboBox::activated, this, &ViewController::selectChange);
}

// ---------------------------------------------------------------------------------------------------------
// Supervision (worker thread)

void ViewController::runStartSocket() {
    while (!img_socket.inited()) {
        if (!pauseWorker(kReceiverPoll)) return;
    }
    img_socket.initServer(image_server_ip, static_cast<std::uint16_t>(image_server_port));
    while (!bCloseApp) {
        if (img_socket.isTimeOut()) {
            QMetaObject::invokeMethod(this, &ViewController::showNoDevicePicture, Qt::QueuedConnection);
            ++reconnections_;
            // The receiver's wait for pictures is a pause of the worker: closing cuts it short.
            const bool reconnected =
                img_socket.func_reconnect_server([this](auto wait) { pauseWorker(wait); });
            if (bCloseApp) break;
            if (!reconnected) {
                pauseWorker(kReconnectPause);
                continue;
            }
            func_reconnect_udp_server();
        }
        if (img_socket.bConnected()) setNextImage();
        // Also when the stream lives but only carries units the receiver rejects: without a pause the loop
        // would spin a whole core.
        pauseWorker(kPumpInterval);
    }
}

bool ViewController::func_reconnect_udp_server() {
    // The channel is replaced on the GUI thread, where its callbacks and the menu use it, so a use never
    // meets a half-replaced channel.
    QMetaObject::invokeMethod(this, &ViewController::reconnectCommandChannel, Qt::QueuedConnection);
    return true;
}

void ViewController::setNextImage() {
    if (img_socket.list_image_data().empty()) return;
    if (pumpPending_.exchange(true)) return;
    QMetaObject::invokeMethod(this, &ViewController::showNextImage, Qt::QueuedConnection);
}

bool ViewController::pauseWorker(std::chrono::microseconds duration) {
    std::unique_lock lock(workerMutex_);
    return !workerWake_.wait_for(lock, duration, [this] { return bCloseApp.load(); });
}

// ---------------------------------------------------------------------------------------------------------
// Pictures (GUI thread)

void ViewController::showNoDevicePicture() {
    shownBytes_.reset();
    imgView_mousemove->setImage(noDevicePicture_);
    set_1x1_resolution();
}

void ViewController::showNextImage() {
    pumpPending_ = false;
    const ImageBytes bytes = img_socket.getFirstImageData();
    img_socket.func_remove_image_list_first();
    // The same bytes as last time are on screen already (or were undecodable already).
    if (!bytes || bytes->empty() || bytes == shownBytes_) return;
    shownBytes_ = bytes;
    // Decoded into the pixels of the picture before last when nobody holds them any more, so a stream of
    // same-sized pictures does not map and fault in a fresh 8 MB buffer for every frame.
    QImage picture = std::move(spareImage_);
    if (!JpegDecoder::decodeInto(bytes->data(), bytes->size(), picture)) {
        writeUndecodable(*bytes);
        deskcam::logLine("[Error]: setNextImage() - temp_nsImg is nil.\r\n");
        return;
    }
    spareImage_ = imgView_mousemove->image();
    imgView_mousemove->setImage(picture);
    if (picture.width() != current_view_info.width() || picture.height() != current_view_info.height()) {
        set_1x1_resolution();
        setFitImage();
        update_current_select_list();
    }
    emit imageShown();
}

// ---------------------------------------------------------------------------------------------------------
// Display geometry (GUI thread)

void ViewController::set_1x1_resolution() {
    const QImage picture = currentImage();
    current_view_info = QSizeF(picture.width(), picture.height());
    imgView_mousemove->displayGeometry().set_1x1_resolution(current_view_info,
                                                            ui_.ns_slider_rotate->doubleValue(), v_max_scale);
    ui_.ns_slider_zoom->setDoubleValue(1.0);
    applyZoom(ui_.ns_slider_zoom->doubleValue());
}

void ViewController::setFitImage() {
    const std::optional<double> factor = imgView_mousemove->displayGeometry().setFitImage();
    if (factor) {
        ui_.ns_slider_zoom->setDoubleValue(*factor);
        applyZoom(*factor);  // the factor itself, also beyond what the slider can show
    }
    imgView_mousemove->update();
}

void ViewController::control_silder_zoom() {
    applyZoom(ui_.ns_slider_zoom->doubleValue());
}

void ViewController::applyZoom(double factor) {
    ui_.scale_label->setText(DisplayGeometry::scaleText(factor));
    imgView_mousemove->displayGeometry().setZoom(factor);
    imgView_mousemove->update();
}

void ViewController::zoomIn() {
    const double zoom = displayGeometry().zoom();
    if (zoom >= v_max_scale) return;  // a fit beyond the slider's end stays as it is
    const double next = std::min(v_max_scale, std::round((zoom + kZoomStep) * 10) / 10);
    ui_.ns_slider_zoom->setDoubleValue(next);
    applyZoom(next);
}

void ViewController::zoomOut() {
    const double minimum = ui_.ns_slider_zoom->minimumDouble();
    const double next = std::max(minimum, std::round((displayGeometry().zoom() - kZoomStep) * 10) / 10);
    ui_.ns_slider_zoom->setDoubleValue(next);
    applyZoom(next);
}

void ViewController::Left_Rotate_Button_Click() {
    const double rotation = DisplayGeometry::leftTurnRotation(ui_.ns_slider_rotate->doubleValue());
    imgView_mousemove->displayGeometry().setRotation(rotation);
    ui_.ns_slider_rotate->setDoubleValue(360.0 - rotation);
    imgView_mousemove->update();
}

void ViewController::Right_Rotate_Button_Click() {
    const double rotation = DisplayGeometry::rightTurnRotation(ui_.ns_slider_rotate->doubleValue());
    imgView_mousemove->displayGeometry().setRotation(rotation);
    ui_.ns_slider_rotate->setDoubleValue(360.0 - rotation);
    imgView_mousemove->update();
}

void ViewController::Rotate_Button_Click() {
    imgView_mousemove->displayGeometry().setRotation(360.0 - ui_.ns_slider_rotate->doubleValue());
    imgView_mousemove->update();
}

void ViewController::delegate_reset_rotate() {
    ui_.ns_slider_rotate->setDoubleValue(0.0);
    imgView_mousemove->displayGeometry().setRotation(ui_.ns_slider_rotate->doubleValue());
    imgView_mousemove->update();
}

void ViewController::Set_1x1_Button_Click() {
    set_1x1_resolution();
}

void ViewController::btnSuitable() {
    setFitImage();
}

void ViewController::btnMaxWindow() {
    window()->setWindowState(window()->windowState() | Qt::WindowMaximized);
    setFitImage();
}

void ViewController::toggleFullScreen() {
    window()->setWindowState(window()->windowState() ^ Qt::WindowFullScreen);
    setFitImage();
}

void ViewController::windowDidResize() {
    setFitImage();
}

bool ViewController::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize && fitsWhenResized(watched)) {
        const auto *widget = static_cast<QWidget *>(watched);
        const auto *resize = static_cast<QResizeEvent *>(event);
        // A window's own resize arrives before its layout has resized the display area: fit afterwards.
        if (widget->isVisible() && resize->oldSize().isValid() && resize->oldSize() != resize->size()) {
            QMetaObject::invokeMethod(this, &ViewController::windowDidResize, Qt::QueuedConnection);
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The viewer's window and the library's. Tooltips, alerts, menus and pop-up lists are top-level widgets
// too and size themselves as they appear; they must not undo the user's zoom and pan.
bool ViewController::fitsWhenResized(const QObject *watched) const {
    if (watched == window()) return true;
    const auto *library = qobject_cast<const LibraryViewController *>(watched);
    return library && library->isWindow();
}

// ---------------------------------------------------------------------------------------------------------
// Resolution menu (GUI thread)

void ViewController::reconnectCommandChannel() {
    rebuildCommandChannel("the picture stream is back");
}

void ViewController::rebuildCommandChannel(const char *reason) {
    deskcam::logLine("Rebuilding the command channel: %s", reason);
    detachCommandChannel();
    ++commandChannelNumber_;
    commandChannelClosed_ = false;
    command_socket = std::make_unique<CommandUDPSocket>();
    command_socket->setDelegate(this);
    command_socket->ConnectUDPHost(image_server_ip, static_cast<std::uint16_t>(command_server_port));
    command_socket->sendData(nullptr, SEND_GET_RESOLUTION);
}

// The camera's command service was not up, or has gone: a new channel in a while. (A reconnection of the
// picture stream meanwhile brings one of its own.)
void ViewController::commandSocketDidClose() {
    commandChannelClosed_ = true;
    QTimer::singleShot(kCommandRetry, this, [this, closed = commandChannelNumber_] {
        if (closed == commandChannelNumber_) rebuildCommandChannel("its socket closed");
    });
}

// A list request or its answer may be lost, or the service may have been slow to come up.
void ViewController::askAgainForMissingList() {
    if (commandChannelClosed_ || menuHoldsList()) return;
    if (command_socket) {
        command_socket->sendData(nullptr, SEND_GET_RESOLUTION);
    } else if (img_socket.bConnected()) {
        // Pictures came only after the worker's reconnection had given up waiting for them, so it built
        // no channel, and nothing else would.
        rebuildCommandChannel("the picture stream runs without one");
    }
}

bool ViewController::menuHoldsList() const {
    const QComboBox *menu = ui_.ctrl_resolve_list;
    return menu->count() > 0 && menu->itemText(0) != QLatin1String(kMenuPlaceholder);
}

void ViewController::detachCommandChannel() {
    if (!command_socket) return;
    if (AsyncUdpSocket *socket = command_socket->m_Command_Socket()) {
        socket->setDelegate(nullptr);
        socket->close();
    }
    command_socket.reset();
}

void ViewController::ClearResolution() {
    ui_.ctrl_resolve_list->clear();
}

void ViewController::fillResolution() {
    if (!command_socket) return;
    const auto &list = command_socket->m_resolution_list();
    if (list.empty()) {
        deskcam::logLine("fillResolution:command_socket.m_resolution_list.count=0 ");
        return;
    }
    for (const STRUCT_RESOLUTION &resolution : list) {
        const QString title = QString::asprintf("%lu*%lu", static_cast<unsigned long>(resolution.width),
                                                static_cast<unsigned long>(resolution.height));
        ui_.ctrl_resolve_list->addItem(title);
        deskcam::logLine("ctrl_resolve_list add: %s", qPrintable(title));
    }
    update_current_select_list();
}

void ViewController::update_current_select_list() {
    if (ui_.ctrl_resolve_list->count() == 0) return;
    const QImage picture = currentImage();
    const QString title = QString::asprintf("%.f*%.f", double(picture.width()), double(picture.height()));
    ui_.ctrl_resolve_list->setCurrentIndex(
        ui_.ctrl_resolve_list->findText(title, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void ViewController::selectChange() {
    const int index = ui_.ctrl_resolve_list->currentIndex();
    if (command_socket) command_socket->control_set_resolution(static_cast<std::uint8_t>(index));
}

// ---------------------------------------------------------------------------------------------------------
// Capture, recording, library: their controls fill these in.

void ViewController::btnCapture() {
    // The file is named after the press, before the folder panel may take the user's time.
    const QDateTime pressedAt = QDateTime::currentDateTime();
    const auto result =
        CaptureControl::capture(currentImage(), DKBookmark::defaultShareBookmark(), pressedAt);
    alertMessage(result.message);
}

void ViewController::alertMessage(const QString &text) {
    AlertSheet::begin(window(), text);
}

void ViewController::Record_Button_Click() {
    recordControl_->Record_Button_Click();
}

void ViewController::setUpRecordControl() {
    RecordControl::Hooks hooks;
    hooks.deviceConnected = [this] { return img_socket.bConnected(); };
    hooks.saveRoot = [] { return DKBookmark::defaultShareBookmark().getSavePath(); };
    hooks.videoSize = [this] { return current_view_info; };
    hooks.alertMessage = [this](const QString &text) { AlertSheet::begin(window(), text); };
    hooks.alertAndWait = [this](const QString &text, std::function<void()> dismissed) {
        connect(AlertSheet::begin(window(), text), &QObject::destroyed, [dismissed] { dismissed(); });
    };
    hooks.showButtonState = [this](bool recording) {
        ui_.record_button->setIcon(QIcon(recording ? QStringLiteral(":/pictures/recordstop.png")
                                                   : QStringLiteral(":/pictures/record.png")));
        setToolTipKey(ui_.record_button,
                      recording ? QStringLiteral("record_stop") : QStringLiteral("record_start"));
    };
    hooks.frameSource = [this] { return img_socket.getFirstImageData(); };
    recordControl_ = std::make_unique<RecordControl>(std::move(hooks));
    exitAfterRecordings_ = std::make_unique<ExitAfterRecordings>(
        *recordControl_, this, ExitAfterRecordings::Ways{[this] { close(); }, [this] { closeWindow(); }});
    // Ways out that do not pass the window: the session ending, and a quit asked for elsewhere.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { exitAfterRecordings_->finishNow(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { exitAfterRecordings_->finishNow(); });
}

void ViewController::closeEvent(QCloseEvent *event) {
    if (exitAfterRecordings_->waitBeforeLeaving(false)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

// One library window: the first press opens it, later presses bring it to the front.
void ViewController::btnOpenLibrary() {
    LibraryWindow::present();
}

void ViewController::closeWindow() {
    if (exitAfterRecordings_->waitBeforeLeaving(true)) return;
    imgView_mousemove->setImage(QImage());
    QCoreApplication::quit();
}
