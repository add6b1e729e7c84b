#include "SimOptions.h"

#include "base/OptionTable.h"

#include <charconv>
#include <functional>
#include <limits>
#include <vector>

namespace {

struct OptionRow {
    const char *name;   // without dashes
    const char *value;  // nullptr: a flag without value
    std::string help;
    std::function<bool(SimOptions &, const std::string &)> apply;
};

template <typename T>
bool parseNumber(const std::string &text, T &out, T min = 0, T max = std::numeric_limits<T>::max()) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) return false;
    out = value;
    return true;
}

bool parseSize(const std::string &text, int &width, int &height) {
    const auto x = text.find('x');
    if (x == std::string::npos) return false;
    int w = 0, h = 0;
    if (!parseNumber(text.substr(0, x), w, 1, 16384) || !parseNumber(text.substr(x + 1), h, 1, 16384))
        return false;
    width = w;
    height = h;
    return true;
}

// "1920x1080,1280x720": the offered resolutions in reply order; repeats are kept.
bool parseResolutions(const std::string &text, std::vector<SimResolution> &out) {
    std::vector<SimResolution> resolutions;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = std::min(text.find(',', start), text.size());
        SimResolution resolution;
        if (!parseSize(text.substr(start, comma - start), resolution.width, resolution.height)) return false;
        resolutions.push_back(resolution);
        start = comma + 1;
    }
    out = std::move(resolutions);
    return true;
}

const std::vector<OptionRow> &optionTable() {
    static const std::vector<OptionRow> rows = {
        {"host", "ADDR", "address to listen on (default 127.0.0.1)",
         [](SimOptions &o, const std::string &v) {
             o.host = v;
             return !v.empty();
         }},
        {"image-port", "PORT",
         "TCP port of the image stream (default " + std::to_string(kImagePort) + "; 0 = any free port)",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.imagePort); }},
        {"command-port", "PORT",
         "UDP port of the command service (default " + std::to_string(kCommandPort) + "; 0 = any free port)",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.commandPort); }},
        {"resolutions", "WxH,...",
         "resolutions the command service offers, in order, repeats allowed (default "
         "1920x1080,1280x720,640x480)",
         [](SimOptions &o, const std::string &v) { return parseResolutions(v, o.resolutions); }},
        {"bad-list-length", nullptr, "answer the resolution-list request with a reply one byte short",
         [](SimOptions &o, const std::string &) { return o.badListLength = true; }},
        {"refuse-set", nullptr, "refuse every set-resolution request",
         [](SimOptions &o, const std::string &) { return o.refuseSet = true; }},
        {"command-delay", "MS",
         "open the command service MS milliseconds after start (its port is closed until then)",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.commandDelayMs); }},
        {"short-set-reply", nullptr, "answer set-resolution requests with a reply cut short",
         [](SimOptions &o, const std::string &) { return o.shortSetReply = true; }},
        {"reply-flood", "PER_SECOND",
         "after the first request, send unrequested 600-entry list replies at this rate",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.replyFloodPerSecond, 1, 10000); }},
        {"fps", "N", "pictures per second (default 25; 0 = as fast as the client reads)",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.fps, 0.0, 1000.0); }},
        {"size", "WxH", "size of the test card or page (default 1920x1080)",
         [](SimOptions &o, const std::string &v) { return parseSize(v, o.width, o.height); }},
        {"quality", "Q", "JPEG quality of the test card or page, 1-100 (default 85)",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.jpegQuality, 1, 100); }},
        {"picture", "card|page",
         "what the camera shows: the test card (default) or a printed page lying on a desk",
         [](SimOptions &o, const std::string &v) {
             o.page = v == "page";
             return v == "page" || v == "card";
         }},
        {"frames-dir", "DIR", "send the .jpg files of DIR in name order instead of the test card",
         [](SimOptions &o, const std::string &v) {
             o.framesDir = v;
             return !v.empty();
         }},
        {"garbage", "BYTES", "send BYTES random bytes before the first start marker",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.garbageBytes); }},
        {"chunk", "N", "write the stream in random pieces of 1 to N bytes",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.chunk); }},
        {"bad-length-every", "N", "every Nth frame declares a length with its top byte set",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.badLengthEvery); }},
        {"bad-picture-every", "N", "every Nth frame carries bytes that are not a JPEG",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.badPictureEvery); }},
        {"scan-bomb-every", "N", "every Nth frame is a progressive picture followed by 100000 empty scans",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.scanBombEvery); }},
        {"stall-after", "N", "stop sending after N frames of each connection (it stays open)",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.stallAfter); }},
        {"close-after", "N", "close each connection after N frames",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.closeAfter); }},
        {"first-frame-delay", "MS", "send the first frame of each connection MS milliseconds late",
         [](SimOptions &o, const std::string &v) { return parseNumber(v, o.faults.firstFrameDelayMs); }},
        {"flash", "START_MS:LENGTH_MS[:PERIOD_MS]",
         "send white pictures from START_MS (ms since the Unix epoch) for LENGTH_MS, again every PERIOD_MS "
         "(recording sync checks)",
         [](SimOptions &o, const std::string &v) {
             const auto first = v.find(':');
             const auto second = first == std::string::npos ? first : v.find(':', first + 1);
             if (first == std::string::npos || !parseNumber(v.substr(0, first), o.flash.startMs))
                 return false;
             if (second == std::string::npos)
                 return parseNumber(v.substr(first + 1), o.flash.lengthMs, std::int64_t{1});
             return parseNumber(v.substr(first + 1, second - first - 1), o.flash.lengthMs, std::int64_t{1}) &&
                    parseNumber(v.substr(second + 1), o.flash.periodMs, o.flash.lengthMs + 1);
         }},
    };
    return rows;
}

const OptionTable &simTable() {
    static const OptionTable table = [] {
        OptionTable t(QStringLiteral("deskcam-sim"));
        t.setSynopsis(QStringLiteral("[options]"))
            .setDescription(QStringLiteral(
                "Simulates the document camera on this machine. Prints one line per bound port on standard "
                "output\n(\"image-port N\", \"command-port N\"), then serves until SIGINT or SIGTERM."))
            .setHelpColumn(26);
        for (const OptionRow &row : optionTable())
            t.add({{QString::fromLatin1(row.name)},
                   row.value ? QString::fromLatin1(row.value) : QString(),
                   QString::fromStdString(row.help)});
        t.addHelp(QStringLiteral("show this text")).addVersion(QStringLiteral("show the version"));
        return t;
    }();
    return table;
}

}  // namespace

bool parseSimOptions(int argc, char **argv, SimOptions &options, std::string &error) {
    const OptionTable::Parsed parsed = simTable().parse(OptionTable::words(argc, argv));
    if (!parsed.ok()) {
        error = parsed.error.toStdString();
        return false;
    }
    for (const OptionRow &row : optionTable()) {
        const QString name = QString::fromLatin1(row.name);
        if (!parsed.isSet(name)) continue;
        const std::string value = parsed.value(name).toStdString();
        if (!row.apply(options, value)) {
            error = "bad value for --" + std::string(row.name) + ": " + value;
            return false;
        }
    }
    options.help = parsed.isSet(QStringLiteral("help"));
    options.version = parsed.isSet(QStringLiteral("version"));
    return true;
}

std::string simUsage() {
    return simTable().helpText().toStdString();
}
