#include "IsolatedHome.h"

#include <QDir>

IsolatedHome::IsolatedHome() {
    if (!home_.isValid()) return;
    const QDir folder(home_.path());
    folder.mkpath(QStringLiteral("Documents"));
    qputenv("HOME", home_.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral(".config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral(".local/share")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", folder.filePath(QStringLiteral(".cache")).toLocal8Bit());
}
