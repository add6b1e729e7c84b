#include "app/RecordSizeMenu.h"

#include "viewer/ViewerSettings.h"

#include <QAction>
#include <QActionGroup>

VideoSize::Choice RecordSizeMenu::chosen() {
    const QString name = ViewerSettings::text(ViewerSettings::kRecordingSizeKey,
                                              QLatin1String(VideoSize::nameOf(VideoSize::kDefault)));
    return VideoSize::fromName(name.toStdString()).value_or(VideoSize::kDefault);
}

void RecordSizeMenu::connect(QActionGroup &actions) {
    const QString name = QLatin1String(VideoSize::nameOf(chosen()));
    for (QAction *item : actions.actions()) {
        item->setChecked(item->data().toString() == name);
        QObject::connect(item, &QAction::triggered, item, [item] {
            ViewerSettings::setText(ViewerSettings::kRecordingSizeKey, item->data().toString());
        });
    }
}
