#pragma once

// Reads the text of a straightened page with Tesseract 5 (its LSTM engine): the plain text, and each
// word's box for a PDF's text layer or the window's selection. Languages are Tesseract's names, joined
// by "+": "eng", "chi_sim", "eng+chi_sim"; their data files (Debian: tesseract-ocr-eng,
// tesseract-ocr-chi-sim) lie in dataPath().
//
// Tesseract runs its neural network on OpenMP threads. On a two-core machine they make a page several
// times slower (they spin while waiting), and libgomp reads OMP_THREAD_LIMIT only when the program loads,
// so setting it at run time does nothing. Each recognition therefore turns nested parallelism off for the
// calling thread (omp_set_max_active_levels(0)): Tesseract's parallel regions then run on that thread
// alone, whatever thread the caller uses.
//
// Missing language data is an error message (error()), never a crash: Tesseract is not even started then.
//
// Thread use: one recogniser per thread at a time; making one reads the language data (a second or so
// for chi_sim), so make it once, off the GUI thread, and reuse it page after page.

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace tesseract {
class TessBaseAPI;
class TessResultRenderer;
}  // namespace tesseract

class TextRecognizer {
  public:
    struct Word {
        QString text;
        QRect box;             // in the page's pixels
        float confidence = 0;  // 0-100
    };
    struct Result {
        QString text;  // lines end in "\n", paragraphs are separated by an empty line
        std::vector<Word> words;
    };

    // Where Tesseract's data lies: $TESSDATA_PREFIX when set, else Debian's folder.
    static QString defaultDataPath();
    // The file a language needs: "<dataPath>/<language>.traineddata".
    static QString dataFile(const QString &dataPath, const QString &language);
    // The Debian package that brings a language's data: "chi_sim" -> "tesseract-ocr-chi-sim".
    static QString packageFor(const QString &language);
    // Why languages (joined by "+") cannot be read from dataPath; empty when they can.
    static QString missingData(const QString &languages, const QString &dataPath);

    explicit TextRecognizer(const QString &languages = QStringLiteral("eng"),
                            const QString &dataPath = defaultDataPath());
    ~TextRecognizer();
    TextRecognizer(const TextRecognizer &) = delete;
    TextRecognizer &operator=(const TextRecognizer &) = delete;

    // False when the languages could not be loaded; error() says why.
    bool isReady() const { return api_ != nullptr; }
    const QString &error() const { return error_; }
    const QString &languages() const { return languages_; }
    const QString &dataPath() const { return dataPath_; }

    // The text of page; pixelsPerInch is the page's resolution (0: let Tesseract guess). Nothing when the
    // recogniser is not ready or the page is null.
    std::optional<Result> recognize(const QImage &page, int pixelsPerInch = 0);

    // Recognises page and hands it to renderer (a PDF's page with its text layer); for ScanPdfWriter.
    // False when not ready, for a null page, or when the renderer fails (error() says so).
    bool renderInto(const QImage &page, int pixelsPerInch, tesseract::TessResultRenderer &renderer);

  private:
    struct ApiDeleter {
        void operator()(tesseract::TessBaseAPI *api) const;
    };

    bool readPage(const QImage &page, int pixelsPerInch);
    std::vector<Word> words() const;

    QString languages_;
    QString dataPath_;
    QString error_;
    std::unique_ptr<tesseract::TessBaseAPI, ApiDeleter> api_;
};
