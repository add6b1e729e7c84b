#pragma once

#include "SubCommand.h"

// "capture": waits for the camera's newest picture and writes it as PNG to OUT.png through the same save
// the viewer's capture button uses.
extern const SubCommand kCaptureCommand;
