#include "base/ThrottledLog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;
using deskcam::ThrottledLog;

struct Case {
    const char *name;
    std::vector<int> eventsAtMs;
    std::vector<unsigned long long> reported;  // what count() returned for each event
};

TEST(ThrottledLog, ReportsAtMostOneLinePerIntervalAndCarriesTheHeldBackCount) {
    const std::vector<Case> cases = {
        {"the first event is logged at once", {0}, {1}},
        {"a burst within the interval is held back", {0, 10, 20, 999}, {1, 0, 0, 0}},
        {"the next line after the interval counts what was held back", {0, 10, 20, 1000}, {1, 0, 0, 3}},
        {"events further apart than the interval are each logged", {0, 1500, 3000}, {1, 1, 1}},
        {"a steady flood gives one line per second",
         {0, 400, 800, 1200, 1600, 2000, 2400},
         {1, 0, 0, 3, 0, 0, 3}},
    };
    for (const Case &c : cases) {
        ThrottledLog log(1s);
        const ThrottledLog::Clock::time_point start{};
        std::vector<unsigned long long> reported;
        for (const int ms : c.eventsAtMs)
            reported.push_back(log.count(start + std::chrono::milliseconds(ms)));
        EXPECT_EQ(reported, c.reported) << c.name;
    }
}

}  // namespace
