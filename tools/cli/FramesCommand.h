#pragma once

#include "SubCommand.h"

// "frames": receives pictures through the image stream receiver, as the viewer does, and writes the first N
// of them to DIR/frame_0001.jpg ...
extern const SubCommand kFramesCommand;
