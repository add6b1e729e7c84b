#include "library/FileCollectionItem.h"

#include "LibraryTestApplication.h"

#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

TEST(FileCollectionItemTest, ShowsTheObjectsNameImageAndSizeOrNoValue) {
    ensureLibraryTestApplication();
    FileCollectionItem item;
    ASSERT_NE(item.itemImageView(), nullptr);
    ASSERT_NE(item.titleTextField(), nullptr);
    ASSERT_NE(item.sizeTextField(), nullptr);
    EXPECT_EQ(item.titleTextField()->property("tag").toInt(), 101);

    QImage image(160, 90, QImage::Format_RGB32);
    image.fill(Qt::gray);
    item.setRepresentedObject(QVariantMap{{"itemFileName", "image_1.png"}, {"itemImage", image}});
    EXPECT_EQ(item.titleTextField()->text(), "image_1.png");
    EXPECT_EQ(item.sizeTextField()->text(), "160 * 90");
    EXPECT_EQ(item.itemImageView()->pixmap().size(), QSize(160, 90));

    item.setRepresentedObject(std::nullopt);
    EXPECT_EQ(item.titleTextField()->text(), "No Value");
    EXPECT_FALSE(item.representedObject().has_value());
}

}  // namespace
