#include "app/ViewController.h"

#include "app/AlertSheet.h"
#include "app/CameraDialog.h"
#include "app/CaptureControl.h"
#include "app/ControlTexts.h"
#include "app/DisplayControls.h"
#include "app/ExitAfterRecordings.h"
#include "app/MouseDragView.h"
#include "app/RecordControl.h"
#include "app/RecordSizeMenu.h"
#include "app/StatusOverlay.h"
#include "app/TeachingTools.h"
#include "base/Log.h"
#include "device/JpegDecoder.h"
#include "l10n/Localization.h"
#include "library/LibraryWindow.h"
#include "viewer/DKBookmark.h"
#include "viewer/ViewerSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLayout>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>

using namespace std::chrono_literals;

ViewController::ViewController(const LaunchOptions &options, ImageRecvTCPSocket &receiver, QWidget *parent)
    : QWidget(parent),
      camera_(options),
      image_server_ip(options.camera.toStdString()),
      img_socket(receiver),
      noDevicePicture_(noDevicePicture()),
      pump_({[this] { return img_socket.picturesReceived(); },
             [this] { return img_socket.latestArrivalMicros(); }, nullptr}),
      decoder_(std::make_unique<PictureDecoder>([this](FramePump::Decoded decoded) {
          QMetaObject::invokeMethod(
              this, [this, decoded = std::move(decoded)]() mutable { showDecoded(std::move(decoded)); },
              Qt::QueuedConnection);
      })) {
    viewDidLoad();
}

ViewController::~ViewController() {
    img_socket.setPictureArrived(nullptr);
    supervisor_->stop();
    decoder_.reset();
}

QImage ViewController::noDevicePicture() {
    return QImage(QStringLiteral(":/pictures/checkdevice.png"));
}

// ---------------------------------------------------------------------------------------------------------
// Start-up

void ViewController::viewDidLoad() {
    connectToCamera();
    setWindowIcon(QIcon(QStringLiteral(":/pictures/deskcam.png")));
    ui_.setupUi(this);
    applyTexts();
    buildPictureStack();
    ui_.ctrl_resolve_list->showWaiting();
    connectControls();
    setUpRecordControl();
    RecordSizeMenu::connect(*ui_.record_size_actions);
    auto *badgeClock = new QTimer(this);  // the window's child
    connect(badgeClock, &QTimer::timeout, this, &ViewController::updateRecordingBadge);
    badgeClock->start(500);
    setUpTeachingTools();
    setUpScanMode();
    // Straight from the socket's callback on this thread: a wait for the supervisor's next pass would add
    // up to its 10 ms to every picture's latency. Its passes still show whatever a callback missed.
    img_socket.setPictureArrived([this] { showNextImage(); });
    supervisor_->start();
    // Recordings that ended while the last run was closing: said now, once.
    for (const QString &end : RecordControl::takeUntoldEnds()) alertMessage(end);
}

void ViewController::applyTexts() {
    ControlTexts::Hooks hooks;
    hooks.zoomIn = [this] { zoomIn(); };
    hooks.zoomOut = [this] { zoomOut(); };
    hooks.quit = [this] { closeWindow(); };
    hooks.copyPicture = [this] { presenter_->copyPicture(); };
    hooks.openResolutions = [this] {
        ui_.ctrl_resolve_list->setFocus(Qt::ShortcutFocusReason);
        ui_.ctrl_resolve_list->showPopup();
    };
    ControlTexts::apply(this, ui_, std::move(hooks));
}

void ViewController::buildPictureStack() {
    imgView_mousemove = new MouseDragView(ui_.ns_imageview_main);
    imgView_mousemove->setObjectName(QStringLiteral("imgView_mousemove"));
    imgView_mousemove->setAccessibleName(Localization::shared().text(QStringLiteral("camera_picture")));
    ui_.ns_imageview_main->layout()->addWidget(imgView_mousemove);
    // The picture has the focus at start and takes it back when clicked, so Space freezes; Tab then
    // walks the strip, where Space presses the focused button.
    imgView_mousemove->setFocusPolicy(Qt::ClickFocus);
    imgView_mousemove->setFocus();
    display_ = std::make_unique<DisplayControls>(*this, ui_, *imgView_mousemove);
    connect(display_.get(), &DisplayControls::zoomChanged, this, &ViewController::refreshDetail);
    ui_.ns_slider_rotate->setDelegate(this);
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
    connect(ui_.camera_button, &QToolButton::clicked, this, &ViewController::openCameraDialog);
    connect(imgView_mousemove, &MouseDragView::noteClicked, this, &ViewController::openCameraDialog);
    connect(ui_.ns_slider_zoom, &DoubleSlider::doubleValueChanged, this,
            &ViewController::control_silder_zoom);
    connect(ui_.ns_slider_rotate, &DoubleSlider::doubleValueChanged, this,
            &ViewController::Rotate_Button_Click);
    // activated: the user's choice only, also when it is the item already selected.
    connect(ui_.ctrl_resolve_list, &QComboBox::activated, this, &ViewController::selectChange);
}

