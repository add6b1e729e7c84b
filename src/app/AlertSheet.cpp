#include "app/AlertSheet.h"

#include "base/Log.h"
#include "l10n/Localization.h"

#include <QMessageBox>
#include <QPushButton>

QMessageBox *AlertSheet::begin(QWidget *window, const QString &text, Kind kind) {
    auto *alert = new QMessageBox(window);  // owned by window, or by itself through WA_DeleteOnClose
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setIcon(kind == Kind::Information ? QMessageBox::Information : QMessageBox::Warning);
    alert->setText(text);
    QPushButton *ok =
        alert->addButton(Localization::shared().text(QStringLiteral("ok")), QMessageBox::AcceptRole);
    alert->setDefaultButton(ok);
    alert->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    // The only button is the first one, which logs "Ok"; Escape presses it too.
    QObject::connect(ok, &QPushButton::clicked, [] { deskcam::logLine("Ok"); });
    alert->open();
    return alert;
}
