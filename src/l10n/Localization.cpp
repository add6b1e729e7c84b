#include "l10n/Localization.h"

#include "base/Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QTranslator>

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

QTranslator *Localization::installQtTranslations() {
    const QString language = shared().language();
    if (language == QLatin1String("en")) return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        deskcam::logLine("Qt's own texts stay English: no Qt translation for %s", qPrintable(language));
        return nullptr;
    }
    translator->setParent(QCoreApplication::instance());  // lives as long as the application
    QCoreApplication::installTranslator(translator.get());
    return translator.release();
}
