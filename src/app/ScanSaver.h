#pragma once

// Saves pages as a searchable PDF on a worker thread of its own, so the viewer stays live: reading a
// page's text takes about a second, loading the languages another. progress() follows each page;
// finished() tells the outcome once the file is complete (ScanPdfWriter makes it appear only whole) or
// abandoned.
//
// Thread use: GUI thread; the worker touches nothing of this object and hands its reports back through
// the GUI thread's event loop. Destroying the saver waits for a save under way.

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <vector>

class ScanSaver : public QObject {
    Q_OBJECT
  public:
    struct Outcome {
        bool saved = false;
        QString path;
        QString error;  // why not, when not saved
        QString note;   // saved without a text layer: why
    };

    explicit ScanSaver(QObject *parent = nullptr);
    ~ScanSaver() override;

    // Starts writing pages to path, their text read in languages ("eng+chi_sim"). False while a save
    // runs (nothing starts then).
    bool save(const QString &path, const std::vector<QImage> &pages, const QString &languages);
    bool isSaving() const { return saving_; }
    // Waits for a save under way (tests, leaving).
    void wait() { worker_.waitForDone(); }

  signals:
    void progress(int done, int total);
    void finished(const ScanSaver::Outcome &outcome);

  private:
    QThreadPool worker_;
    bool saving_ = false;
};
