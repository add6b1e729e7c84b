#pragma once

// The viewer window and its controller: has the camera link supervised (StreamSupervisor's thread
// "Thread-StartSocket") and the command channel kept (CommandChannelKeeper), pumps the newest picture onto
// the screen, lays it out (1:1, fit, zoom, turn, pan) and keeps the resolution menu in step with the picture
// actually received.
//
// Threads: everything here runs on the GUI thread (the main event queue) except the supervisor's hooks
// (func_reconnect_udp_server() and setNextImage()), which run on its thread and only post work to the GUI
// thread. The command channel is created, replaced and used on the GUI thread only.
//
// Hooks for the capture, record and library controls: the slots btnCapture(), Record_Button_Click() and
// btnOpenLibrary() are wired to their buttons; currentImage() is the picture on screen; setToolTipKey()
// gives a button its localised tooltip. Messages to the user are window-modal boxes on window().
//
// The work itself is done by collaborators, which this class wires together: FramePump (what the view shows
// next), DisplayControls (1:1, fit, zoom, turn, full screen), TeachingTools (freeze, mirror and flip,
// drawing, status overlay) and ControlTexts (every text, tooltip and shortcut). Their slots here forward.

#include "app/AlertSheet.h"
#include "app/CCSliderDelegate.h"
#include "app/ControlTexts.h"
#include "app/DisplayControls.h"
#include "app/MouseDragView.h"
#include "app/PresenterActions.h"
#include "app/RecordSizeMenu.h"
#include "app/ScanMode.h"
#include "app/StatusOverlay.h"
#include "app/TeachingTools.h"
#include "app/ViewControllerLayout.h"
#include "device/CommandChannelKeeper.h"
#include "device/ImageRecvTCPSocket.h"
#include "device/StreamSupervisor.h"
#include "recorder/VideoSize.h"
#include "viewer/DisplayGeometry.h"
#include "viewer/FramePump.h"
#include "viewer/LaunchOptions.h"
#include "viewer/PictureDecoder.h"
#include "viewer/PictureOrientation.h"

#include <QImage>
#include <QSizeF>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

class ExitAfterRecordings;
class QAbstractButton;
class QAction;
class QTimer;
class RecordControl;

class ViewController : public QWidget, public CCSliderDelegate {
    Q_OBJECT
  public:
    // Starts the supervisor at once. The receiver must outlive the controller (the program passes the shared
    // one; tests their own).
    ViewController(const LaunchOptions &options, ImageRecvTCPSocket &receiver, QWidget *parent = nullptr);
    // Stops and joins the supervisor, whose waits end as soon as it is asked to stop.
    ~ViewController() override;

    // The picture shown while no camera delivers (the application picture "checkdevice.png").
    static QImage noDevicePicture();

    // --- GUI thread
    // The picture on screen at its own size and full detail, unzoomed and unturned; the no-device picture
    // too.
    QImage currentImage() const;
    // The size of the picture on screen (its own size, whatever scale it was decoded at).
    QSize pictureSize() const { return imgView_mousemove->pictureSize(); }
    // The picture size at the last 1:1 layout (also the size of a recording's video).
    QSizeF currentViewSize() const { return display_->currentViewSize(); }
    ImageRecvTCPSocket &receiver() const { return img_socket; }
    CommandUDPSocket *commandSocket() const { return commandChannel_->socket(); }
    // The camera watched now.
    const LaunchOptions &camera() const { return camera_; }
    const DisplayGeometry &displayGeometry() const { return imgView_mousemove->displayGeometry(); }
    const ViewControllerLayout &ui() const { return ui_; }
    MouseDragView *dragView() const { return imgView_mousemove; }
    // The encoded picture behind currentImage(), when it came from the camera.
    ImageBytes shownImageBytes() const { return pump_.shown(); }
    // What a capture saves: the picture on screen, mirrored and flipped as shown (a camera picture), with
    // the strokes burnt in when asked.
    QImage capturePicture(bool withDrawings) const;
    bool frozen() const { return pump_.frozen(); }
    PictureOrientation orientation() const { return tools_->orientation(); }
    bool statusOverlayShown() const { return tools_->statusOverlayShown(); }
    // What the status overlay says; empty while it is off.
    const QStringList &statusLines() const { return tools_->statusLines(); }
    // Recordings take sound from the default microphone unless told otherwise (tests).
    void setRecordingMicrophone(bool enabled);
    // The video size chosen in the record button's menu.
    static VideoSize::Choice recordingSize() { return RecordSizeMenu::chosen(); }
    // The localised text for key, followed by the button's shortcut if it has one: "Turn left (Ctrl+L)".
    void setToolTipKey(QAbstractButton *button, const QString &key) {
        ControlTexts::setToolTipKey(button, key);
    }

    // --- any thread
    // How many times the supervisor has reconnected the picture stream so far.
    int reconnectionCount() const { return supervisor_->reconnectionCount(); }
    // Reconnections the user sees, on the overlay and in the log at quit alike: the supervisor's attempts
    // after each camera's first connection, summed over the cameras of this run.
    int reconnections() const {
        return earlierReconnections_ + std::max(0, supervisor_->reconnectionCount() - 1);
    }
    // The camera dialog (Ctrl+K), not waited for.
    void openCameraDialog();
    // Watches camera from now on, without a restart: supervision, receiver, command channel and menu
    // start over; the camera is kept in the settings. chooseCamera asks first while recording.
    void chooseCamera(const LaunchOptions &camera);
    void switchCamera(const LaunchOptions &camera);

