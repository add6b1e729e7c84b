#pragma once

// A viewer under test whose captures, recordings and scans go to a temporary save root: the app's one
// save location points there for the test, and its folder panel never opens.

#include "ViewerTestFixture.h"
#include "viewer/DKBookmark.h"

#include <QTemporaryDir>

class SavingViewerFixture : public ViewerTestFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        bookmark().setFolderChooser([] { return QString(); });
        root = DKBookmark::CreateDirectory(folder.filePath("Pictures/ZUVA"));
        bookmark().setSavePath(root);
    }
    void TearDown() override {
        ViewerTestFixture::TearDown();
        bookmark().setSavePath(QString());
    }
    static DKBookmark &bookmark() { return DKBookmark::defaultShareBookmark(); }

    QTemporaryDir folder;
    QString root;  // the save root, "…/Pictures/ZUVA"
};
