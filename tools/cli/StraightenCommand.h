#pragma once

#include "SubCommand.h"

// "straighten": finds the page in a picture file and writes it upright as PNG (the whole picture, with a
// note, when there is no page).
extern const SubCommand kStraightenCommand;
