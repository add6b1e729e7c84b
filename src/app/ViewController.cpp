#include "app/ViewController.h"

#include "app/AlertSheet.h"
#include "app/CaptureControl.h"
#include "app/ExitAfterRecordings.h"
#include "app/MouseDragView.h"
#include "app/RecordControl.h"
#include "app/StatusOverlay.h"
#include "base/Log.h"
#include "l10n/Localization.h"
#include "library/DKBookmark.h"
#include "library/LibraryViewController.h"
#include "library/LibraryWindow.h"
#include "net/AsyncUdpSocket.h"
#include "viewer/ViewerSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QResizeEvent>
#include <QSessionManager>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

#include <pthread.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kReceiverPoll = 50ms;  // while the receiver is being constructed
constexpr auto kReconnectPause = 2s;  // after a failed reconnection (plus its own 1 s wait)
constexpr auto kPumpInterval = 10ms;  // between frame-pump passes
constexpr auto kCommandRetry = 3s;    // a new command channel after the socket closed; a list asked again
constexpr char kMenuPlaceholder[] = " ";
constexpr double kZoomStep = 0.1;
constexpr auto kStatusRefresh = 250ms;
// The drawing button's picture: the tool's own, over a bar of the ink colour.
QIcon drawButtonIcon(const char *picture, const QColor &ink) {
    QPixmap pixmap(QStringLiteral(":/pictures/") + QLatin1String(picture));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRoundedRect(QRectF(6, pixmap.height() - 7, pixmap.width() - 12, 6), 3, 3);
    return QIcon(pixmap);
}

// Linux keeps 15 characters of a thread name.
void nameThisThread(const char *name) {
    pthread_setname_np(pthread_self(), std::string(name).substr(0, 15).c_str());
}

}  // namespace

ViewController::ViewController(const LaunchOptions &options, ImageRecvTCPSocket &receiver, QWidget *parent)
    : QWidget(parent),
      image_server_ip(options.camera.toStdString()),
      image_server_port(options.imagePort),
      command_server_port(options.commandPort),
      img_socket(receiver),
      noDevicePicture_(noDevicePicture()),
      pump_({[this] { return img_socket.picturesReceived(); },
             [this] { return img_socket.latestArrivalMicros(); }, nullptr}) {
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
    setUpTeachingTools();
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
    // Escape belongs to the pan tool's action: it leaves a drawing tool first, then full screen.
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
    if (!pump_.offerPass()) return;
    QMetaObject::invokeMethod(this, &ViewController::showNextImage, Qt::QueuedConnection);
}

bool ViewController::pauseWorker(std::chrono::microseconds duration) {
    std::unique_lock lock(workerMutex_);
    return !workerWake_.wait_for(lock, duration, [this] { return bCloseApp.load(); });
}

// ---------------------------------------------------------------------------------------------------------
// Pictures (GUI thread)

void ViewController::showNoDevicePicture() {
    // A held picture stays; going live again shows what the camera does then.
    if (pump_.frozen()) return;
    pump_.forget();
    imgView_mousemove->setImage(noDevicePicture_);
    applyOrientation();
    set_1x1_resolution();
}

void ViewController::showNextImage() {
    pump_.beginPass();
    const ImageBytes bytes = img_socket.getFirstImageData();
    img_socket.func_remove_image_list_first();
    showBytes(bytes);
}

void ViewController::showBytes(const ImageBytes &latest) {
    const auto shown = pump_.pass(latest, imgView_mousemove->image(), current_view_info);
    if (!shown) return;
    imgView_mousemove->setImage(shown->picture);
    applyOrientation();
    if (shown->sizeChanged) {
        set_1x1_resolution();
        setFitImage();
        update_current_select_list();
    }
    // Strokes belong to the camera's picture size: a new resolution clears them.
    imgView_mousemove->drawingSheet().setPictureSize(shown->picture.size());
    emit imageShown();
}

void ViewController::pictureDrawn() {
    pump_.pictureDrawn();
}

