// Every test of this executable runs with a home and a settings location of its own, so nothing reads or
// writes the real user's settings (QSettings and QStandardPaths resolve them on first use, after this).

#include <QByteArray>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IsolatedHome : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        const QByteArray home = home_.path().toUtf8();
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        qputenv("XDG_DATA_HOME", home + "/.local/share");
        qputenv("XDG_CACHE_HOME", home + "/.cache");
        QStandardPaths::setTestModeEnabled(true);
    }

  private:
    QTemporaryDir home_;
};

const auto *const kIsolatedHome = ::testing::AddGlobalTestEnvironment(new IsolatedHome);

}  // namespace
