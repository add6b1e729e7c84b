#pragma once

// Scan mode of the viewer window: while it is on, the live picture shows the page found in it as an
// outline whose corners the user can drag; Add page straightens and cleans the page of that moment and
// puts it in the page strip; Save PDF writes the strip's pages to SAVE/ZUVA/Scans as a searchable PDF;
// Copy text puts the page's text on the clipboard. The look and the text's languages are chosen in the
// scan button's menu and remembered.
//
// Page finding runs a few times a second on a worker of its own, one picture at a time, on the view's
// (possibly reduced) picture; a result for a picture size no longer shown, or after scan mode went off,
// is dropped. Pages are made, and text read, on a second worker, which keeps its text recogniser between
// uses; PDFs are written by ScanSaver on a third. The GUI thread only takes the moment's picture (shared
// bytes) and shows results.
//
// Thread use: GUI thread; the workers reach this object only through queued calls, and are waited for
// when it goes.

#include "app/MouseDragView.h"
#include "app/PageOutline.h"
#include "app/ScanPages.h"
#include "app/ScanSaver.h"
#include "app/ScanShot.h"
#include "scan/ScanLook.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class ScanMenu;
class ScanOverlay;
class ScanPageStrip;
class QToolButton;

class ScanMode : public QObject {
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kFindInterval{250};

    struct Hooks {
        // The encoded camera picture on screen; null while the no-device picture shows.
        std::function<ImageBytes()> shownBytes;
        // Mirror and flip as the view shows camera pictures.
        std::function<PictureOrientation()> orientation;
        // Where scans are saved (the capture's save root); empty when the user cancelled its choice.
        std::function<QString()> saveRoot;
        // A short notice over the picture, and an alert that waits for OK.
        std::function<void(const QString &)> notice;
        std::function<void(const QString &, bool goodNews)> alert;
    };

    // button is the strip's scan button, menu its menu; the page strip goes at the bottom of stripArea.
    ScanMode(QToolButton &button, ScanMenu &menu, MouseDragView &view, QWidget &stripArea, Hooks hooks);
    ~ScanMode() override;

    void setActive(bool active);
    bool isActive() const { return active_; }
    void addPage();
    void savePdf();
    void copyText();
    void discardPages();

    ScanLook::Look look() const;
    QString languages() const;

    // --- for the window's tests
    const PageOutline &outline() const { return outline_; }
    const ScanPages &pages() const { return pages_; }
    ScanPageStrip &strip() const { return *strip_; }
    bool isSaving() const { return saver_.isSaving(); }
    // Pages and texts asked for and not yet made.
    int pendingWork() const { return pending_; }

  signals:
    // The outline has a new result of the finder.
    void outlineFound();
    void pageAdded();
    void textCopied(const QString &text);
    void saveFinished(const ScanSaver::Outcome &outcome);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void connectMenu();
    void restoreChoices();
    void findPage();
    void showFound(std::uint64_t serial, QSize picture, const std::optional<PageQuad> &quad);
    std::optional<ScanShot> takeShot();
    void showPage(const QImage &page, const QImage &thumbnail);
    void showText(const QString &text, const QString &error);
    void showSaveProgress(int done, int total);
    void showSaved(const ScanSaver::Outcome &outcome);
    bool dragCorner(QEvent *event);
    void updateControls();

    QToolButton &button_;
    ScanMenu &menu_;
    MouseDragView &view_;
    Hooks hooks_;
    bool active_ = false;

    // --- the outline
    PageOutline outline_;
    ScanOverlay *overlay_ = nullptr;  // the view's child
    QTimer findTimer_;
    std::uint64_t findSerial_ = 0;  // of the last search started
    bool finding_ = false;          // a search is under way
    qint64 lastSearched_ = 0;       // the cache key of the picture searched last
    std::optional<int> draggedCorner_;

    // --- the pages
    ScanPages pages_;
    ScanPageStrip *strip_ = nullptr;     // stripArea's child
    std::vector<ScanPages::Id> saving_;  // the pages the save under way writes
    int pending_ = 0;

    // --- the workers, last: they go first, waiting for what they run
    ScanSaver saver_;
    QThreadPool pageWorker_;
    QThreadPool finder_;
};