// Camera pictures are mirrored and flipped as chosen; the no-device picture never is, so it stays legible.
void ViewController::applyOrientation() {
    recordedOrientation_ = orientation_;
    imgView_mousemove->displayGeometry().setOrientation(pump_.shown() ? orientation_ : PictureOrientation{});
    imgView_mousemove->update();
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
    captureTo(capturePicture(false));
}

void ViewController::btnCaptureWithDrawings() {
    captureTo(capturePicture(true));
}

void ViewController::captureTo(const QImage &picture) {
    // The file is named after the press, before the folder panel may take the user's time.
    const QDateTime pressedAt = QDateTime::currentDateTime();
    const auto result = CaptureControl::capture(picture, DKBookmark::defaultShareBookmark(), pressedAt);
    alertMessage(result.message);
}

QImage ViewController::capturePicture(bool withDrawings) const {
    QImage picture = currentImage();
    if (!pump_.shown()) return picture;  // the no-device picture, as it is shown
    // Strokes are in the camera picture's pixels, so they go in before the mirror and flip.
    if (withDrawings && imgView_mousemove->showsDrawings())
        picture = imgView_mousemove->drawingSheet().burntInto(picture);
    return orientation_.applied(picture);
}

void ViewController::alertMessage(const QString &text) {
    AlertSheet::begin(window(), text);
}

void ViewController::Record_Button_Click() {
    recordControl_->Record_Button_Click();
}

void ViewController::setRecordingMicrophone(bool enabled) {
    setUpRecordControl(enabled);
}

