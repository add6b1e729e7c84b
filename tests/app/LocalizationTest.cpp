#include "l10n/Localization.h"

#include "ServerSocket.h"
#include "ViewerTestFixture.h"
#include "app/CameraDialog.h"
#include "app/CaptureControl.h"
#include "app/DisplayControls.h"
#include "app/RecordControl.h"
#include "app/RecordEndMessage.h"
#include "library/LibraryViewController.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGlyphRun>
#include <QLabel>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QToolTip>
#include <QTranslator>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <functional>
#include <map>
#include <memory>

namespace {

using Texts = std::map<QString, QString>;  // where a text shows -> the text

// Every text the user can see in a window: its title, and each shown widget's text, tooltip and list
// entries. Widgets are told apart by class and position, which are the same in every language.
void collectVisibleTexts(QWidget &window, const QString &prefix, Texts &texts) {
    texts[prefix + "title"] = window.windowTitle();
    int position = 0;
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        const QString where =
            QStringLiteral("%1%2#%3 ").arg(prefix, widget->metaObject()->className()).arg(position++);
        if (!widget->isVisibleTo(&window)) continue;
        if (!widget->toolTip().isEmpty()) texts[where + "tooltip"] = widget->toolTip();
        if (auto *button = qobject_cast<QAbstractButton *>(widget)) texts[where + "text"] = button->text();
        if (auto *label = qobject_cast<QLabel *>(widget)) texts[where + "text"] = label->text();
        if (auto *menu = qobject_cast<QComboBox *>(widget))
            for (int i = 0; i < menu->count(); ++i) texts[where + QString::number(i)] = menu->itemText(i);
    }
    // The strip's menus: what they list once opened.
    position = 0;
    for (QAction *action : window.findChildren<QAction *>()) {
        const QString where = QStringLiteral("%1action#%2 ").arg(prefix).arg(position++);
        if (!action->text().isEmpty()) texts[where + "text"] = action->text();
    }
}

bool isControl(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::CheckBox:
        case QAccessible::Slider:
        case QAccessible::ComboBox:
        case QAccessible::SpinBox:
        case QAccessible::EditableText:
            return true;
        default:
            return false;
    }
}

// Each visible control below root, as "Class: name".
QStringList namedControls(QObject *root) {
    QStringList found;
    const std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        if (!node || node->state().invisible) return;
        if (isControl(node->role())) {
            QObject *object = node->object();
            // On Linux Qt names a combo box by its current text (here the waiting list's blank); the name
            // given to the widget reaches screen readers as its label.
            const auto *widget = qobject_cast<QWidget *>(object);
            const QString name = node->role() == QAccessible::ComboBox && widget
                                     ? widget->accessibleName()
                                     : node->text(QAccessible::Name);
            found << QStringLiteral("%1: %2").arg(
                QString::fromLatin1(object ? object->metaObject()->className() : "?"), name);
        }
        for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(root));
    return found;
}

class WindowTextsTest : public ViewerTestFixture {
  protected:
    void TearDown() override {
        ViewerTestFixture::TearDown();
        Localization::useLanguage(QStringLiteral("en"));
    }

    using Windows = std::vector<std::pair<QString, QWidget *>>;  // where it is, the window

    // Builds the viewer, the library window and the camera dialog in language and lets look at them.
    void inEveryWindow(const QString &language, const std::function<void(const Windows &)> &look) {
        Localization::useLanguage(language);
        // As the program does at start: Qt's own buttons (the dialog's OK) in the language too.
        const std::unique_ptr<QTranslator> qtTexts(Localization::installQtTranslations());
        startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
        QTemporaryDir settings;
        DKBookmark bookmark(std::make_unique<QSettings>(settings.filePath("s.ini"), QSettings::IniFormat),
                            [] { return QString(); });
        LibraryViewController library(bookmark,
                                      {[] { return QString(); }, [](const QUrl &) { return true; }});
        library.show();
        CameraDialog dialog(viewer->camera(), {viewer->camera()});
        dialog.show();
        look({{QStringLiteral("viewer "), viewer.get()},
              {QStringLiteral("library "), &library},
              {QStringLiteral("camera dialog "), &dialog}});
        viewer.reset();
        receiver.reset();
        if (qtTexts) QCoreApplication::removeTranslator(qtTexts.get());
    }

    // The texts of every window, built in language.
    Texts textsIn(const QString &language) {
        Texts texts;
        inEveryWindow(language, [&](const Windows &windows) {
            for (const auto &[where, window] : windows) collectVisibleTexts(*window, where, texts);
        });
        return texts;
    }
};

