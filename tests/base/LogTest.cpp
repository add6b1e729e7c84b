#include "base/Log.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

TEST(Log, PrefixCarriesMillisecondTimeProgramAndThread) {
    // "YYYY-MM-DD HH:MM:SS.mmm name[pid:tid] "
    const std::string prefix = deskcam::logPrefix();
    const std::string shape = "dddd-dd-dd dd:dd:dd.ddd ";
    ASSERT_GT(prefix.size(), shape.size());
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd')
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(prefix[i]))) << prefix;
        else
            EXPECT_EQ(prefix[i], shape[i]) << prefix;
    }
    const auto open = prefix.find('['), colon = prefix.find(':', open), close = prefix.find("] ", colon);
    EXPECT_NE(open, std::string::npos);
    EXPECT_NE(colon, std::string::npos);
    EXPECT_EQ(close, prefix.size() - 2) << prefix;
}

TEST(Log, LineKeepsItsOwnLineEndAndStdoutIsUnprefixed) {
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
