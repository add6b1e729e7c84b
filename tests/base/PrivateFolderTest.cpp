#include "base/PrivateFolder.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// A scratch folder with a runtime folder variable that the test may point anywhere.
class PrivateFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/deskcam-private-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch_ = pattern;
        if (const char *runtime = std::getenv("XDG_RUNTIME_DIR")) savedRuntime_ = runtime;
    }
    void TearDown() override {
        if (savedRuntime_.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", savedRuntime_.c_str(), 1);
        fs::permissions(scratch_, fs::perms::owner_all);
        fs::remove_all(scratch_);
    }
    std::string folder(const char *name, mode_t mode) const {
        const std::string path = scratch_ + "/" + name;
        mkdir(path.c_str(), mode);
        chmod(path.c_str(), mode);
        return path;
    }

    std::string scratch_;
    std::string savedRuntime_;
};

TEST_F(PrivateFolderTest, OnlyADirectoryOfOursClosedToOthersIsPrivate) {
    EXPECT_TRUE(deskcam::isPrivateFolder(folder("closed", 0700)));
    EXPECT_FALSE(deskcam::isPrivateFolder(folder("open to the group", 0750)));
    EXPECT_FALSE(deskcam::isPrivateFolder(folder("open to all", 0777)));
    const std::string link = scratch_ + "/link";
    ASSERT_EQ(symlink(folder("target", 0700).c_str(), link.c_str()), 0);
    EXPECT_FALSE(deskcam::isPrivateFolder(link)) << "a link may be swapped for another folder later";
    EXPECT_FALSE(deskcam::isPrivateFolder(scratch_ + "/missing"));
    EXPECT_FALSE(deskcam::isPrivateFolder(""));
}

TEST_F(PrivateFolderTest, ThePrivateRuntimeFolderIsUsedAndAnOpenOneIsPassedOver) {
    const std::string runtime = folder("runtime", 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(deskcam::privateRuntimeFolder(), runtime);

    setenv("XDG_RUNTIME_DIR", folder("shared", 0777).c_str(), 1);
    const std::string fallback = deskcam::privateRuntimeFolder();
    EXPECT_EQ(fallback, "/tmp/deskcam-" + std::to_string(getuid()));
    EXPECT_TRUE(deskcam::isPrivateFolder(fallback));
}

TEST_F(PrivateFolderTest, APeerIsKnownByItsUserId) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ(deskcam::peerUser(pair[0]), getuid());
    close(pair[0]);
    close(pair[1]);
    EXPECT_EQ(deskcam::peerUser(-1), std::nullopt);
}

}  // namespace
