#pragma once

#include "SubCommand.h"

extern const SubCommand kTimeLapseCommand;
