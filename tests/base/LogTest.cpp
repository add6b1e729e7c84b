#include "base/Log.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(Log, PrefixCarriesMillisecondTimeProgramAndThread)
{
    const std::string prefix = deskcam::logPrefix();
    EXPECT_TRUE(std::regex_match(prefix, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S+\[\d+:\d+\] )")))
        << prefix;
}

TEST(Log, LineKeepsItsOwnLineEndAndStdoutIsUnprefixed)
{
    testing::internal::CaptureStderr();
    deskcam::logLine("frame %d\r\n", 7);
    deskcam::logLine("plain");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("] frame 7\r\n"), std::string::npos);
    EXPECT_EQ(err.find("frame 7\r\n\n"), std::string::npos);
    EXPECT_NE(err.find("] plain\n"), std::string::npos);

    testing::internal::CaptureStdout();
    deskcam::stdoutLine("%lu*%lu\r\n", 1920ul, 1080ul);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1920*1080\r\n");
}

}  // namespace
