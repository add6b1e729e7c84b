#include "app/ScanSaver.h"

#include "scan/ScanPdfWriter.h"

ScanSaver::ScanSaver(QObject *parent) : QObject(parent) {
    worker_.setMaxThreadCount(1);
    worker_.setObjectName(QStringLiteral("ScanSaver"));
}

ScanSaver::~ScanSaver() {
    worker_.waitForDone();
}

bool ScanSaver::save(const QString &path, const std::vector<QImage> &pages, const QString &languages) {
    if (saving_) return false;
    saving_ = true;
    // The worker only posts to this object, which waits for it before it goes; a report still queued
    // then is dropped with it.
    worker_.start([this, path, pages, languages] {
        ScanPdfWriter::Options options;
        options.languages = languages;
        Outcome outcome;
        outcome.path = path;
        const auto report = [this](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { emit progress(done, total); }, Qt::QueuedConnection);
        };
        report(0, int(pages.size()));
        outcome.saved = ScanPdfWriter::write(path, pages, options, report, outcome.error, outcome.note);
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                saving_ = false;
                emit finished(outcome);
            },
            Qt::QueuedConnection);
    });
    return true;
}
