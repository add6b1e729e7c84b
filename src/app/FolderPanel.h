#pragma once

// The programs' folder panel: the desktop's modal dialog for choosing one folder. main() installs it into
// the save location (DKBookmark::setFolderPanel), which itself knows no windows.

#include <QString>

class FolderPanel {
  public:
    // The absolute path of the folder the user chose; empty when the user cancels.
    static QString chooseFolder();
    // Makes chooseFolder() the panel of DKBookmark::chooseFolderWithPanel().
    static void install();
};
