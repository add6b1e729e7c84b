#include "app/ScanMode.h"

#include "app/ScanMenu.h"
#include "app/ScanOverlay.h"
#include "app/ScanPageStrip.h"
#include "l10n/Localization.h"
#include "scan/PageFinder.h"
#include "scan/ScanPdfWriter.h"
#include "scan/TextRecognizer.h"
#include "viewer/ViewerSettings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QToolButton>

#include <memory>

namespace {

using l10n::text;

// The recogniser of the page worker's thread, kept for the next page while the languages stay.
TextRecognizer &recognizerFor(const QString &languages) {
    thread_local std::unique_ptr<TextRecognizer> recognizer;
    if (!recognizer || recognizer->languages() != languages)
        recognizer = std::make_unique<TextRecognizer>(languages);
    return *recognizer;
}

void checkEntryWithData(QActionGroup *group, const QString &data) {
    for (QAction *item : group->actions()) item->setChecked(item->data().toString() == data);
    if (!group->checkedAction()) group->actions().constFirst()->setChecked(true);
}

}  // namespace

ScanMode::ScanMode(QToolButton &button, ScanMenu &menu, MouseDragView &view, QWidget &stripArea, Hooks hooks)
    : button_(button), menu_(menu), view_(view), hooks_(std::move(hooks)) {
    overlay_ = new ScanOverlay(view_, outline_);
    overlay_->hide();
    view_.installEventFilter(this);
    strip_ = new ScanPageStrip(pages_, &stripArea);
    strip_->hide();
    stripArea.layout()->addWidget(strip_);
    connect(strip_, &ScanPageStrip::changed, this, &ScanMode::updateControls);
    findTimer_.setInterval(kFindInterval);
    connect(&findTimer_, &QTimer::timeout, this, &ScanMode::findPage);
    // Each worker runs one job at a time; the page worker's thread stays, and with it its recogniser.
    finder_.setMaxThreadCount(1);
    pageWorker_.setMaxThreadCount(1);
    pageWorker_.setExpiryTimeout(-1);
    connect(&saver_, &ScanSaver::progress, this, &ScanMode::showSaveProgress);
    connect(&saver_, &ScanSaver::finished, this, &ScanMode::showSaved);
    connectMenu();
    restoreChoices();
    updateControls();
}

ScanMode::~ScanMode() {
    view_.removeEventFilter(this);
}

void ScanMode::connectMenu() {
    connect(&button_, &QToolButton::toggled, this, &ScanMode::setActive);
    // The menu also opens on a right click, as well as on a held press.
    button_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&button_, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { menu_.popup(button_.mapToGlobal(at)); });
    connect(menu_.add_page_action, &QAction::triggered, this, &ScanMode::addPage);
    connect(menu_.save_pdf_action, &QAction::triggered, this, &ScanMode::savePdf);
    connect(menu_.copy_text_action, &QAction::triggered, this, &ScanMode::copyText);
    connect(menu_.discard_pages_action, &QAction::triggered, this, &ScanMode::discardPages);
    connect(menu_.look_actions, &QActionGroup::triggered, this, [](QAction *item) {
        ViewerSettings::setText(ViewerSettings::kScanLookKey, item->data().toString());
    });
    connect(menu_.language_actions, &QActionGroup::triggered, this, [](QAction *item) {
        ViewerSettings::setText(ViewerSettings::kScanLanguagesKey, item->data().toString());
    });
}

void ScanMode::restoreChoices() {
    checkEntryWithData(menu_.look_actions, QLatin1String(ScanLook::name(look())));
    checkEntryWithData(menu_.language_actions, languages());
}

// The remembered look; a name ScanLook does not know is Colour.
ScanLook::Look ScanMode::look() const {
    const QString name = ViewerSettings::text(ViewerSettings::kScanLookKey, QString());
    return ScanLook::fromName(name.toStdString()).value_or(ScanLook::Look::Colour);
}

