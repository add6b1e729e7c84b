#include "scan/ScanPdfWriter.h"

#include "scan/TextRecognizer.h"
#include "viewer/DKBookmark.h"
#include "viewer/SaveFileNamer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

#include <tesseract/renderer.h>

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

// Where the pages go; the writer owns the file's name and fate.
class ScanPdfWriter::Pages {
  public:
    virtual ~Pages() = default;
    virtual bool begin(const QString &title, QString &error) = 0;
    virtual bool add(const QImage &page, int pixelsPerInch, QString &error) = 0;
    virtual bool end(QString &error) = 0;
    virtual bool hasText() const = 0;
};

namespace {

constexpr double kMmPerInch = 25.4;
// Tesseract takes any resolution below this as this one, which would shrink the PDF's page; smaller pages
// are enlarged to it (which also helps reading their small text).
constexpr int kMinPixelsPerInch = 70;
// Tesseract's renderer reads its font of empty glyphs for the text layer from the data folder.
constexpr const char *kTextLayerFont = "pdf.ttf";

// Tesseract's PDF, pages with their text layer. The renderer writes to "<base>.pdf".
class TextLayerPages : public ScanPdfWriter::Pages {
  public:
    TextLayerPages(std::unique_ptr<TextRecognizer> recognizer, const QString &base)
        : recognizer_(std::move(recognizer)),
          renderer_(std::make_unique<tesseract::TessPDFRenderer>(
              base.toLocal8Bit().constData(), recognizer_->dataPath().toLocal8Bit().constData())) {}

    bool begin(const QString &title, QString &error) override {
        if (renderer_->happy() && renderer_->BeginDocument(title.toUtf8().constData())) return true;
        error = QStringLiteral("could not start the PDF");
        return false;
    }
    bool add(const QImage &page, int pixelsPerInch, QString &error) override {
        if (recognizer_->renderInto(page, pixelsPerInch, *renderer_) && renderer_->happy()) return true;
        error = recognizer_->error();
        return false;
    }
    bool end(QString &error) override {
        if (renderer_->EndDocument() && renderer_->happy()) return true;
        error = QStringLiteral("could not complete the PDF");
        return false;
    }
    bool hasText() const override { return true; }

  private:
    std::unique_ptr<TextRecognizer> recognizer_;
    std::unique_ptr<tesseract::TessPDFRenderer> renderer_;
};

// Pages as pictures only, for when there is nothing to read the text with.
class PictureOnlyPages : public ScanPdfWriter::Pages {
  public:
    explicit PictureOnlyPages(const QString &file) : file_(file) {}

    bool begin(const QString &title, QString &error) override {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            error = file_.errorString();
            return false;
        }
        pdf_ = std::make_unique<QPdfWriter>(&file_);
        pdf_->setTitle(title);
        pdf_->setPageMargins(QMarginsF());
        return true;
    }
    bool add(const QImage &page, int pixelsPerInch, QString &error) override {
        const QSizeF mm(page.width() * kMmPerInch / pixelsPerInch,
                        page.height() * kMmPerInch / pixelsPerInch);
        pdf_->setPageSize(QPageSize(mm, QPageSize::Millimeter));
        pdf_->setResolution(pixelsPerInch);
        if (painter_.isActive())
            pdf_->newPage();
        else if (!painter_.begin(pdf_.get())) {
            error = QStringLiteral("could not start the PDF");
            return false;
        }
        painter_.drawImage(QRectF(0, 0, pdf_->width(), pdf_->height()), page);
        return file_.error() == QFileDevice::NoError || (error = file_.errorString(), false);
    }
    bool end(QString &error) override {
        if (painter_.isActive()) painter_.end();
        pdf_.reset();
        if (file_.flush() && file_.error() == QFileDevice::NoError) {
            file_.close();
            return true;
        }
        error = file_.errorString();
        return false;
    }
    bool hasText() const override { return false; }

  private:
    QFile file_;
    std::unique_ptr<QPdfWriter> pdf_;
    QPainter painter_;
};

// A PDF that was cut short (a full disk that only showed when the renderer closed its file) lacks its
// trailer; a whole one is then flushed to the disk, so the rename cannot outrun its contents.
bool completeOnDisk(const QString &path, QString &error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    file.seek(std::max<qint64>(0, size - 32));
    if (size < 64 || !file.read(32).contains("%%EOF")) {
        error = QStringLiteral("the PDF was cut short (is the disk full?)");
        return false;
    }
    if (::fsync(file.handle()) != 0) {
        error = QStringLiteral("could not flush the PDF to the disk");
        return false;
    }
    return true;
}

}  // namespace

