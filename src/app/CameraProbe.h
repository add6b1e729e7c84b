#pragma once

// The camera dialog's "Test": for up to kPatience, watches whether a camera answers at an address: on the
// picture port, whether pictures arrive and at what size; on the command port, whether the resolution list
// comes. Says what answered or what failed, in the window's language, without holding the window.
//
// Thread use: GUI thread (the receiver's and the channel's callbacks come on the main event queue).

#include "device/CommandUDPSocket.h"
#include "device/ImageRecvTCPSocket.h"
#include "viewer/LaunchOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

class CameraProbe : public QObject, public CommandUDPSocketDelegate {
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kPatience{3000};

    struct Outcome {
        bool pictures = false;  // pictures arrived
        bool commands = false;  // the resolution list came
        QString text;           // one line for each port
    };

    // Starts at once; finished() follows within kPatience (sooner when both have answered).
    explicit CameraProbe(const LaunchOptions &camera, QObject *parent = nullptr);
    ~CameraProbe() override;

    // CommandUDPSocketDelegate
    void ClearResolution() override {}
    void fillResolution() override;

  signals:
    void finished(const CameraProbe::Outcome &outcome);

  private:
    void check();
    QString picturesLine() const;
    QString commandsLine() const;

    ImageRecvTCPSocket receiver_;
    std::unique_ptr<CommandUDPSocket> channel_;
    std::vector<STRUCT_RESOLUTION> list_;
    QElapsedTimer clock_;
    QTimer poll_;
    bool done_ = false;
};
