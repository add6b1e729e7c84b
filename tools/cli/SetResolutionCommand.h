#pragma once

#include "SubCommand.h"

// "set-resolution INDEX": chooses entry INDEX (from 0) of the camera's resolution list the way the viewer's
// menu does, and waits for the camera's answer.
extern const SubCommand kSetResolutionCommand;
