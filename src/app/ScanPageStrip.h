#pragma once

// The page strip: the scanned pages' thumbnails in a row under the picture, in the order they go into the
// PDF. A page is removed with Delete or its context menu, and moved by dragging it or with the context
// menu's Move left / Move right. Edits go straight to the pages (ScanPages); changed() says so.
//
// Thread use: GUI thread.

#include "app/ScanPages.h"

#include <QListWidget>

class ScanPageStrip : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int kThumbnailHeight = 96;

    ScanPageStrip(ScanPages &pages, QWidget *parent);

    // Shows the pages as they are now.
    void refresh();
    void removePage(int index);
    void movePage(int from, int to);

  signals:
    void changed();

  protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

  private:
    int rowOfId(ScanPages::Id id) const;

    ScanPages &pages_;
};
