#include "app/Localization.h"

#include "app/CaptureControl.h"
#include "app/RecordControl.h"

#include <QApplication>
#include <QGlyphRun>
#include <QTextLayout>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

// Every key the viewer window and its capture and record controls look up.
const char *const kViewerKeys[] = {"rotate_left", "rotate",  "rotate_right", "actual_size",  "fit_size",
                                   "max_window",  "capture", "library",      "record_start", "record_stop"};

TEST(Localization, EnglishAndChineseHaveEveryKeyOfTheWindow) {
    const Localization english(QStringLiteral("en"));
    const Localization chinese(QStringLiteral("zh_CN"));
    for (const char *key : kViewerKeys) {
        SCOPED_TRACE(key);
        const QString name = QString::fromLatin1(key);
        EXPECT_TRUE(english.keys().contains(name));
        EXPECT_TRUE(chinese.keys().contains(name));
        EXPECT_NE(english.text(name), name);
        EXPECT_NE(chinese.text(name), english.text(name));
    }
    QList<QString> englishKeys = english.keys(), chineseKeys = chinese.keys();
    std::sort(englishKeys.begin(), englishKeys.end());
    std::sort(chineseKeys.begin(), chineseKeys.end());
    EXPECT_EQ(englishKeys, chineseKeys);
    EXPECT_EQ(chinese.text(QStringLiteral("record_stop")), QStringLiteral("停止录像"));
}

// How many characters of text come out as the empty box (glyph 0) in font, after Qt's font fallback.
int missingGlyphs(const QString &text, const QFont &font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int missing = 0;
    for (const QGlyphRun &run : layout.glyphRuns()) missing += static_cast<int>(run.glyphIndexes().count(0));
    return missing;
}

// A fresh system has no font for Chinese, nor for the full-width colon of the alerts; the install script
// brings one.
TEST(Localization, EveryTextOfTooltipsAndAlertsHasItsGlyphs) {
    QStringList texts = {CaptureControl::savedMessage(QStringLiteral("/home/u/ZUVA/CaptureImages/a.png")),
                         CaptureControl::saveFailedMessage(), CaptureControl::noSavePathMessage(),
                         RecordControl::savedMessage(QStringLiteral("/home/u/ZUVA/RidirOvozev/a.mp4")),
                         RecordControl::deviceDisconnectMessage()};
    for (const char *language : {"en", "zh_CN"}) {
        const Localization table{QString::fromLatin1(language)};
        for (const QString &key : table.keys()) texts.append(table.text(key));
    }
    for (const QFont &font : {QToolTip::font(), QApplication::font("QMessageBox")}) {
        for (const QString &text : texts) EXPECT_EQ(missingGlyphs(text, font), 0) << text.toStdString();
    }
}

TEST(Localization, MissingTextsFallBackToEnglishThenToTheKey) {
    const Localization unknownLanguage(QStringLiteral("fr"));
    EXPECT_EQ(unknownLanguage.text(QStringLiteral("capture")),
              Localization(QStringLiteral("en")).text(QStringLiteral("capture")));
    EXPECT_EQ(unknownLanguage.text(QStringLiteral("no_such_key")), QStringLiteral("no_such_key"));
    EXPECT_EQ(Localization(QStringLiteral("zh_CN")).text(QStringLiteral("no_such_key")),
              QStringLiteral("no_such_key"));
}

TEST(Localization, LanguageFollowsTheLocaleAndTheOverride) {
    EXPECT_EQ(Localization::languageFor(QLocale(QStringLiteral("zh_CN"))), QStringLiteral("zh_CN"));
    EXPECT_EQ(Localization::languageFor(QLocale(QStringLiteral("zh_TW"))), QStringLiteral("zh_CN"));
    EXPECT_EQ(Localization::languageFor(QLocale(QStringLiteral("en_GB"))), QStringLiteral("en"));
    EXPECT_EQ(Localization::languageFor(QLocale(QStringLiteral("de_DE"))), QStringLiteral("en"));
    // The test program sets DESKCAM_LANG=en before anything asks.
    EXPECT_EQ(Localization::shared().language(), QStringLiteral("en"));
}

}  // namespace
