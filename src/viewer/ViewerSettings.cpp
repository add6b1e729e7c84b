#include "viewer/ViewerSettings.h"

std::unique_ptr<QSettings> ViewerSettings::open() {
    return std::make_unique<QSettings>(QLatin1String(kOrganization), QLatin1String(kApplication));
}

bool ViewerSettings::flag(const char *key) {
    return open()->value(QLatin1String(key), false).toBool();
}

void ViewerSettings::setFlag(const char *key, bool value) {
    open()->setValue(QLatin1String(key), value);
}

QString ViewerSettings::text(const char *key, const QString &fallback) {
    return open()->value(QLatin1String(key), fallback).toString();
}

void ViewerSettings::setText(const char *key, const QString &value) {
    open()->setValue(QLatin1String(key), value);
}
