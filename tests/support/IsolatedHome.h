#pragma once

// A home folder of the test program's own, removed at the end: HOME and the XDG folders point into it, so
// nothing a test writes (settings, the undecodable-picture dump, recordings) reaches the user's. Made before
// any Qt object: QSettings and QStandardPaths resolve these on first use.

#include <QTemporaryDir>

class IsolatedHome {
  public:
    IsolatedHome();

    bool isValid() const { return home_.isValid(); }
    QString path() const { return home_.path(); }

  private:
    QTemporaryDir home_;
};
