#pragma once

// The viewer's ways out while it records: closing the window, Ctrl+Q, a termination signal (through the
// application delegate), logging out, a quit asked for elsewhere. Each first stops the recordings and
// waits until their files are finished, at most RecordControl::kFinishPatience, behind a window-modal
// "Finishing the recording…" notice; past that, a rewrite still running is given up (the file stays
// fragmented, which plays) and the way out goes on.
//
// Thread use: GUI thread.

#include <QObject>
#include <QPointer>

#include <functional>

class QProgressDialog;
class QWidget;
class RecordControl;

class ExitAfterRecordings : public QObject {
  public:
    struct Ways {
        std::function<void()> close;  // closes the window (it asks waitBeforeLeaving again)
        std::function<void()> quit;   // ends the program (it asks waitBeforeLeaving again)
    };

    ExitAfterRecordings(RecordControl &recordings, QWidget *window, Ways ways);

    // Leaving by closing the window (quit false) or ending the program (quit true). True when the way out
    // must wait: it is taken again by itself once the files are finished, then this answers false.
    bool waitBeforeLeaving(bool quit);
    // For the ways out that cannot wait for the event loop (logout, aboutToQuit): finishes the files
    // before it returns, running the event loop meanwhile.
    void finishNow();

  private:
    void recordingsFinished();
    void showNotice();

    RecordControl &recordings_;
    QWidget *const window_;
    const Ways ways_;
    enum class State { Staying, Waiting, Leaving };
    State state_ = State::Staying;
    bool quit_ = false;  // a way out that ends the program came, not only one that closes the window
    QPointer<QProgressDialog> notice_;
};
