#include "app/StillsStrip.h"

#include "l10n/Localization.h"

namespace {
constexpr int kStripHeight = Stills::kThumbnailHeight + 34;
}

StillsStrip::StillsStrip(const Stills &stills, std::function<void(std::optional<std::size_t>)> chosen,
                         QWidget *parent)
    : QListWidget(parent), stills_(stills) {
    setObjectName(QStringLiteral("stills_strip"));
    setAccessibleName(Localization::shared().text(QStringLiteral("stills")));
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setMovement(QListView::Static);
    setIconSize(QSize(Stills::kThumbnailHeight * 16 / 9, Stills::kThumbnailHeight));
    setFixedHeight(kStripHeight);
    setFocusPolicy(Qt::NoFocus);  // Left and Right stay the view's
    setStyleSheet(
        QStringLiteral("#stills_strip { background: rgb(36, 40, 44); color: white; border: none; }"));
    connect(this, &QListWidget::itemClicked, this, [this, chosen = std::move(chosen)](QListWidgetItem *item) {
        const int index = row(item);
        chosen(index == 0 ? std::nullopt : std::optional<std::size_t>(std::size_t(index - 1)));
    });
    hide();
}

void StillsStrip::refresh(std::optional<std::size_t> current) {
    clear();
    addItem(new QListWidgetItem(QIcon(QStringLiteral(":/pictures/camera.png")),
                                Localization::shared().text(QStringLiteral("stills_live"))));
    for (std::size_t i = 0; i < stills_.size(); ++i)
        addItem(
            new QListWidgetItem(QIcon(QPixmap::fromImage(stills_.at(i).thumbnail)), QString::number(i + 1)));
    setCurrentRow(current ? int(*current) + 1 : 0);
}
