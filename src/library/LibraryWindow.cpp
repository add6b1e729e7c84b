#include "library/LibraryWindow.h"

#include "library/LibraryViewController.h"

#include <QPointer>

namespace LibraryWindow {
namespace {

constexpr QSize kInitialSize{1180, 720};

}  // namespace

LibraryViewController *present() {
    static QPointer<LibraryViewController> window;
    if (!window) {
        window = new LibraryViewController(DKBookmark::defaultShareBookmark());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->resize(kInitialSize);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace LibraryWindow
