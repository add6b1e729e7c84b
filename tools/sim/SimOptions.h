#pragma once

// deskcam-sim's command line. Every option is one row of the table in SimOptions.cpp: add a field here and a
// row there.

#include "CommandServer.h"
#include "FlashingPictures.h"
#include "ImageServer.h"
#include "device/CameraAddress.h"

#include <cstdint>
#include <string>
#include <vector>

struct SimOptions {
    std::string host = "127.0.0.1";
    std::uint16_t imagePort = kImagePort;
    std::uint16_t commandPort = kCommandPort;
    double fps = 25;
    int width = 1920;
    int height = 1080;
    int jpegQuality = 85;
    std::string framesDir;  // empty: the generated picture
    bool page = false;      // the page on a desk instead of the test card
    ImageStreamFaults faults;
    std::vector<SimResolution> resolutions = {{1920, 1080}, {1280, 720}, {640, 480}};
    bool badListLength = false;      // command fault: list replies of the wrong length
    bool refuseSet = false;          // command fault: every set request refused
    int commandDelayMs = 0;          // command fault: the service comes up this late
    bool shortSetReply = false;      // command fault: set replies cut short
    int replyFloodPerSecond = 0;     // command fault: unrequested list replies at this rate
    FlashingPictures::Window flash;  // lengthMs 0: no flash
    bool help = false;
    bool version = false;
};

// Parses the arguments (the program name first) through the rows' OptionTable. Returns false with error set
// on a bad option or a stray argument.
bool parseSimOptions(int argc, char **argv, SimOptions &options, std::string &error);
std::string simUsage();
