#include "library/FileCollectionItem.h"

#include "base/Log.h"
#include "library/LibraryItems.h"

#include <QDebug>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

constexpr const char *kTagProperty = "tag";

QLabel *taggedLabel(QWidget *parent, int tag) {
    auto *label = new QLabel(parent);
    label->setProperty(kTagProperty, tag);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QString textOf(const QImage &image) {
    QString text;
    QDebug(&text).nospace() << image;
    return text;
}

}  // namespace

FileCollectionItem::FileCollectionItem(QWidget *parent) : QWidget(parent) {
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(taggedLabel(this, kImageTag), 1);
    layout->addWidget(taggedLabel(this, kTitleTag));
    layout->addWidget(taggedLabel(this, kSizeTag));
}

void FileCollectionItem::setRepresentedObject(const std::optional<QVariantMap> &object) {
    representedObject_ = object;
    if (!object) {
        titleTextField()->setText(QStringLiteral("No Value"));
        return;
    }
    const QImage image = object->value(QStringLiteral("itemImage")).value<QImage>();
    deskcam::logLine("%s", qPrintable(textOf(image)));
    titleTextField()->setText(object->value(QStringLiteral("itemFileName")).toString());
    itemImageView()->setPixmap(QPixmap::fromImage(image));
    sizeTextField()->setText(LibraryItems::sizeText(image.size()));
}

QLabel *FileCollectionItem::itemImageView() const {
    return viewWithTag(kImageTag);
}
QLabel *FileCollectionItem::titleTextField() const {
    return viewWithTag(kTitleTag);
}
QLabel *FileCollectionItem::sizeTextField() const {
    return viewWithTag(kSizeTag);
}

QLabel *FileCollectionItem::viewWithTag(int tag) const {
    const auto labels = findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    for (QLabel *label : labels)
        if (label->property(kTagProperty).toInt() == tag) return label;
    return nullptr;
}
