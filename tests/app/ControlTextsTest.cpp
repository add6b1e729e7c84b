// The control table against what the user reads: README's list of shortcuts, and the window's controls.

#include "app/ControlTexts.h"
#include "app/ViewControllerLayout.h"
#include "l10n/Localization.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// README spells some keys out in full.
QString portable(QString key) {
    if (key == QLatin1String("Delete")) key = QStringLiteral("Del");
    if (key == QLatin1String("Escape")) key = QStringLiteral("Esc");
    if (key == QLatin1String("Enter")) key = QStringLiteral("Return");  // the main keyboard's Enter
    return QKeySequence::fromString(key, QKeySequence::PortableText).toString(QKeySequence::PortableText);
}

// "Shortcuts (also in the tooltips): Ctrl+S capture, F fit, Ctrl++ / Ctrl+- zoom, ...; for the teaching
// tools below: Space freeze, ... . For scripts": the keys, each as QKeySequence spells it.
QSet<QString> readmeKeys() {
    QFile readme(QStringLiteral(DESKCAM_README_PATH));
    EXPECT_TRUE(readme.open(QIODevice::ReadOnly)) << DESKCAM_README_PATH;
    const QString text = QString::fromUtf8(readme.readAll()).simplified();
    const QRegularExpression list(
        QStringLiteral(R"(Shortcuts \(also in the tooltips\): (.*?)\. For scripts)"));
    const QRegularExpressionMatch match = list.match(text);
    EXPECT_TRUE(match.hasMatch()) << "README lists no shortcuts";
    QString items = match.captured(1);
    items.replace(QStringLiteral("for the teaching tools below:"), QString());
    items.replace(QStringLiteral("for scanning (below):"), QString());
    QSet<QString> keys;
    for (const QString &item : items.split(QRegularExpression(QStringLiteral("[,;]")), Qt::SkipEmptyParts)) {
        const QStringList words = item.trimmed().split(QLatin1Char(' '));
        // "Ctrl++ / Ctrl+- zoom": keys, each but the last followed by "/", then the name.
        for (qsizetype i = 0; i < words.size(); i += 2) {
            keys.insert(portable(words[i]));
            if (i + 1 >= words.size() || words[i + 1] != QLatin1String("/")) break;
        }
    }
    return keys;
}

// The table's keys, leaving out a second key for a command that already has one ("+" without Shift).
QSet<QString> tableKeys() {
    QSet<QString> keys;
    std::vector<std::function<void()> ControlTexts::Hooks::*> bound;
    for (const ControlTexts::Entry &entry : ControlTexts::table()) {
        if (entry.keys.isEmpty()) continue;
        if (entry.command) {
            if (std::find(bound.begin(), bound.end(), entry.command) != bound.end()) continue;
            bound.push_back(entry.command);
        }
        keys.insert(entry.keys.toString(QKeySequence::PortableText));
    }
    return keys;
}

TEST(ControlTexts, ReadmeListsEveryShortcutOfTheTableAndNoOther) {
    const QSet<QString> documented = readmeKeys(), table = tableKeys();
    for (const QString &key : table)
        EXPECT_TRUE(documented.contains(key)) << "not in README: " << key.toStdString();
    for (const QString &key : documented)
        EXPECT_TRUE(table.contains(key)) << "README names a key the window lacks: " << key.toStdString();
    EXPECT_GE(table.size(), 20);
}

// A misspelt control name would leave a control without its text or crash at start-up; a missing text
// shows the bare key.
TEST(ControlTexts, EveryEntryNamesAControlOfTheWindowAndATextOfBothLanguages) {
    QWidget host;
    ViewControllerLayout ui;
    ui.setupUi(&host);
    for (const ControlTexts::Entry &entry : ControlTexts::table()) {
        if (entry.control) {
            EXPECT_NE(host.findChild<QObject *>(QLatin1String(entry.control)), nullptr) << entry.control;
        }
        if (!entry.textKey) continue;
        for (const char *language : {"en", "zh_CN"}) {
            const QString key = QLatin1String(entry.textKey);
            EXPECT_NE(Localization(QLatin1String(language)).text(key), key)
                << language << " " << entry.textKey;
        }
    }
}

}  // namespace
