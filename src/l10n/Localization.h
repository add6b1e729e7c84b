#pragma once

// The texts of tooltips, button titles and window titles, looked up by key in the application's tables (one
// JSON table per language among the resources). A key the chosen table lacks falls back to the English
// text, and a key no table has shows the key itself, so a missing entry is visible rather than blank.
// Shared by the viewer and the library window.

#include <QHash>
#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

class Localization {
  public:
    // The table for the system locale, or for the language named by DESKCAM_LANG ("en", "zh_CN") when set.
    static const Localization &shared();
    // Replaces the shared table (tests show both languages in one run). GUI thread, before windows are made:
    // windows read their texts when they are built.
    static void useLanguage(const QString &language);
    // The table name used for a locale: Chinese locales read "zh_CN", everything else "en".
    static QString languageFor(const QLocale &locale);

    // Qt's own texts (file dialogs, standard buttons) in the shared table's language, when the system has
    // Qt's translations for it. Once, after the application object is made, which owns the translator
    // returned (null: none installed).
    static QTranslator *installQtTranslations();

    explicit Localization(const QString &language);

    QString language() const { return language_; }
    QString text(const QString &key) const;
    QList<QString> keys() const { return table_.keys(); }

  private:
    static std::unique_ptr<Localization> &sharedSlot();
    static QHash<QString, QString> loadTable(const QString &language);

    QString language_;
    QHash<QString, QString> table_;
    QHash<QString, QString> english_;
};

namespace l10n {

// The shared table's text for key: the short form the windows use.
inline QString text(const char *key) {
    return Localization::shared().text(QLatin1String(key));
}

}  // namespace l10n