TEST_F(WindowTextsTest, EveryWindowShowsNoKeyAndNoEnglishInChinese) {
    const Texts english = textsIn(QStringLiteral("en"));
    const Texts chinese = textsIn(QStringLiteral("zh_CN"));
    const QList<QString> keys = Localization(QStringLiteral("en")).keys();
    // The program's name with the camera's address.
    const QStringList sameInEveryLanguage{QStringLiteral("deskcam — 127.0.0.1")};
    const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));

    ASSERT_GT(english.size(), 15u);
    for (const Texts *texts : {&english, &chinese}) {
        for (const auto &[where, text] : *texts) {
            EXPECT_FALSE(keys.contains(text)) << where.toStdString();
        }
    }
    for (const auto &[where, text] : english) {
        SCOPED_TRACE(where.toStdString() + ": " + text.toStdString());
        ASSERT_TRUE(chinese.count(where));
        if (text.contains(word) && !sameInEveryLanguage.contains(text)) {
            EXPECT_NE(chinese.at(where).toStdString(), text.toStdString());
        }
    }
    EXPECT_EQ(chinese.at(QStringLiteral("library title")), QStringLiteral("图库"));
}

// What a screen reader finds: every button, slider, menu and field of every window has a name, in the
// window's language.
TEST_F(WindowTextsTest, EveryControlOfEveryWindowHasANameForScreenReaders) {
    const QRegularExpression english(QStringLiteral("[A-Za-z]{3,}"));
    for (const char *language : {"en", "zh_CN"}) {
        SCOPED_TRACE(language);
        QStringList controls;
        inEveryWindow(QString::fromLatin1(language), [&](const Windows &windows) {
            for (const auto &[where, window] : windows) controls += namedControls(window);
        });
        ASSERT_GT(controls.size(), 15);
        const bool chinese = QString::fromLatin1(language) == QLatin1String("zh_CN");
        for (const QString &control : controls) {
            // Protocol names are the same in every language.
            const QString name = control.section(QStringLiteral(": "), 1)
                                     .remove(QRegularExpression(QStringLiteral("\\b(TCP|UDP)\\b")));
            EXPECT_FALSE(name.trimmed().isEmpty()) << control.toStdString();
            if (chinese) {
                EXPECT_FALSE(name.contains(english)) << control.toStdString();
            }
        }
    }
}

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
                         RecordEndMessage::savedMessage(QStringLiteral("/home/u/ZUVA/RidirOvozev/a.mp4"),
                                                        Localization(QStringLiteral("en"))),
                         RecordControl::deviceDisconnectMessage()};
    for (const char *language : {"en", "zh_CN"}) {
        const Localization table{QString::fromLatin1(language)};
        for (const QString &key : table.keys()) texts.append(table.text(key));
    }
    for (const QFont &font : {QToolTip::font(), QApplication::font("QMessageBox")}) {
        for (const QString &text : texts) EXPECT_EQ(missingGlyphs(text, font), 0) << text.toStdString();
    }
}

// These stayed English in a Chinese window: the alerts' own texts, the zoom label and Qt's own dialogs.
TEST(Localization, AlertsTheZoomLabelAndQtsOwnDialogsFollowTheLanguage) {
    Localization::useLanguage(QStringLiteral("zh_CN"));
    EXPECT_EQ(CaptureControl::savedMessage(QStringLiteral("/p/a.png")),
              QString::fromUtf8("图片已保存至：/p/a.png"));
    EXPECT_EQ(CaptureControl::noSavePathMessage(), QString::fromUtf8("无法获得保存位置。"));
    EXPECT_EQ(RecordControl::deviceDisconnectMessage(), QString::fromUtf8("设备已断开！"));
    EXPECT_EQ(RecordEndMessage::savedMessage(QStringLiteral("/p/a.mp4"), Localization::shared()),
              QString::fromUtf8("录像已保存至：/p/a.mp4"));
    EXPECT_EQ(DisplayControls::scaleLabel(1.5), QString::fromUtf8("缩放：1.5x"));
    QTranslator *qtTexts = Localization::installQtTranslations();
    ASSERT_NE(qtTexts, nullptr) << "Qt's translations (qt6-translations-l10n) are installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
    QCoreApplication::removeTranslator(qtTexts);
    const std::unique_ptr<QTranslator> done(qtTexts);
    Localization::useLanguage(QStringLiteral("en"));
    EXPECT_EQ(DisplayControls::scaleLabel(1.5), DisplayGeometry::scaleText(1.5))
        << "English keeps its format";
    EXPECT_EQ(Localization::installQtTranslations(), nullptr);
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
