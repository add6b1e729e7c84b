#pragma once

#include "SubCommand.h"

// "scan": takes N pages from the camera, S seconds apart, and saves them as one searchable PDF.
extern const SubCommand kScanCommand;
