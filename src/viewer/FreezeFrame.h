#pragma once

// Which camera picture the view shows: the newest one, or while frozen the one that was on screen when
// the user froze it. The stream, the supervision and the recorder go on regardless; only the view holds.
//
// Thread use: GUI thread (the frame pump's main half).

#include "device/ImageRecvTCPSocket.h"

class FreezeFrame {
  public:
    // The pump offers the newest bytes; the answer is what to decode and show now, or nothing when the
    // view keeps what it has (the same bytes, none, or frozen). Bytes handed out count as shown.
    ImageBytes take(const ImageBytes &latest);
    // The view shows something that is not a camera picture (the no-device picture).
    void forget() { shown_.reset(); }

    void setFrozen(bool frozen) { frozen_ = frozen; }
    bool frozen() const { return frozen_; }
    // The bytes of the camera picture on screen, if one is.
    const ImageBytes &shown() const { return shown_; }

  private:
    ImageBytes shown_;
    bool frozen_ = false;
};
