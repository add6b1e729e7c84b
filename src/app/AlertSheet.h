#pragma once

// The viewer's messages to the user: an alert with one "OK" button (an information icon for news that is
// good, a warning otherwise), modal to the window it belongs
// to only (a sheet), shown without waiting so the caller and the live picture keep running. When the user
// dismisses it, "Ok" goes to the process log.
//
// Thread use: main thread.

#include <QString>

class QMessageBox;
class QWidget;

class AlertSheet {
  public:
    enum class Kind { Warning, Information };

    // Shows text over window (or as a free-standing alert when window is null) and returns at once. The
    // alert deletes itself when dismissed; the pointer is for callers that want to watch or close it.
    static QMessageBox *begin(QWidget *window, const QString &text, Kind kind = Kind::Warning);
};
