#pragma once

// The scan button's menu: add a page, save the pages as a PDF, copy the page's text, discard the pages;
// the look pages are cleaned in (colour, grey, black and white) and the languages their text is read in.
// The layout makes it with the strip, so that ControlTexts names its entries and gives them their keys;
// ScanMode acts on them.
//
// Thread use: GUI thread.

#include <QActionGroup>
#include <QMenu>

class ScanMenu : public QMenu {
    Q_OBJECT
  public:
    // The languages' entries: Tesseract's names, as ScanPdfWriter and TextRecognizer take them.
    struct Languages {
        const char *actionName;
        const char *languages;
    };
    static const std::vector<Languages> &languageTable();

    // The entries' shortcuts go to host, so they work with the menu closed.
    ScanMenu(QWidget *host, QWidget *parent);

    QAction *add_page_action = nullptr;
    QAction *save_pdf_action = nullptr;
    QAction *copy_text_action = nullptr;
    QAction *discard_pages_action = nullptr;
    QAction *look_heading_action = nullptr;
    // Exclusive; each action's data is ScanLook's name of its look.
    QActionGroup *look_actions = nullptr;
    QAction *languages_heading_action = nullptr;
    // Exclusive; each action's data is its languages, as in languageTable().
    QActionGroup *language_actions = nullptr;

  private:
    QAction *entry(const char *objectName, bool checkable);

    QWidget *host_;
};
