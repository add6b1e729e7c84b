#include "StraightenCommand.h"

#include "PageScan.h"
#include "scan/ScanLook.h"

#include <cstdio>

namespace {

int runStraighten(const CliArguments &arguments) {
    const std::string in = arguments.arguments()[0], out = arguments.arguments()[1];
    const auto look = ScanLook::fromName(arguments.text("--look", "colour"));
    if (!look) {
        std::fprintf(stderr, "deskcam-cli straighten: --look is one of %s\n", ScanLook::names().c_str());
        return kExitUsage;
    }
    QImage picture;
    std::string error, note;
    if (!PageScan::loadPicture(in, picture, error)) {
        std::fprintf(stderr, "deskcam-cli straighten: %s\n", error.c_str());
        return kExitFailed;
    }
    const QImage page = PageScan::uprightPage(picture, note);
    if (!note.empty()) std::fprintf(stderr, "deskcam-cli straighten: %s\n", note.c_str());
    if (!ScanLook::apply(page, *look).save(QString::fromLocal8Bit(out.c_str()), "PNG")) {
        std::fprintf(stderr, "deskcam-cli straighten: could not write %s\n", out.c_str());
        return kExitFailed;
    }
    std::printf("%s\n", out.c_str());
    return kExitOk;
}

}  // namespace

const SubCommand kStraightenCommand = {
    "straighten",
    "find the page in the picture IN (JPEG or PNG), straighten it and write it as PNG to OUT.png; without "
    "a page the whole picture is written",
    {
        {"--look", true, false, "LOOK", "colour (default), grey or bw (black and white)"},
    },
    {"IN", "OUT.png"},
    runStraighten,
};
