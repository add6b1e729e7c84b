#include "scan/TextRecognizer.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <tesseract/baseapi.h>
#include <tesseract/renderer.h>
#include <tesseract/resultiterator.h>

#ifdef DESKCAM_HAVE_OPENMP
#include <omp.h>
#endif

#include <algorithm>

namespace {

constexpr const char *kDebianDataPath = "/usr/share/tesseract-ocr/5/tessdata";

// Tesseract's parallel regions run on the calling thread alone (see the header).
void oneThreadHere() {
#ifdef DESKCAM_HAVE_OPENMP
    omp_set_max_active_levels(0);
#endif
}

struct TextDeleter {
    void operator()(char *text) const { delete[] text; }
};
using TesseractText = std::unique_ptr<char, TextDeleter>;

QString fromTesseract(TesseractText text) {
    return text ? QString::fromUtf8(text.get()) : QString();
}

}  // namespace

void TextRecognizer::ApiDeleter::operator()(tesseract::TessBaseAPI *api) const {
    api->End();
    delete api;
}

QString TextRecognizer::defaultDataPath() {
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    return prefix.isEmpty() ? QString::fromLatin1(kDebianDataPath) : prefix;
}

QString TextRecognizer::dataFile(const QString &dataPath, const QString &language) {
    return QDir(dataPath).filePath(language + QStringLiteral(".traineddata"));
}

QString TextRecognizer::packageFor(const QString &language) {
    return QStringLiteral("tesseract-ocr-") + QString(language).replace(u'_', u'-').toLower();
}

QString TextRecognizer::missingData(const QString &languages, const QString &dataPath) {
    // Names only: a language is also a file name below dataPath.
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_]+$"));
    const QStringList parts = languages.split(u'+');
    for (const QString &language : parts)
        if (!name.match(language).hasMatch())
            return QStringLiteral("\"%1\" is no language name (e.g. eng, chi_sim, eng+chi_sim)")
                .arg(languages);
    QStringList missing, packages;
    for (const QString &language : parts) {
        if (QFileInfo(dataFile(dataPath, language)).isFile()) continue;
        missing << language;
        packages << packageFor(language);
    }
    if (missing.isEmpty()) return {};
    return QStringLiteral("no text recognition data for %1 in %2 (install %3)")
        .arg(missing.join(QStringLiteral(", ")), dataPath, packages.join(u' '));
}

TextRecognizer::TextRecognizer(const QString &languages, const QString &dataPath)
    : languages_(languages), dataPath_(dataPath) {
    error_ = missingData(languages, dataPath);
    if (!error_.isEmpty()) return;
    std::unique_ptr<tesseract::TessBaseAPI, ApiDeleter> api(new tesseract::TessBaseAPI);
    oneThreadHere();
    if (api->Init(dataPath.toLocal8Bit().constData(), languages.toLatin1().constData(),
                  tesseract::OEM_LSTM_ONLY) != 0) {
        error_ = QStringLiteral("Tesseract could not load %1 from %2").arg(languages, dataPath);
        return;
    }
    // Chinese has no spaces between words; without this every character comes out spaced.
    api->SetVariable("preserve_interword_spaces", "1");
    api_ = std::move(api);
}

TextRecognizer::~TextRecognizer() = default;

bool TextRecognizer::readPage(const QImage &page, int pixelsPerInch) {
    if (!api_ || page.isNull()) return false;
    oneThreadHere();
    // Tesseract copies the pixels; it reads bytes in R, G, B order, or one grey byte.
    const bool grey = page.format() == QImage::Format_Grayscale8;
    const QImage bytes = grey ? page : page.convertToFormat(QImage::Format_RGB888);
    api_->SetImage(bytes.constBits(), bytes.width(), bytes.height(), grey ? 1 : 3,
                   static_cast<int>(bytes.bytesPerLine()));
    // Tesseract warns about and replaces anything below 70.
    if (pixelsPerInch > 0) api_->SetSourceResolution(std::max(pixelsPerInch, 70));
    if (api_->Recognize(nullptr) != 0) {
        error_ = QStringLiteral("Tesseract could not read the page");
        return false;
    }
    return true;
}

std::vector<TextRecognizer::Word> TextRecognizer::words() const {
    std::vector<Word> out;
    const std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
    if (!it) return out;
    do {
        const QString text = fromTesseract(TesseractText(it->GetUTF8Text(tesseract::RIL_WORD)));
        int left = 0, top = 0, right = 0, bottom = 0;
        if (text.trimmed().isEmpty() || !it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom))
            continue;
        out.push_back({text, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                       it->Confidence(tesseract::RIL_WORD)});
    } while (it->Next(tesseract::RIL_WORD));
    return out;
}

std::optional<TextRecognizer::Result> TextRecognizer::recognize(const QImage &page, int pixelsPerInch) {
    if (!readPage(page, pixelsPerInch)) return std::nullopt;
    Result result{fromTesseract(TesseractText(api_->GetUTF8Text())), words()};
    api_->Clear();
    return result;
}

bool TextRecognizer::renderInto(const QImage &page, int pixelsPerInch,
                                tesseract::TessResultRenderer &renderer) {
    if (!readPage(page, pixelsPerInch)) return false;
    // The renderer embeds the page Tesseract holds, with the text of its last recognition.
    const bool added = renderer.AddImage(api_.get());
    api_->Clear();
    if (!added) error_ = QStringLiteral("the PDF's page could not be written");
    return added;
}
