#pragma once

#include "SubCommand.h"

// "resolutions": asks the camera for its resolution list, as the viewer does after connecting, and prints one
// "WIDTH*HEIGHT" line per entry in the camera's order (repeats left out).
extern const SubCommand kResolutionsCommand;
