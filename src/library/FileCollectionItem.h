#pragma once

// A file tile for a plain collection view: picture, name and picture size in three child widgets found by
// their "tag" property (100 picture, 101 name, 102 size). The library grid draws its own items and does not
// use this class; it is kept for lists of files outside the grid.
//
// Thread use: main thread.

#include <QVariantMap>
#include <QWidget>

#include <optional>

class QLabel;

class FileCollectionItem : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kImageTag = 100;
    static constexpr int kTitleTag = 101;
    static constexpr int kSizeTag = 102;

    explicit FileCollectionItem(QWidget *parent = nullptr);

    // Shows object's "itemFileName" and "itemImage" and the image's size; no object shows "No Value".
    void setRepresentedObject(const std::optional<QVariantMap> &object);
    const std::optional<QVariantMap> &representedObject() const { return representedObject_; }

    QLabel *itemImageView() const;
    QLabel *titleTextField() const;
    QLabel *sizeTextField() const;

  private:
    QLabel *viewWithTag(int tag) const;

    std::optional<QVariantMap> representedObject_;
};