// ---------------------------------------------------------------------------------------------------------
// Supervision (supervisor thread)

// The receiver's timing: reconnect after more than 3 s without pictures, 2 s pause after a failed one.
StreamSupervisor::Hooks ViewController::supervisorHooks() {
    StreamSupervisor::Hooks hooks;
    hooks.streamLost = [this] {
        QMetaObject::invokeMethod(this, &ViewController::showNoDevicePicture, Qt::QueuedConnection);
    };
    hooks.streamBack = [this] { func_reconnect_udp_server(); };
    hooks.connectedPass = [this] { setNextImage(); };
    return hooks;
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

// ---------------------------------------------------------------------------------------------------------
// Pictures (GUI thread)

void ViewController::showNoDevicePicture() {
    // A held picture stays, and so does the whiteboard; going live again shows what the camera does then.
    if (pump_.frozen() || presenter_->standIn().on()) return;
    pump_.forget();
    imgView_mousemove->setImage(noDevicePicture_);
    imgView_mousemove->setNote(lookingForNote());
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
    if (presenter_->standIn().on()) return;  // the camera link runs on behind the page
    if (auto job = pump_.take(latest, shownScale())) decoder_->submit(std::move(*job));
}

// Screen pixels per picture pixel: below a half, pictures are decoded scaled down.
double ViewController::shownScale() const {
    return imgView_mousemove->displayGeometry().zoom() * imgView_mousemove->devicePixelRatioF();
}

// Zoomed in past what the picture on screen was decoded for: full detail now, not from the next picture on
// (which may never come while frozen or while the camera is away).
void ViewController::refreshDetail() {
    if (auto job = pump_.retake(shownScale())) decoder_->submit(std::move(*job));
}

void ViewController::showDecoded(FramePump::Decoded decoded) {
    if (presenter_->standIn().on()) return;  // decoded before the page came
    const auto shown = pump_.accept(std::move(decoded), currentViewSize());
    if (!shown) return;
    imgView_mousemove->setNote(QString());
    imgView_mousemove->setImage(shown->picture, shown->pictureSize);
    applyOrientation();
    if (shown->sizeChanged) {
        set_1x1_resolution();
        setFitImage();
        update_current_select_list();
    }
    // Strokes belong to the camera's picture size: a new resolution clears them.
    imgView_mousemove->drawingSheet().setPictureSize(shown->pictureSize);
    emit imageShown();
}

// ---------------------------------------------------------------------------------------------------------
// The camera (GUI thread)

// The command channel and the supervisor for camera_; the supervisor is started by the caller.
void ViewController::connectToCamera() {
    image_server_ip = camera_.camera.toStdString();
    setWindowTitle(QStringLiteral("deskcam — %1").arg(camera_.camera));
    commandChannel_ = std::make_unique<CommandChannelKeeper>(
        image_server_ip, camera_.commandPort, commandChannelHooks(), CommandChannelKeeper::liveEnvironment());
    supervisor_ = std::make_unique<StreamSupervisor>(img_socket, image_server_ip, camera_.imagePort,
                                                     supervisorHooks(), StreamSupervisor::Rhythm{});
}

QString ViewController::lookingForNote() const {
    return Localization::shared()
        .text(QStringLiteral("no_device_where"))
        .arg(camera_.camera)
        .arg(camera_.imagePort)
        .arg(camera_.commandPort);
}

void ViewController::openCameraDialog() {
    auto *dialog = new CameraDialog(camera_, LaunchOptions::recent(*ViewerSettings::open()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);  // the window's child until it closes
    connect(dialog, &CameraDialog::chosen, this, &ViewController::chooseCamera);
    dialog->open();
}

// A recording in progress is finished first, if the user agrees; otherwise nothing changes.
void ViewController::chooseCamera(const LaunchOptions &camera) {
    if (recordControl_->bRecording()) {
        const auto answer = QMessageBox::question(
            window(), windowTitle(), Localization::shared().text(QStringLiteral("camera_switch_recording")));
        if (answer != QMessageBox::Yes) return;
        Record_Button_Click();
    }
    switchCamera(camera);
}

void ViewController::switchCamera(const LaunchOptions &camera) {
    supervisor_->stop();
    earlierReconnections_ = reconnections();
    img_socket.detachFromCamera();
    camera_ = camera;
    LaunchOptions::remember(*ViewerSettings::open(), camera_);
    if (pump_.frozen()) tools_->toggleFreeze();  // the new camera goes live
    ui_.ctrl_resolve_list->clear();
    ui_.ctrl_resolve_list->showWaiting();
    connectToCamera();
    showNoDevicePicture();
    supervisor_->start();
    deskcam::logLine("Camera changed to %s:%u, commands on port %u", qPrintable(camera_.camera),
                     unsigned(camera_.imagePort), unsigned(camera_.commandPort));
    emit cameraChanged(camera_);
}

// ---------------------------------------------------------------------------------------------------------
// Resolution menu (GUI thread)

void ViewController::reconnectCommandChannel() {
    commandChannel_->streamBack();
}

CommandChannelKeeper::Hooks ViewController::commandChannelHooks() {
    CommandChannelKeeper::Hooks hooks;
    hooks.clearList = [this] { ui_.ctrl_resolve_list->clear(); };
    hooks.showList = [this](const std::vector<STRUCT_RESOLUTION> &list) {
        ui_.ctrl_resolve_list->showResolutions(list);
        update_current_select_list();
    };
    hooks.streamRuns = [this] { return img_socket.bConnected(); };
    hooks.choiceFailed = [this](const STRUCT_RESOLUTION &choice, bool answered) {
        alertMessage(
            Localization::shared()
                .text(answered ? QStringLiteral("choice_refused") : QStringLiteral("choice_unanswered"))
                .arg(choice.width)
                .arg(choice.height));
    };
    return hooks;
}

void ViewController::commandSocketDidClose() {
    commandChannel_->commandSocketDidClose();
}

void ViewController::ClearResolution() {
    commandChannel_->ClearResolution();
}

void ViewController::fillResolution() {
    commandChannel_->fillResolution();
}

void ViewController::update_current_select_list() {
    if (ui_.ctrl_resolve_list->count() == 0) return;
    const QSize picture = pictureSize();
    ui_.ctrl_resolve_list->setCurrentIndex(
        commandChannel_->indexOf(std::uint64_t(picture.width()), std::uint64_t(picture.height())));
}

QImage ViewController::currentImage() const {
    const QImage &shown = imgView_mousemove->image();
    const ImageBytes &bytes = pump_.shown();
    if (shown.size() == pictureSize() || !bytes) return shown;
    // Shown scaled down: a capture and whoever asks for the picture get the camera's full detail.
    QImage full;
    if (!JpegDecoder::decodeInto(bytes->data(), bytes->size(), full)) return shown;
    return full;
}

void ViewController::selectChange() {
    commandChannel_->choose(ui_.ctrl_resolve_list->currentIndex());
}

// ---------------------------------------------------------------------------------------------------------
// Capture, recording, library: their controls fill these in.

void ViewController::btnCapture() {
    captureShown(false);
}

void ViewController::btnCaptureWithDrawings() {
    captureShown(true);
}

// The no-device picture is the application's, not the camera's: saying it was saved would be untrue.
void ViewController::captureShown(bool withDrawings) {
    if (!pump_.shown() && !presenter_->standIn().on()) {
        alertMessage(CaptureControl::nothingToCapture().message);
        return;
    }
    // Decoded once: a large camera's picture on screen is a reduced decode.
    const QImage camera = presenter_->standIn().on() ? QImage() : currentImage();
    captureTo(capturePictureOf(camera, withDrawings));
    // Each capture of the camera picture is a still of this run.
    if (pump_.shown()) presenter_->keepStill(camera, imgView_mousemove->drawingSheet());
}

void ViewController::captureTo(const QImage &picture) {
    // The file is named after the press, before the folder panel may take the user's time.
    const QDateTime pressedAt = QDateTime::currentDateTime();
    const auto result = CaptureControl::capture(picture, DKBookmark::defaultShareBookmark(), pressedAt);
    alertMessage(result.message, result.outcome == CaptureControl::Outcome::Saved
                                     ? AlertSheet::Kind::Information
                                     : AlertSheet::Kind::Warning);
}

QImage ViewController::capturePicture(bool withDrawings) const {
    return capturePictureOf(presenter_->standIn().on() ? QImage() : currentImage(), withDrawings);
}

QImage ViewController::capturePictureOf(QImage picture, bool withDrawings) const {
    // The page as shown: turned as the view turns everything it shows.
    if (presenter_->standIn().on())
        return tools_->orientation().applied(presenter_->standIn().picture(withDrawings));
    if (!pump_.shown()) return picture;  // the no-device picture, as it is shown
    // Compare: both parts as shown.
    if (!imgView_mousemove->comparison().isNull())
        return imgView_mousemove->composedComparison(tools_->orientation().applied(picture));
    // Strokes are in the camera picture's pixels, so they go in before the mirror and flip.
    if (withDrawings && imgView_mousemove->showsDrawings())
        picture = imgView_mousemove->drawingSheet().burntInto(picture);
    return tools_->orientation().applied(picture);
}

void ViewController::alertMessage(const QString &text, AlertSheet::Kind kind) {
    AlertSheet::begin(window(), text, kind);
}

void ViewController::alertOutcome(const QString &text, bool goodNews) {
    alertMessage(text, goodNews ? AlertSheet::Kind::Information : AlertSheet::Kind::Warning);
}

QString ViewController::saveRoot() {
    return DKBookmark::defaultShareBookmark().getSavePath();
}

void ViewController::Record_Button_Click() {
    recordControl_->Record_Button_Click();
}

void ViewController::updateRecordingBadge() {
    const std::optional<int> seconds = recordControl_->recordingSeconds();
    QString badge;
    if (seconds) {
        badge = QStringLiteral("REC %1:%2")
                    .arg(*seconds / 60, 2, 10, QLatin1Char('0'))
                    .arg(*seconds % 60, 2, 10, QLatin1Char('0'));
        if (recordControl_->isPaused())
            badge += Localization::shared().text(QStringLiteral("overlay_paused"));
    }
    imgView_mousemove->setRecordingBadge(badge);
}

void ViewController::setRecordingMicrophone(bool enabled) {
    setUpRecordControl(enabled);
}

void ViewController::setUpRecordControl(bool microphone) {
    RecordControl::Hooks hooks;
    hooks.deviceConnected = [this] { return img_socket.bConnected(); };
    hooks.saveRoot = &ViewController::saveRoot;
    hooks.videoSize = [this] {
        return QSizeF(VideoSize::forCamera(currentViewSize().toSize(), RecordSizeMenu::chosen()));
    };
    hooks.alertMessage = [this](const QString &text, bool goodNews) { alertOutcome(text, goodNews); };
    hooks.alertAndWait = [this](const QString &text, std::function<void()> dismissed) {
        connect(AlertSheet::begin(window(), text), &QObject::destroyed, [dismissed] { dismissed(); });
    };
    hooks.showButtonState = [this](bool recording) {
        ui_.record_button->setIcon(QIcon(recording ? QStringLiteral(":/pictures/recordstop.png")
                                                   : QStringLiteral(":/pictures/record.png")));
        setToolTipKey(ui_.record_button,
                      recording ? QStringLiteral("record_stop") : QStringLiteral("record_start"));
        ui_.pause_action->setEnabled(recording);
    };
    // On the recording thread: the whiteboard while it shows, else the camera's newest picture.
    hooks.frameSource = [this] {
        const ImageBytes board = presenter_->standIn().frameBytes();
        return board ? board : img_socket.getFirstImageData();
    };
    // On the recording thread: the orientation of the moment, so a change shows in the running recording.
    hooks.pictureTransform = [this](const QImage &picture) {
        return tools_->recordedOrientation().applied(picture);
    };
    hooks.microphone = microphone;
    recordControl_ = std::make_unique<RecordControl>(std::move(hooks));
    connectPause();
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
    setUpPresenterActions();  // first: the status overlay, restored on, asks it at once
    TeachingTools::Hooks hooks;
    hooks.frozen = [this] { return pump_.frozen() || presenter_->standIn().kind() == StandIn::Kind::Still; };
    hooks.setFrozen = [this](bool frozen) {
        if (!frozen && presenter_->standIn().kind() == StandIn::Kind::Still) presenter_->backToLive();
        // Each freeze is a still of this run.
        if (frozen && pump_.shown()) presenter_->keepStill(currentImage(), imgView_mousemove->drawingSheet());
        pump_.setFrozen(frozen);
    };
    hooks.goLive = [this] { showLive(); };
    hooks.showsCameraPicture = [this] { return pump_.shown() != nullptr; };
    hooks.status = [this] { return currentStatus(); };
    hooks.toggleFullScreen = [this] { toggleFullScreen(); };
    tools_ = std::make_unique<TeachingTools>(ui_, *imgView_mousemove, std::move(hooks));
    connect(ui_.capture_drawings_action, &QAction::triggered, this, &ViewController::btnCaptureWithDrawings);
    connect(imgView_mousemove, &MouseDragView::pictureDrawn, this, &ViewController::pictureDrawn);
}

void ViewController::showLive() {
    if (img_socket.bConnected()) {
        showBytes(img_socket.getFirstImageData());
    } else {
        showNoDevicePicture();
    }
}

void ViewController::setUpPresenterActions() {
    PresenterActions::Hooks hooks;
    hooks.cameraSize = [this] { return pump_.shown() ? pictureSize() : QSize(); };
    hooks.standInChanged = [this] {
        if (tools_) tools_->updateFreezeLook();
    };
    hooks.backToCamera = [this] {
        pump_.forget();  // the camera's picture on screen again, even if no newer one comes
        showLive();
    };
    hooks.showsCameraPicture = [this] { return pump_.shown() != nullptr || presenter_->standIn().on(); };
    hooks.picture = [this](bool withDrawings) { return capturePicture(withDrawings); };
    hooks.rotation = [this] { return displayGeometry().rotation(); };
    hooks.saveRoot = &ViewController::saveRoot;
    hooks.alert = [this](const QString &text, bool goodNews) { alertOutcome(text, goodNews); };
    presenter_ = std::make_unique<PresenterActions>(ui_, imgView_mousemove, std::move(hooks));
}

void ViewController::setUpScanMode() {
    ScanMode::Hooks hooks;
    hooks.shownBytes = [this] { return pump_.shown(); };
    hooks.orientation = [this] { return tools_->orientation(); };
    hooks.saveRoot = &ViewController::saveRoot;
    hooks.notice = [this](const QString &text) { presenter_->tell(text); };
    hooks.alert = [this](const QString &text, bool goodNews) { alertOutcome(text, goodNews); };
    scan_ = std::make_unique<ScanMode>(*ui_.scan_button, *ui_.scan_menu, *imgView_mousemove,
                                       *ui_.ns_imageview_main, std::move(hooks));
}

// The record menu's pause entry: there while a recording runs, saying what it will do next.
void ViewController::connectPause() {
    connect(ui_.pause_action, &QAction::triggered, recordControl_.get(), &RecordControl::togglePause);
    connect(recordControl_.get(), &RecordControl::pausedChanged, this, [this](bool paused) {
        ui_.pause_action->setText(Localization::shared().text(paused ? QStringLiteral("record_resume")
                                                                     : QStringLiteral("record_pause")));
        updateRecordingBadge();
    });
}

StatusOverlay::Status ViewController::currentStatus() {
    const std::int64_t now = FramePump::steadyMicros();
    StreamStatistics &statistics = pump_.statistics();
    statistics.sampleReceiver(now, img_socket.picturesReceived(), img_socket.pictureBytesReceived());
    StatusOverlay::Status status;
    status.figures = statistics.figures(now);
    if (pump_.shown()) status.pictureSize = pictureSize();
    status.reconnections = reconnections();
    status.recordingSeconds = recordControl_->recordingSeconds();
    status.lateFrames = recordControl_->lateFrames();
    status.recordingPaused = recordControl_->isPaused();
    status.timeLapse = presenter_->timeLapseLine();
    return status;
}
