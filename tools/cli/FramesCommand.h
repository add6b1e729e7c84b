#pragma once

#include "SubCommand.h"

// "frames": receives pictures through the image stream receiver, as the viewer does, and writes N of them to
// DIR/frame_0001.jpg ... in arrival order, as they leave the receiver's frame queue (which keeps the newest
// three: a burst faster than the writing skips pictures).
extern const SubCommand kFramesCommand;
