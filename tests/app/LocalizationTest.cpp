#include "app/Localization.h"

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
