#include "l10n/Localization.h"

#include "base/Log.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr char kLanguageVariable[] = "DESKCAM_LANG";

}  // namespace

const Localization &Localization::shared() {
    return *sharedSlot();
}

void Localization::useLanguage(const QString &language) {
    sharedSlot() = std::make_unique<Localization>(language);
}

std::unique_ptr<Localization> &Localization::sharedSlot() {
    static std::unique_ptr<Localization> instance = [] {
        const QString chosen = qEnvironmentVariable(kLanguageVariable);
        return std::make_unique<Localization>(chosen.isEmpty() ? languageFor(QLocale::system()) : chosen);
    }();
    return instance;
}

QString Localization::languageFor(const QLocale &locale) {
    return locale.language() == QLocale::Chinese ? QStringLiteral("zh_CN") : QStringLiteral("en");
}

Localization::Localization(const QString &language)
    : language_(language), table_(loadTable(language)), english_(loadTable(QStringLiteral("en"))) {}

QString Localization::text(const QString &key) const {
    if (auto found = table_.constFind(key); found != table_.cend()) return *found;
    if (auto found = english_.constFind(key); found != english_.cend()) return *found;
    return key;
}

QHash<QString, QString> Localization::loadTable(const QString &language) {
    QFile file(QStringLiteral(":/l10n/%1.json").arg(language));
    if (!file.open(QIODevice::ReadOnly)) {
        deskcam::logLine("No texts for the language \"%s\"; showing English", qPrintable(language));
        return {};
    }
    QHash<QString, QString> table;
    const QJsonObject entries = QJsonDocument::fromJson(file.readAll()).object();
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        table.insert(entry.key(), entry.value().toString());
    }
    return table;
}
