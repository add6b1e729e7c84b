// deskcam-artwork OUTDIR ICONDIR: writes the application's pictures as PNG files into OUTDIR and its icon
// for the desktop (appicon-48.png, appicon-128.png, appicon-256.png, appicon.svg) into ICONDIR (run by the
// build).

#include "app/artwork/Artwork.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool reportFailure(const QString &path) {
    std::fprintf(stderr, "deskcam-artwork: cannot write %s\n", qPrintable(path));
    return false;
}

bool savePictures(const std::vector<Artwork::Picture> &pictures, const QDir &folder) {
    if (!folder.mkpath(QStringLiteral("."))) return reportFailure(folder.path());
    for (const auto &[fileName, image] : pictures)
        if (!image.save(folder.filePath(fileName), "PNG")) return reportFailure(folder.filePath(fileName));
    return true;
}

bool saveFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return reportFailure(path);
    return true;
}

}  // namespace

int main(int argc, char *argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: deskcam-artwork OUTDIR ICONDIR\n");
        return 2;
    }
    const QDir pictures(QString::fromLocal8Bit(argv[1]));
    const QDir icons(QString::fromLocal8Bit(argv[2]));
    const bool written = savePictures(Artwork::all(), pictures) && savePictures(Artwork::appIcons(), icons) &&
                         saveFile(icons.filePath(QStringLiteral("appicon.svg")), Artwork::appIconSvg());
    return written ? 0 : 1;
}
