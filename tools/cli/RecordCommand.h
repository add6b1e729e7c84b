#pragma once

#include "SubCommand.h"

// "record": records the camera's pictures and the default microphone into an MP4 file for S seconds of
// media time, with the recorder the viewer uses.
extern const SubCommand kRecordCommand;