void ViewController::setUpRecordControl(bool microphone) {
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
    // On the recording thread: the orientation of the moment, so a change shows in the running recording.
    hooks.pictureTransform = [this](const QImage &picture) {
        return recordedOrientation_.load().applied(picture);
    };
    hooks.microphone = microphone;
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

// ---------------------------------------------------------------------------------------------------------
// Teaching tools (GUI thread)

void ViewController::setUpTeachingTools() {
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(kStatusRefresh);
    applyTeachingTexts();
    connectTeachingTools();
    // The pen starts in red, the highlighter in yellow.
    imgView_mousemove->setInkColour(MouseDragView::Tool::Pen, ViewControllerLayout::inks()[0].colour);
    imgView_mousemove->setInkColour(MouseDragView::Tool::Highlighter, ViewControllerLayout::inks()[1].colour);
    updateFreezeLook();
    updateDrawButton();
    setMirrored(ViewerSettings::flag(ViewerSettings::kMirrorKey));
    setFlipped(ViewerSettings::flag(ViewerSettings::kFlipKey));
    setStatusOverlayShown(ViewerSettings::flag(ViewerSettings::kStatusOverlayKey));
}

void ViewController::applyTeachingTexts() {
    const Localization &texts = Localization::shared();
    const auto name = [&](QAction *action, const char *key, const QKeySequence &keys) {
        action->setText(texts.text(QLatin1String(key)));
        action->setShortcut(keys);
    };
    ui_.freeze_button->setShortcut(QKeySequence(Qt::Key_Space));
    name(ui_.mirror_action, "mirror", QKeySequence(Qt::Key_H));
    name(ui_.flip_action, "flip", QKeySequence(Qt::Key_V));
    name(ui_.overlay_action, "status_overlay", QKeySequence(Qt::CTRL | Qt::Key_I));
    name(ui_.pan_action, "pan", QKeySequence(Qt::Key_Escape));
    name(ui_.pen_action, "pen", QKeySequence(Qt::Key_P));
    name(ui_.highlighter_action, "highlighter", QKeySequence(Qt::Key_M));
    name(ui_.eraser_action, "eraser", QKeySequence(Qt::Key_E));
    name(ui_.undo_action, "undo", QKeySequence(QKeySequence::Undo));
    name(ui_.clear_action, "clear_drawings", QKeySequence(QKeySequence::Delete));
    name(ui_.capture_drawings_action, "capture_with_drawings",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    const QList<QAction *> colours = ui_.colour_actions->actions();
    for (qsizetype i = 0; i < colours.size(); ++i)
        colours[i]->setText(texts.text(QLatin1String(ViewControllerLayout::inks()[std::size_t(i)].key)));

    // Menu buttons list what their menus hold, with the keys.
    const auto entries = [](std::initializer_list<QAction *> actions) {
        QStringList lines;
        for (QAction *action : actions)
            lines << QStringLiteral("%1 (%2)").arg(action->text(),
                                                   action->shortcut().toString(QKeySequence::NativeText));
        return lines.join(QLatin1Char('\n'));
    };
    ui_.orientation_button->setToolTip(entries({ui_.mirror_action, ui_.flip_action, ui_.overlay_action}));
    ui_.draw_button->setToolTip(
        entries({ui_.pen_action, ui_.highlighter_action, ui_.eraser_action, ui_.undo_action, ui_.clear_action,
                 ui_.pan_action, ui_.capture_drawings_action}));
    ui_.capture_button->setToolTip(ui_.capture_button->toolTip() + QLatin1Char('\n') +
                                   entries({ui_.capture_drawings_action}));
}

void ViewController::connectTeachingTools() {
    connect(ui_.freeze_button, &QToolButton::clicked, this, &ViewController::toggleFreeze);
    connect(ui_.mirror_action, &QAction::toggled, this, &ViewController::setMirrored);
    connect(ui_.flip_action, &QAction::toggled, this, &ViewController::setFlipped);
    connect(ui_.overlay_action, &QAction::toggled, this, &ViewController::setStatusOverlayShown);
    connect(ui_.pan_action, &QAction::triggered, this, &ViewController::leaveToolOrFullScreen);
    connect(ui_.pen_action, &QAction::triggered, this, [this] { chooseTool(MouseDragView::Tool::Pen); });
    connect(ui_.highlighter_action, &QAction::triggered, this,
            [this] { chooseTool(MouseDragView::Tool::Highlighter); });
    connect(ui_.eraser_action, &QAction::triggered, this,
            [this] { chooseTool(MouseDragView::Tool::Eraser); });
    connect(ui_.draw_button, &QToolButton::clicked, this, [this] {
        chooseTool(imgView_mousemove->tool() == MouseDragView::Tool::Pan ? lastDrawingTool_
                                                                         : MouseDragView::Tool::Pan);
    });
    connect(ui_.colour_actions, &QActionGroup::triggered, this, [this](QAction *ink) {
        // The colour goes to the pen or the highlighter, whichever was taken last, and picking it means
        // drawing with it.
        const MouseDragView::Tool tool = inkTool();
        imgView_mousemove->setInkColour(tool, ink->data().value<QColor>());
        chooseTool(tool);
    });
    connect(ui_.undo_action, &QAction::triggered, this, &ViewController::undoStroke);
    connect(ui_.clear_action, &QAction::triggered, this, &ViewController::clearDrawings);
    connect(ui_.capture_drawings_action, &QAction::triggered, this, &ViewController::btnCaptureWithDrawings);
    connect(imgView_mousemove, &MouseDragView::pictureDrawn, this, &ViewController::pictureDrawn);
    connect(statusTimer_, &QTimer::timeout, this, &ViewController::refreshStatus);
}

void ViewController::toggleFreeze() {
    pump_.setFrozen(!pump_.frozen());
    updateFreezeLook();
    if (pump_.frozen()) return;
    // Live again: the camera's newest picture, or the no-device picture if it has gone silent meanwhile.
    if (img_socket.bConnected()) {
        showBytes(img_socket.getFirstImageData());
    } else {
        showNoDevicePicture();
    }
}

void ViewController::updateFreezeLook() {
    const bool frozen = pump_.frozen();
    ui_.freeze_button->setChecked(frozen);
    setToolTipKey(ui_.freeze_button, frozen ? QStringLiteral("unfreeze") : QStringLiteral("freeze"));
    imgView_mousemove->setFrozenMark(frozen ? Localization::shared().text(QStringLiteral("frozen_mark"))
                                            : QString());
}

void ViewController::setMirrored(bool mirrored) {
    orientation_.mirrored = mirrored;
    showSwitch(ui_.mirror_action, ViewerSettings::kMirrorKey, mirrored);
    applyOrientation();
}

void ViewController::setFlipped(bool flipped) {
    orientation_.flipped = flipped;
    showSwitch(ui_.flip_action, ViewerSettings::kFlipKey, flipped);
    applyOrientation();
}

// A remembered on/off setting: its menu entry shows it (without acting again) and the settings keep it.
void ViewController::showSwitch(QAction *action, const char *key, bool on) {
    const QSignalBlocker blocker(action);
    action->setChecked(on);
    ViewerSettings::setFlag(key, on);
}

void ViewController::setStatusOverlayShown(bool shown) {
    showSwitch(ui_.overlay_action, ViewerSettings::kStatusOverlayKey, shown);
    if (shown) {
        statusTimer_->start();
        refreshStatus();
    } else {
        statusTimer_->stop();
        statusLines_.clear();
        imgView_mousemove->setCornerPanel(QImage());
    }
}

bool ViewController::statusOverlayShown() const {
    return statusTimer_->isActive();
}

void ViewController::refreshStatus() {
    const std::int64_t now = FramePump::steadyMicros();
    StreamStatistics &statistics = pump_.statistics();
    statistics.sampleReceiver(now, img_socket.picturesReceived(), img_socket.pictureBytesReceived());
    StatusOverlay::Status status;
    status.figures = statistics.figures(now);
    if (pump_.shown()) status.pictureSize = currentImage().size();
    status.reconnections = std::max(0, reconnectionCount() - 1);  // the first is the start-up connection
    status.recordingSeconds = recordControl_->recordingSeconds();
    QStringList lines = StatusOverlay::lines(status, Localization::shared());
    if (lines == statusLines_) return;
    statusLines_ = std::move(lines);
    imgView_mousemove->setCornerPanel(
        StatusOverlay::panel(statusLines_, status.recordingSeconds.has_value(), devicePixelRatioF()));
}

void ViewController::chooseTool(MouseDragView::Tool tool) {
    imgView_mousemove->setTool(tool);
    if (tool != MouseDragView::Tool::Pan) lastDrawingTool_ = tool;
    updateDrawButton();
}

void ViewController::leaveToolOrFullScreen() {
    if (imgView_mousemove->tool() != MouseDragView::Tool::Pan) {
        chooseTool(MouseDragView::Tool::Pan);
    } else if (window()->isFullScreen()) {
        toggleFullScreen();
    }
}

void ViewController::updateDrawButton() {
    const MouseDragView::Tool tool = imgView_mousemove->tool();
    QAction *checked = tool == MouseDragView::Tool::Pen           ? ui_.pen_action
                       : tool == MouseDragView::Tool::Highlighter ? ui_.highlighter_action
                       : tool == MouseDragView::Tool::Eraser      ? ui_.eraser_action
                                                                  : ui_.pan_action;
    checked->setChecked(true);
    ui_.draw_button->setChecked(tool != MouseDragView::Tool::Pan);
    const char *picture = lastDrawingTool_ == MouseDragView::Tool::Highlighter ? "highlighter.png"
                          : lastDrawingTool_ == MouseDragView::Tool::Eraser    ? "eraser.png"
                                                                               : "pen.png";
    const QColor ink = imgView_mousemove->inkColour(inkTool());
    ui_.draw_button->setIcon(drawButtonIcon(picture, ink));
    for (QAction *colour : ui_.colour_actions->actions()) {
        if (colour->data().value<QColor>() == ink) colour->setChecked(true);
    }
}

// The tool whose ink the colour menu shows and sets: the pen, or the highlighter when it was taken last.
MouseDragView::Tool ViewController::inkTool() const {
    return lastDrawingTool_ == MouseDragView::Tool::Highlighter ? MouseDragView::Tool::Highlighter
                                                                : MouseDragView::Tool::Pen;
}

void ViewController::undoStroke() {
    if (imgView_mousemove->drawingSheet().undo()) imgView_mousemove->update();
}

void ViewController::clearDrawings() {
    imgView_mousemove->drawingSheet().clear();
    imgView_mousemove->update();
}
