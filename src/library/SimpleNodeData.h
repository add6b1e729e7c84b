#pragma once

// One folder of the library window's tree. A node owns its children (a strict tree) and knows its parent,
// which the outline's model needs to find a row's parent. The icon is fetched lazily by the window, once
// per node, and kept until the tree is replaced.
//
// Nodes also travel through the clipboard and drag and drop: written as plain text (the name) plus the
// icon when there is one, read back from a URL (file or folder) or from plain text.
//
// Thread use: main thread (icons and clipboard data are Qt GUI objects).

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

class QMimeData;

class SimpleNodeData {
  public:
    using Children = std::vector<std::unique_ptr<SimpleNodeData>>;

    // How a clipboard entry of one type is to be read (the values the clipboard service uses).
    enum class ReadingOption { AsData = 0, AsString = 1 };

    static constexpr const char *kUntitled = "Untitled";
    static constexpr const char *kPlainTextType = "text/plain";
    static constexpr const char *kUrlType = "text/uri-list";
    static constexpr const char *kImageType = "application/x-qt-image";

    // name "Untitled", all three flags set, no path.
    SimpleNodeData();
    explicit SimpleNodeData(const QString &name);
    SimpleNodeData(const QString &name, const QString &path);

    static std::unique_ptr<SimpleNodeData> nodeDataWithName(const QString &name);
    static std::unique_ptr<SimpleNodeData> nodeDataWithName(const QString &name, const QString &path);

    SimpleNodeData(const SimpleNodeData &) = delete;
    SimpleNodeData &operator=(const SimpleNodeData &) = delete;

    // -1, 0 or 1 as this node's name sorts before, with or after other's (plain, case-sensitive); a missing
    // node sorts after this one.
    int compare(const SimpleNodeData *other) const;
    // "<SimpleNodeData: 0x...> - 'name' expandable: 1, selectable: 1, container: 1"
    QString description() const;

    // --- clipboard writing
    QStringList writableTypesForPasteboard() const;
    QVariant pasteboardPropertyListForType(const QString &type) const;
    std::unique_ptr<QMimeData> mimeData() const;

    // --- clipboard reading
    static QStringList readableTypesForPasteboard();
    static ReadingOption readingOptionsForType(const QString &type);
    // A node made from one clipboard entry. Only the clipboard fields are set: the flags start cleared and
    // there is no path. An entry of a type that is not readable gives a bare node.
    static std::unique_ptr<SimpleNodeData> initWithPasteboardPropertyList(const QVariant &propertyList,
                                                                          const QString &type);
    // The node for the first readable type that data holds, or null when it holds none.
    static std::unique_ptr<SimpleNodeData> fromMimeData(const QMimeData &data);

    // --- tree
    SimpleNodeData *appendChild(std::unique_ptr<SimpleNodeData> child);
    const Children &mu_array() const { return mu_array_; }
    SimpleNodeData *parent() const { return parent_; }
    // The position of child among this node's children, or -1.
    int indexOfChild(const SimpleNodeData *child) const;

    QString name;
    QString path;
    QIcon image;
    bool expandable = true;
    bool selectable = true;
    bool container = true;

    // The library's folder tree lists a node's folders only when its row is first opened. Until then
    // childrenListed is false, mu_array is empty, and hasChildFolders keeps the answer of a quick look into
    // the folder once it was asked. A node made by hand counts as listed.
    bool childrenListed = true;
    std::optional<bool> hasChildFolders;

  private:
    struct BareTag {};
    // The bare object the clipboard reading starts from: every flag cleared.
    explicit SimpleNodeData(BareTag);

    static std::unique_ptr<SimpleNodeData> nodeFromUrl(const QUrl &url);

    Children mu_array_;
    SimpleNodeData *parent_ = nullptr;
};