QString ScanMode::languages() const {
    const QString chosen = ViewerSettings::text(ViewerSettings::kScanLanguagesKey, QString());
    for (const ScanMenu::Languages &entry : ScanMenu::languageTable()) {
        if (chosen == QLatin1String(entry.languages)) return chosen;
    }
    return QString::fromLatin1(ScanPdfWriter::kDefaultLanguages);
}

void ScanMode::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    button_.setChecked(active);
    draggedCorner_.reset();
    outline_.reset();
    lastSearched_ = 0;
    overlay_->setVisible(active);
    if (active) {
        overlay_->setGeometry(view_.rect());
        findTimer_.start();
        findPage();
    } else {
        findTimer_.stop();
    }
    updateControls();
}

void ScanMode::updateControls() {
    menu_.add_page_action->setEnabled(active_);
    menu_.copy_text_action->setEnabled(active_);
    menu_.save_pdf_action->setEnabled(!pages_.isEmpty() && !saver_.isSaving());
    menu_.discard_pages_action->setEnabled(!pages_.isEmpty() && !saver_.isSaving());
    strip_->setVisible(active_ || !pages_.isEmpty());
}

// ---------------------------------------------------------------------------------------------------------
// The outline

void ScanMode::findPage() {
    const QImage picture = view_.image();
    // One search at a time, each on the newest picture; a held picture is searched once.
    if (!active_ || finding_ || picture.isNull() || !hooks_.shownBytes()) return;
    if (picture.cacheKey() == lastSearched_) return;
    lastSearched_ = picture.cacheKey();
    finding_ = true;
    const std::uint64_t serial = ++findSerial_;
    const QSize pictureSize = view_.pictureSize();
    finder_.start([this, serial, picture, pictureSize] {
        std::optional<PageQuad> quad = PageFinder::find(picture);
        // Found on a picture decoded at a reduced scale: the corners in the camera picture's pixels.
        if (quad) *quad = quad->scaled(double(pictureSize.width()) / picture.width());
        QMetaObject::invokeMethod(
            this, [this, serial, pictureSize, quad] { showFound(serial, pictureSize, quad); },
            Qt::QueuedConnection);
    });
}

void ScanMode::showFound(std::uint64_t serial, QSize picture, const std::optional<PageQuad> &quad) {
    finding_ = false;
    if (!active_ || serial != findSerial_ || picture != view_.pictureSize()) return;
    outline_.setFound(quad, picture);
    overlay_->update();
    emit outlineFound();
}

bool ScanMode::eventFilter(QObject *watched, QEvent *event) {
    if (watched != &view_) return false;
    if (event->type() == QEvent::Resize) overlay_->setGeometry(view_.rect());
    return active_ && dragCorner(event);
}

