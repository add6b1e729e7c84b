#pragma once

#include "SubCommand.h"

// "ocr": prints the text of the page in a picture file.
extern const SubCommand kOcrCommand;