  public slots:
    // Display geometry.
    void set_1x1_resolution() { display_->set_1x1_resolution(); }
    void setFitImage() { display_->setFitImage(); }
    void control_silder_zoom() { display_->sliderZoomed(); }
    void Left_Rotate_Button_Click() { display_->turnLeft(); }
    void Right_Rotate_Button_Click() { display_->turnRight(); }
    void Rotate_Button_Click() { display_->sliderTurned(); }
    void Set_1x1_Button_Click() { display_->set_1x1_resolution(); }
    void btnSuitable() { display_->setFitImage(); }
    void btnMaxWindow() { display_->maximise(); }
    void zoomIn() { display_->zoomIn(); }
    void zoomOut() { display_->zoomOut(); }
    void toggleFullScreen() { display_->toggleFullScreen(); }
    // Resolution menu.
    void update_current_select_list();
    void selectChange();
    // Capture, recording and library: filled in by those controls.
    void btnCapture();
    void btnCaptureWithDrawings();
    // Copy picture, time-lapse and their notices.
    PresenterActions &presenter() const { return *presenter_; }
    void copyPicture() { presenter_->copyPicture(); }
    const Notice &notice() const { return presenter_->notice(); }
    // Scan mode (D): the page's outline, the page strip, Save PDF and Copy text.
    ScanMode &scanMode() const { return *scan_; }
    // Shows text in a window-modal alert with one "OK" button and returns at once.
    void alertMessage(const QString &text, AlertSheet::Kind kind = AlertSheet::Kind::Warning);
    // Good news as information, the rest as a warning: the hooks' way of saying how something ended.
    void alertOutcome(const QString &text, bool goodNews);
    // Where captures, recordings and scans go; empty until the user has chosen.
    static QString saveRoot();
    void Record_Button_Click();
    void btnOpenLibrary();
    // Clears the picture and ends the program, once the recordings' files are finished.
    void closeWindow();
    // Teaching tools.
    void toggleFreeze() { tools_->toggleFreeze(); }
    void setMirrored(bool mirrored) { tools_->setMirrored(mirrored); }
    void setFlipped(bool flipped) { tools_->setFlipped(flipped); }
    void setStatusOverlayShown(bool shown) { tools_->setStatusOverlayShown(shown); }
    void chooseTool(MouseDragView::Tool tool) { tools_->chooseTool(tool); }
    void undoStroke() { tools_->undoStroke(); }
    void clearDrawings() { tools_->clearDrawings(); }

  signals:
    // A camera picture has just been set on the view (after any relayout it caused).
    void imageShown();
    // The viewer watches another camera now.
    void cameraChanged(const LaunchOptions &camera);

  public:
    // CCSliderDelegate
    void delegate_reset_rotate() override { display_->resetTurn(); }
    // The command channel's reports, which go to the keeper.
    void ClearResolution();
    void fillResolution();
    void commandSocketDidClose();

  protected:
    // Closing the window while recording first finishes the recordings' files.
    void closeEvent(QCloseEvent *event) override;

  private:
    void viewDidLoad();
    void applyTexts();
    void buildPictureStack();
    void connectControls();
    void setUpRecordControl(bool microphone = true);
    void updateRecordingBadge();
    void setUpTeachingTools();
    void setUpPresenterActions();
    // The camera's newest picture on the view, or the no-device picture when the camera is away.
    void showLive();
    void connectPause();
    void setUpScanMode();
    StatusOverlay::Status currentStatus();
    void captureTo(const QImage &picture);
    // capturePicture() of picture, the full decode of the picture on screen (unused while a still or the
    // whiteboard shows).
    QImage capturePictureOf(QImage picture, bool withDrawings) const;
    void captureShown(bool withDrawings);

    // --- supervisor thread
    StreamSupervisor::Hooks supervisorHooks();
    bool func_reconnect_udp_server();
    void setNextImage();

    // --- GUI thread
    void showNoDevicePicture();
    void showNextImage();
    void showBytes(const ImageBytes &latest);
    void showDecoded(FramePump::Decoded decoded);
    void refreshDetail();
    double shownScale() const;
    void pictureDrawn() { pump_.pictureDrawn(); }
    void applyOrientation() { tools_->applyOrientation(); }
    void reconnectCommandChannel();
    CommandChannelKeeper::Hooks commandChannelHooks();

    void connectToCamera();
    QString lookingForNote() const;

    // --- set while no supervisor runs, then only read
    LaunchOptions camera_;
    int earlierReconnections_ = 0;  // of the cameras watched before this one
    std::string image_server_ip;
    ImageRecvTCPSocket &img_socket;
    const QImage noDevicePicture_;

    // --- GUI thread only
    ViewControllerLayout ui_;
    MouseDragView *imgView_mousemove = nullptr;
    std::unique_ptr<DisplayControls> display_;  // 1:1, fit, zoom, turn, full screen, re-fit on resize
    std::unique_ptr<CommandChannelKeeper> commandChannel_;  // the channel, its rebuilds, whether a list came
    FramePump pump_;  // the camera picture on screen (its bytes), whether it is held, the stream's figures

    // --- read by recording threads; outlives recordControl_
    std::unique_ptr<TeachingTools> tools_;          // freeze, orientation, drawing tools, status overlay
    std::unique_ptr<PresenterActions> presenter_;   // copy picture, time-lapse
    std::unique_ptr<ScanMode> scan_;                // the page outline, the page strip, PDFs
    std::unique_ptr<RecordControl> recordControl_;  // the record button's recordings
    std::unique_ptr<ExitAfterRecordings> exitAfterRecordings_;  // every way out waits for their files

    // --- the supervisor, which shares only the receiver and the pump's pending flag with the GUI thread
    std::unique_ptr<StreamSupervisor> supervisor_;
    // --- its workers post their pictures to the GUI thread; stopped before the members they reach
    std::unique_ptr<PictureDecoder> decoder_;
};