// A press near a corner takes the corner instead of panning or drawing; the drag then moves it.
bool ScanMode::dragCorner(QEvent *event) {
    const QTransform toArea = view_.displayGeometry().pictureToArea();
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton || outline_.isEmpty()) return false;
            draggedCorner_ = PageOutline::cornerAt(outline_.quad(), toArea, mouse->position());
            if (draggedCorner_) view_.setFocus(Qt::MouseFocusReason);
            return draggedCorner_.has_value();
        }
        case QEvent::MouseMove: {
            if (!draggedCorner_) return false;
            const auto *mouse = static_cast<QMouseEvent *>(event);
            outline_.moveCorner(*draggedCorner_, toArea.inverted().map(mouse->position()));
            overlay_->update();
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (!draggedCorner_) return false;
            draggedCorner_.reset();
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Pages and text

std::optional<ScanShot> ScanMode::takeShot() {
    const ImageBytes bytes = hooks_.shownBytes();
    if (!active_ || !bytes || outline_.isEmpty()) {
        hooks_.notice(text("scan_nothing"));
        return std::nullopt;
    }
    return ScanShot{bytes, view_.image(), view_.pictureSize(), outline_.quad(), hooks_.orientation()};
}

void ScanMode::addPage() {
    const std::optional<ScanShot> shot = takeShot();
    if (!shot) return;
    ++pending_;
    pageWorker_.start([this, shot = *shot, look = look()] {
        const QImage page = ScanLook::apply(shot.straightened(), look);
        const QImage thumbnail =
            page.isNull() ? QImage()
                          : page.scaledToHeight(ScanPageStrip::kThumbnailHeight, Qt::SmoothTransformation);
        QMetaObject::invokeMethod(
            this, [this, page, thumbnail] { showPage(page, thumbnail); }, Qt::QueuedConnection);
    });
}

void ScanMode::showPage(const QImage &page, const QImage &thumbnail) {
    --pending_;
    if (page.isNull()) {
        hooks_.notice(text("scan_page_failed"));
        return;
    }
    pages_.add(page, thumbnail);
    strip_->refresh();
    strip_->scrollToBottom();
    updateControls();
    hooks_.notice(text("scan_page_added").arg(pages_.count()));
    emit pageAdded();
}

void ScanMode::copyText() {
    const std::optional<ScanShot> shot = takeShot();
    if (!shot) return;
    ++pending_;
    hooks_.notice(text("scan_reading_text"));
    pageWorker_.start([this, shot = *shot, languages = languages()] {
        const QImage page = shot.straightened();
        TextRecognizer &recognizer = recognizerFor(languages);
        QString read, error = recognizer.error();
        if (recognizer.isReady()) {
            if (const auto result = recognizer.recognize(page, ScanPdfWriter::pixelsPerInch(page.size())))
                read = result->text.trimmed();
        }
        QMetaObject::invokeMethod(
            this, [this, read, error] { showText(read, error); }, Qt::QueuedConnection);
    });
}

void ScanMode::showText(const QString &read, const QString &error) {
    --pending_;
    if (!error.isEmpty()) {
        hooks_.alert(text("scan_text_failed").arg(error), false);
        return;
    }
    if (read.isEmpty()) {
        hooks_.notice(text("scan_text_none"));
        return;
    }
    QGuiApplication::clipboard()->setText(read);
    hooks_.notice(text("scan_text_copied").arg(read.size()));
    emit textCopied(read);
}

void ScanMode::discardPages() {
    if (saver_.isSaving()) return;
    pages_.clear();
    strip_->refresh();
    updateControls();
}

// ---------------------------------------------------------------------------------------------------------
// Saving

void ScanMode::savePdf() {
    if (pages_.isEmpty()) {
        hooks_.notice(text("scan_no_pages"));
        return;
    }
    if (saver_.isSaving()) return;
    const QString root = hooks_.saveRoot();
    if (root.isEmpty()) return;  // the user cancelled the choice of a folder
    std::vector<QImage> pictures;
    saving_.clear();
    for (const ScanPages::Page &page : pages_.pages()) {
        pictures.push_back(page.picture);
        saving_.push_back(page.id);
    }
    saver_.save(ScanPdfWriter::newScanPath(root), pictures, languages());
    updateControls();
}

void ScanMode::showSaveProgress(int done, int total) {
    if (done < total) hooks_.notice(text("scan_saving").arg(done + 1).arg(total));
}

// Saved: the pages written leave the strip (pages added meanwhile stay). Not saved: they all stay, to be
// saved again once the reason is dealt with.
void ScanMode::showSaved(const ScanSaver::Outcome &outcome) {
    if (outcome.saved) {
        pages_.removeIds(saving_);
        strip_->refresh();
        QString message = text("scan_saved").arg(outcome.path);
        if (!outcome.note.isEmpty()) message += QStringLiteral("\n\n") + outcome.note;
        hooks_.alert(message, true);
    } else {
        hooks_.alert(text("scan_save_failed").arg(outcome.error), false);
    }
    saving_.clear();
    updateControls();
    emit saveFinished(outcome);
}
