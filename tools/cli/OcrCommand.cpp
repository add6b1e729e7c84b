#include "OcrCommand.h"

#include "PageScan.h"
#include "scan/ScanLook.h"
#include "scan/ScanPdfWriter.h"
#include "scan/TextRecognizer.h"

#include <cstdio>

namespace {

int runOcr(const CliArguments &arguments) {
    const std::string in = arguments.arguments()[0];
    QImage picture;
    std::string error, note;
    if (!PageScan::loadPicture(in, picture, error)) {
        std::fprintf(stderr, "deskcam-cli ocr: %s\n", error.c_str());
        return kExitFailed;
    }
    TextRecognizer recognizer(
        QString::fromStdString(arguments.text("--lang", ScanPdfWriter::kDefaultLanguages)));
    if (!recognizer.isReady()) {
        std::fprintf(stderr, "deskcam-cli ocr: %s\n", qPrintable(recognizer.error()));
        return kExitFailed;
    }
    // The grey look evens out the lamp's gradient, which Tesseract's one threshold for the page would not.
    const QImage page = ScanLook::apply(PageScan::uprightPage(picture, note), ScanLook::Look::Grey);
    if (!note.empty()) std::fprintf(stderr, "deskcam-cli ocr: %s\n", note.c_str());
    const auto result = recognizer.recognize(page, ScanPdfWriter::pixelsPerInch(page.size()));
    if (!result) {
        std::fprintf(stderr, "deskcam-cli ocr: %s\n", qPrintable(recognizer.error()));
        return kExitFailed;
    }
    std::fputs(result->text.toUtf8().constData(), stdout);
    return kExitOk;
}

}  // namespace

const SubCommand kOcrCommand = {
    "ocr",
    "print the text of the page in the picture IN (JPEG or PNG)",
    {
        {"--lang", true, false, "LANGS",
         "Tesseract's languages joined by +: eng, chi_sim, eng+chi_sim (default)"},
    },
    {"IN"},
    runOcr,
};
