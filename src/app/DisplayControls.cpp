#include "app/DisplayControls.h"

#include "l10n/Localization.h"
#include "library/LibraryViewController.h"

#include <QApplication>
#include <QResizeEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

DisplayControls::DisplayControls(QWidget &host, const ViewControllerLayout &ui, MouseDragView &view)
    : host_(host), ui_(ui), view_(view), fullScreen_(host, ui) {
    ui_.ns_slider_zoom->setDoubleRange(DisplayGeometry::kMinScale, maxScale_);
    ui_.ns_slider_zoom->setDoubleValue(1.0);
    ui_.ns_slider_rotate->setDoubleValue(0.0);
    ui_.scale_label->setText(scaleLabel(1.0));
    // The viewer's or the library's window changing size re-fits the picture (see eventFilter).
    qApp->installEventFilter(this);
    connect(&view_, &MouseDragView::wheelTurned, this, &DisplayControls::wheelZoom);
}

DisplayControls::~DisplayControls() {
    qApp->removeEventFilter(this);
}

QString DisplayControls::scaleLabel(double factor) {
    return Localization::shared().text(QStringLiteral("scale_label")).arg(factor, 0, 'f', 1);
}

void DisplayControls::set_1x1_resolution() {
    currentViewSize_ = QSizeF(view_.pictureSize());
    view_.displayGeometry().set_1x1_resolution(currentViewSize_, ui_.ns_slider_rotate->doubleValue(),
                                               maxScale_);
    ui_.ns_slider_zoom->setDoubleValue(1.0);
    applyZoom(ui_.ns_slider_zoom->doubleValue());
}

void DisplayControls::setFitImage() {
    const std::optional<double> factor = view_.displayGeometry().setFitImage();
    if (factor) {
        ui_.ns_slider_zoom->setDoubleValue(*factor);
        applyZoom(*factor);  // the factor itself, also beyond what the slider can show
    }
    fitted_ = true;
    view_.update();
}

// A wheel step zooms by a tenth about the pointer, within the slider's range.
void DisplayControls::wheelZoom(QPointF areaPoint, double steps) {
    DisplayGeometry &geometry = view_.displayGeometry();
    const double factor =
        std::clamp(geometry.zoom() * std::pow(1.1, steps), ui_.ns_slider_zoom->minimumDouble(), maxScale_);
    geometry.zoomAbout(areaPoint, factor);
    {
        const QSignalBlocker quiet(ui_.ns_slider_zoom);  // its rounded value would move the point
        ui_.ns_slider_zoom->setDoubleValue(factor);
    }
    applyZoom(factor);
}

void DisplayControls::sliderZoomed() {
    applyZoom(ui_.ns_slider_zoom->doubleValue());
}

void DisplayControls::applyZoom(double factor) {
    fitted_ = false;
    ui_.scale_label->setText(scaleLabel(factor));
    view_.displayGeometry().setZoom(factor);
    view_.update();
    emit zoomChanged();
}

void DisplayControls::zoomIn() {
    const std::optional<double> next = DisplayGeometry::zoomedIn(view_.displayGeometry().zoom(), maxScale_);
    if (!next) return;
    ui_.ns_slider_zoom->setDoubleValue(*next);
    applyZoom(*next);
}

void DisplayControls::zoomOut() {
    const double next =
        DisplayGeometry::zoomedOut(view_.displayGeometry().zoom(), ui_.ns_slider_zoom->minimumDouble());
    ui_.ns_slider_zoom->setDoubleValue(next);
    applyZoom(next);
}

void DisplayControls::turnLeft() {
    showTurn(DisplayGeometry::leftTurnRotation(ui_.ns_slider_rotate->doubleValue()));
}

void DisplayControls::turnRight() {
    showTurn(DisplayGeometry::rightTurnRotation(ui_.ns_slider_rotate->doubleValue()));
}

void DisplayControls::showTurn(double rotation) {
    view_.displayGeometry().setRotation(rotation);
    ui_.ns_slider_rotate->setDoubleValue(DisplayGeometry::sliderTurnFor(rotation));
    turned();
}

void DisplayControls::sliderTurned() {
    view_.displayGeometry().setRotation(
        DisplayGeometry::rotationForSlider(ui_.ns_slider_rotate->doubleValue()));
    turned();
}

void DisplayControls::resetTurn() {
    ui_.ns_slider_rotate->setDoubleValue(0.0);
    view_.displayGeometry().setRotation(ui_.ns_slider_rotate->doubleValue());
    turned();
}

// A fitted picture stays whole on screen at its new turn; a zoom the user chose stays as it is.
void DisplayControls::turned() {
    if (fitted_)
        setFitImage();
    else
        view_.update();
}

void DisplayControls::maximise() {
    QWidget *window = host_.window();
    window->setWindowState(window->windowState() ^ Qt::WindowMaximized);
    setFitImage();
}

void DisplayControls::toggleFullScreen() {
    fullScreen_.toggle();
    setFitImage();
}

bool DisplayControls::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize && fitsWhenResized(watched)) {
        const auto *widget = static_cast<QWidget *>(watched);
        const auto *resize = static_cast<QResizeEvent *>(event);
        // A window's own resize arrives before its layout has resized the display area: fit afterwards.
        if (widget->isVisible() && resize->oldSize().isValid() && resize->oldSize() != resize->size()) {
            // The display area's own resize fits only if nothing chose a zoom meanwhile.
            const bool always = watched != &view_;
            QMetaObject::invokeMethod(
                this,
                [this, always] {
                    if (always || fitted_) setFitImage();
                },
                Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

// The viewer's window and the library's, and the display area while fitted. Tooltips, alerts, menus and
// pop-up lists are top-level widgets too and size themselves as they appear; they must not undo the user's
// zoom and pan.
bool DisplayControls::fitsWhenResized(const QObject *watched) const {
    if (watched == host_.window()) return true;
    // The display area alone changes when a panel (the scan's page strip) comes or goes: a fitted picture
    // stays whole, a zoom the user chose stays.
    if (watched == &view_) return fitted_;
    const auto *library = qobject_cast<const LibraryViewController *>(watched);
    return library && library->isWindow();
}
