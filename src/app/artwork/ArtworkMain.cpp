// deskcam-artwork OUTDIR: writes the application's pictures as PNG files into OUTDIR (run by the build).

#include "app/artwork/Artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: deskcam-artwork OUTDIR\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "deskcam-artwork: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const auto &[fileName, image] : Artwork::all()) {
        if (!image.save(folder.filePath(fileName), "PNG")) {
            std::fprintf(stderr, "deskcam-artwork: cannot write %s\n", qPrintable(folder.filePath(fileName)));
            return 1;
        }
    }
    return 0;
}