ScanPdfWriter::ScanPdfWriter(const QString &path, const Options &options) : path_(path) {
    const QFileInfo target(path);
    QTemporaryFile reserve(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                           QStringLiteral(".XXXXXX"));
    reserve.setAutoRemove(false);
    if (!reserve.open()) {
        fail(QStringLiteral("cannot write in %1: %2").arg(target.absolutePath(), reserve.errorString()));
        return;
    }
    reserved_ = reserve.fileName();
    temporary_ = reserved_ + QStringLiteral(".pdf");

    const QString dataPath =
        options.dataPath.isEmpty() ? TextRecognizer::defaultDataPath() : options.dataPath;
    auto recognizer = std::make_unique<TextRecognizer>(options.languages, dataPath);
    if (!recognizer->isReady())
        note_ = recognizer->error();
    else if (!QFileInfo(QDir(dataPath).filePath(QLatin1String(kTextLayerFont))).isFile())
        note_ = QStringLiteral("no %1 in %2 for the text layer").arg(QLatin1String(kTextLayerFont), dataPath);
    if (note_.isEmpty())
        out_ = std::make_unique<TextLayerPages>(std::move(recognizer), reserved_);
    else {
        note_ += QStringLiteral("; the PDF has no text layer");
        out_ = std::make_unique<PictureOnlyPages>(temporary_);
    }
    QString error;
    if (!out_->begin(target.completeBaseName(), error)) fail(error);
}

ScanPdfWriter::~ScanPdfWriter() {
    discard();
}

bool ScanPdfWriter::hasTextLayer() const {
    return out_ && out_->hasText();
}

bool ScanPdfWriter::addPage(const QImage &page) {
    if (failed_) return false;
    if (page.isNull()) return fail(QStringLiteral("page %1 has no picture").arg(pages_ + 1));
    QImage scaled = page;
    if (pixelsPerInch(page.size()) < kMinPixelsPerInch) {
        const double factor = double(kMinPixelsPerInch + 1) / pixelsPerInch(page.size());
        scaled = page.scaled(page.size() * factor, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QString error;
    if (!out_->add(scaled, pixelsPerInch(scaled.size()), error))
        return fail(QStringLiteral("could not write page %1 of %2: %3").arg(pages_ + 1).arg(path_, error));
    ++pages_;
    return true;
}

bool ScanPdfWriter::finish() {
    if (failed_) return false;
    if (pages_ == 0) return fail(QStringLiteral("no pages to write to %1").arg(path_));
    QString error;
    const bool ended = out_->end(error);
    out_.reset();  // closes the renderer's file
    if (!ended || !completeOnDisk(temporary_, error))
        return fail(QStringLiteral("could not write %1: %2").arg(path_, error));
    // rename() replaces an existing file in one step, as QFile::rename does not.
    if (std::rename(QFile::encodeName(temporary_).constData(), QFile::encodeName(path_).constData()) != 0)
        return fail(QStringLiteral("could not move the PDF to %1: %2")
                        .arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
    temporary_.clear();
    discard();
    return true;
}

bool ScanPdfWriter::fail(const QString &message) {
    failed_ = true;
    if (error_.isEmpty()) error_ = message;
    discard();
    return false;
}

void ScanPdfWriter::discard() {
    out_.reset();
    if (!temporary_.isEmpty()) QFile::remove(temporary_);
    if (!reserved_.isEmpty()) QFile::remove(reserved_);
    temporary_.clear();
    reserved_.clear();
}

int ScanPdfWriter::pixelsPerInch(QSize page) {
    const int longSide = std::max(page.width(), page.height());
    return std::max(1, int(std::lround(longSide * kMmPerInch / kLongSideMm)));
}

bool ScanPdfWriter::write(const QString &path, const std::vector<QImage> &pages, const Options &options,
                          const Progress &progress, QString &error, QString &note) {
    ScanPdfWriter pdf(path, options);
    note = pdf.note();
    int done = 0;
    for (const QImage &page : pages) {
        if (!pdf.addPage(page)) break;
        if (progress) progress(++done, int(pages.size()));
    }
    const bool written = pdf.finish();
    error = pdf.error();
    return written;
}

QString ScanPdfWriter::newScanPath(const QString &root, const QDateTime &when) {
    const QString folder = QLatin1String(DKBookmark::kScanFolder);
    if (QFileInfo(root).isDir()) QDir(root).mkdir(folder);
    return SaveFileNamer::newSavePath(root, folder, QLatin1String(SaveFileNamer::kScanPattern), when);
}
