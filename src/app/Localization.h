#pragma once

// The texts of tooltips and button titles, looked up by key in the application's tables (one JSON table
// per language among the resources). A key the chosen table lacks falls back to the English text, and a
// key no table has shows the key itself, so a missing entry is visible rather than blank.

#include <QHash>
#include <QLocale>
#include <QString>

class Localization {
  public:
    // The table for the system locale, or for the language named by DESKCAM_LANG ("en", "zh_CN") when set.
    static const Localization &shared();
    // The table name used for a locale: Chinese locales read "zh_CN", everything else "en".
    static QString languageFor(const QLocale &locale);

    explicit Localization(const QString &language);

    QString language() const { return language_; }
    QString text(const QString &key) const;
    QList<QString> keys() const { return table_.keys(); }

  private:
    static QHash<QString, QString> loadTable(const QString &language);

    QString language_;
    QHash<QString, QString> table_;
    QHash<QString, QString> english_;
};
