#pragma once

// Writes scanned pages into one PDF: a page per picture added, at the picture's own aspect, each with an
// invisible text layer from TextRecognizer, so that a reader can search, select and copy the text (and
// pdftotext gives it back). Tesseract's own PDF renderer writes the pages (it needs pdf.ttf, a font of
// empty glyphs, from the data folder; Debian's libtesseract5 ships it there).
//
// A page's physical size is not in the picture: its longer side is taken as A4's (kLongSideMm), which
// gives each page its resolution (pixelsPerInch) and keeps its aspect.
//
// The file appears whole or not at all: pages go to a hidden temporary file beside the target, which is
// checked, flushed to disk and renamed over the target only by finish(). Any failure (an unwritable
// folder, a full disk) leaves error() with the reason and removes the temporary file; a writer destroyed
// before finish() leaves nothing either. Without the languages' data (or pdf.ttf) the pages are still
// written, as pictures only, and note() says why there is no text.
//
// Thread use: one thread at a time; making the writer loads the languages (a second or so) and each page
// takes its recognition time (about a second for a 1080p page), so keep it off the GUI thread, e.g.:
//
//     ScanPdfWriter pdf(path);                       // on a worker
//     for (const QImage &page : pages) {
//         if (!pdf.addPage(page)) break;             // report progress after each page
//     }
//     if (!pdf.finish()) show(pdf.error());          // else show(pdf.note()) when it is not empty

#include <QDateTime>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class ScanPdfWriter {
  public:
    static constexpr double kLongSideMm = 297;
    static constexpr const char *kDefaultLanguages = "eng+chi_sim";

    struct Options {
        QString languages = QString::fromLatin1(kDefaultLanguages);
        QString dataPath;  // empty: TextRecognizer::defaultDataPath()
    };

    // Starts the file at path (its folder must exist). A failure to start is kept: every later call fails
    // with the same error().
    explicit ScanPdfWriter(const QString &path, const Options &options);
    explicit ScanPdfWriter(const QString &path) : ScanPdfWriter(path, Options()) {}
    ~ScanPdfWriter();
    ScanPdfWriter(const ScanPdfWriter &) = delete;
    ScanPdfWriter &operator=(const ScanPdfWriter &) = delete;

    // Recognises page and appends it. False (error() says why) when it could not be written; the file is
    // then abandoned and finish() fails too.
    bool addPage(const QImage &page);
    // Completes the file and moves it to the target path; false (and no file) on any failure, also when no
    // page was added.
    bool finish();

    const QString &path() const { return path_; }
    int pageCount() const { return pages_; }
    bool hasTextLayer() const;
    const QString &error() const { return error_; }
    // Not an error: why the pages have no text layer. Empty when they have one.
    const QString &note() const { return note_; }

    // The resolution that makes a page of this size A4-long on its longer side (whole pixels per inch, as
    // Tesseract takes them: within about 1 %).
    static int pixelsPerInch(QSize page);

    // Every page written in one go, progress(done, total) after each; false with error set on failure,
    // note set when the pages had to go without text.
    using Progress = std::function<void(int done, int total)>;
    static bool write(const QString &path, const std::vector<QImage> &pages, const Options &options,
                      const Progress &progress, QString &error, QString &note);

    // Where a new scan goes: root/Scans/scan_YYYYMMdd_HHmmss.pdf, named as captures are (SaveFileNamer;
    // "-2", "-3", ... within the same second). Makes the Scans folder when root exists.
    static QString newScanPath(const QString &root, const QDateTime &when = QDateTime::currentDateTime());

    class Pages;  // where the pages go: Tesseract's renderer, or pictures only

  private:
    bool fail(const QString &message);
    void discard();

    QString path_;
    QString temporary_;  // the file being written; empty once moved or discarded
    QString reserved_;   // the placeholder that keeps the temporary name ours
    std::unique_ptr<Pages> out_;
    int pages_ = 0;
    bool failed_ = false;
    QString error_;
    QString note_;
};
