// What a screen reader finds in the viewer and the library window: every button, slider, menu and field
// has a name, in the window's language.

#include "ServerSocket.h"
#include "ViewerTestFixture.h"
#include "l10n/Localization.h"
#include "library/LibraryViewController.h"

#include <QAccessible>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <sys/socket.h>

#include <functional>

namespace {

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

class AccessibilityTest : public ViewerTestFixture {
  protected:
    void TearDown() override {
        ViewerTestFixture::TearDown();
        Localization::useLanguage(QStringLiteral("en"));
    }
};

TEST_F(AccessibilityTest, EveryControlOfBothWindowsHasANameInItsLanguage) {
    const QRegularExpression english(QStringLiteral("[A-Za-z]{3,}"));
    for (const char *language : {"en", "zh_CN"}) {
        SCOPED_TRACE(language);
        Localization::useLanguage(QString::fromLatin1(language));
        startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
        QTemporaryDir settings;
        DKBookmark bookmark(std::make_unique<QSettings>(settings.filePath("s.ini"), QSettings::IniFormat),
                            [] { return QString(); });
        LibraryViewController library(bookmark,
                                      {[] { return QString(); }, [](const QUrl &) { return true; }});
        library.show();
        QStringList controls = namedControls(viewer.get()) + namedControls(&library);
        ASSERT_GT(controls.size(), 15);
        for (const QString &control : controls) {
            const QString name = control.section(QStringLiteral(": "), 1);
            EXPECT_FALSE(name.trimmed().isEmpty()) << control.toStdString();
            if (QString::fromLatin1(language) == QLatin1String("zh_CN"))
                EXPECT_FALSE(name.contains(english)) << control.toStdString();
        }
        viewer.reset();
        receiver.reset();
    }
}

}  // namespace
