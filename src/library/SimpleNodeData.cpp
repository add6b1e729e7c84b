#include "library/SimpleNodeData.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace {

// The icon goes to the clipboard at the size the outline draws it.
constexpr int kClipboardIconPixels = 32;

int sign(int value) {
    return (value > 0) - (value < 0);
}

// The URL's last path component, a trailing separator ignored; "/" for the file-system root.
QString lastPathComponent(const QUrl &url) {
    QString path = url.path();
    while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
    if (path == QStringLiteral("/")) return path;
    return path.mid(path.lastIndexOf(u'/') + 1);
}

}  // namespace

SimpleNodeData::SimpleNodeData() : name(QString::fromLatin1(kUntitled)) {}

SimpleNodeData::SimpleNodeData(const QString &name) : name(name) {}

SimpleNodeData::SimpleNodeData(const QString &name, const QString &path) : name(name), path(path) {}

SimpleNodeData::SimpleNodeData(BareTag)
    : name(QString::fromLatin1(kUntitled)), expandable(false), selectable(false), container(false) {}

std::unique_ptr<SimpleNodeData> SimpleNodeData::nodeDataWithName(const QString &name) {
    return std::make_unique<SimpleNodeData>(name);
}

std::unique_ptr<SimpleNodeData> SimpleNodeData::nodeDataWithName(const QString &name, const QString &path) {
    return std::make_unique<SimpleNodeData>(name, path);
}

int SimpleNodeData::compare(const SimpleNodeData *other) const {
    if (!other) return -1;
    return sign(QString::compare(name, other->name, Qt::CaseSensitive));
}

QString SimpleNodeData::description() const {
    const QString base = QStringLiteral("<SimpleNodeData: 0x%1>").arg(quintptr(this), 0, 16);
    return QStringLiteral("%1 - '%2' expandable: %3, selectable: %4, container: %5")
        .arg(base, name)
        .arg(int(expandable))
        .arg(int(selectable))
        .arg(int(container));
}

QStringList SimpleNodeData::writableTypesForPasteboard() const {
    QStringList types{QString::fromLatin1(kPlainTextType)};
    if (!image.isNull()) types << QString::fromLatin1(kImageType);
    return types;
}

QVariant SimpleNodeData::pasteboardPropertyListForType(const QString &type) const {
    if (type == QLatin1String(kPlainTextType)) return name;
    if (type == QLatin1String(kImageType) && !image.isNull())
        return image.pixmap(kClipboardIconPixels).toImage();
    return {};
}

std::unique_ptr<QMimeData> SimpleNodeData::mimeData() const {
    auto data = std::make_unique<QMimeData>();
    data->setText(name);
    if (!image.isNull()) data->setImageData(pasteboardPropertyListForType(QString::fromLatin1(kImageType)));
    return data;
}

QStringList SimpleNodeData::readableTypesForPasteboard() {
    return {QString::fromLatin1(kUrlType), QString::fromLatin1(kPlainTextType)};
}

SimpleNodeData::ReadingOption SimpleNodeData::readingOptionsForType(const QString &type) {
    if (type == QLatin1String(kPlainTextType) || type == QLatin1String(kUrlType))
        return ReadingOption::AsString;
    return ReadingOption::AsData;
}

std::unique_ptr<SimpleNodeData> SimpleNodeData::initWithPasteboardPropertyList(const QVariant &propertyList,
                                                                               const QString &type) {
    if (type == QLatin1String(kUrlType)) return nodeFromUrl(QUrl(propertyList.toString()));

    auto node = std::unique_ptr<SimpleNodeData>(new SimpleNodeData(BareTag{}));
    if (type == QLatin1String(kPlainTextType)) {
        node->name = propertyList.toString();
        node->selectable = true;
    }
    return node;
}

std::unique_ptr<SimpleNodeData> SimpleNodeData::fromMimeData(const QMimeData &data) {
    if (data.hasUrls() && !data.urls().isEmpty())
        return initWithPasteboardPropertyList(data.urls().first().toString(), QString::fromLatin1(kUrlType));
    if (data.hasText())
        return initWithPasteboardPropertyList(data.text(), QString::fromLatin1(kPlainTextType));
    return nullptr;
}

std::unique_ptr<SimpleNodeData> SimpleNodeData::nodeFromUrl(const QUrl &url) {
    auto node = std::unique_ptr<SimpleNodeData>(new SimpleNodeData(BareTag{}));
    node->name = lastPathComponent(url);
    if (node->name.isEmpty()) node->name = url.path();
    if (node->name.isEmpty()) node->name = QString::fromLatin1(kUntitled);
    node->selectable = true;

    // Only a local file has an is-folder answer and an icon; anything else is a plain leaf.
    const QFileInfo info(url.isLocalFile() ? url.toLocalFile() : QString());
    if (!info.exists()) return node;
    node->container = node->expandable = info.isDir();
    node->image = QFileIconProvider().icon(info);
    return node;
}

SimpleNodeData *SimpleNodeData::appendChild(std::unique_ptr<SimpleNodeData> child) {
    child->parent_ = this;
    mu_array_.push_back(std::move(child));
    return mu_array_.back().get();
}

int SimpleNodeData::indexOfChild(const SimpleNodeData *child) const {
    for (size_t i = 0; i < mu_array_.size(); ++i)
        if (mu_array_[i].get() == child) return int(i);
    return -1;
}
