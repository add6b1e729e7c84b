#include "viewer/DKBookmark.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <sys/fsuid.h>
#include <unistd.h>

namespace {

// A save location over a settings file in a temporary folder, with a chooser that answers what the test
// says and counts how often it was asked.
class DKBookmarkTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }

    QString path(const QString &relative) const { return tmp_.path() + u'/' + relative; }
    QString settingsFile() const { return path(QStringLiteral("settings.ini")); }
    std::unique_ptr<QSettings> openSettings() const {
        return std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat);
    }

    std::unique_ptr<DKBookmark> makeBookmark() {
        return std::make_unique<DKBookmark>(openSettings(), [this] {
            ++panelShown_;
            return answer_;
        });
    }

    QTemporaryDir tmp_;
    QString answer_;
    int panelShown_ = 0;
};

bool isFolder(const QString &path) {
    return QFileInfo(path).isDir();
}

// Root ignores folder permissions. While this lives, the calling thread touches files as "nobody" (the
// file-system user id is per thread, and leaving 0 drops the override capabilities); a no-op for others.
class FileAccessAsNobody {
  public:
    FileAccessAsNobody() {
        if (geteuid() == 0) setfsuid(kNobody);
    }
    ~FileAccessAsNobody() {
        if (geteuid() == 0) setfsuid(0);
    }
    FileAccessAsNobody(const FileAccessAsNobody &) = delete;
    FileAccessAsNobody &operator=(const FileAccessAsNobody &) = delete;

  private:
    static constexpr uid_t kNobody = 65534;
};

TEST_F(DKBookmarkTest, CancelledPanelStoresNothingAndAsksAgain) {
    auto bookmark = makeBookmark();
    EXPECT_TRUE(bookmark->getSavePath().isEmpty());
    EXPECT_TRUE(bookmark->getSavePath().isEmpty());
    EXPECT_EQ(panelShown_, 2);
    EXPECT_TRUE(bookmark->g_save_path().isEmpty());
    EXPECT_TRUE(openSettings()->allKeys().isEmpty());
    EXPECT_EQ(QDir(tmp_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
}

TEST_F(DKBookmarkTest, PickedFolderBecomesZuvaRootThatLaterRunsRestore) {
    QDir().mkpath(path("Pictures"));
    answer_ = path("Pictures");
    const QString root = path("Pictures/ZUVA");

    auto bookmark = makeBookmark();
    EXPECT_EQ(bookmark->getSavePath(), root);
    EXPECT_TRUE(isFolder(root + "/CaptureImages"));
    EXPECT_TRUE(isFolder(root + "/RidirOvozev"));
    EXPECT_EQ(bookmark->getSavePath(), root);
    EXPECT_EQ(panelShown_, 1);
    EXPECT_EQ(openSettings()->value("save_path").toString(), root);

    // A later run restores the root without asking and finds its bookmark under the root's path.
    bookmark.reset();
    auto later = makeBookmark();
    EXPECT_EQ(later->g_save_path(), root);
    EXPECT_EQ(later->getSavePath(), root);
    EXPECT_EQ(panelShown_, 1);
    EXPECT_TRUE(later->BookmarkStartAccessingSecurityScopedResourceWithFilePath(root));
    EXPECT_TRUE(later->BookmarkStopAccessingSecurityScopedResourceWithFilePath(root));
}

TEST_F(DKBookmarkTest, FolderNamedZuvaStillGetsZuvaAppended) {
    QDir().mkpath(path("ZUVA"));
    answer_ = path("ZUVA");
    auto bookmark = makeBookmark();
    EXPECT_EQ(bookmark->getSavePath(), path("ZUVA/ZUVA"));
    EXPECT_TRUE(isFolder(path("ZUVA/ZUVA/CaptureImages")));
    EXPECT_EQ(DKBookmark::rootForPickedFolder(QStringLiteral("/")), QStringLiteral("/ZUVA"));
    EXPECT_EQ(DKBookmark::rootForPickedFolder(QStringLiteral("/a/b/")), QStringLiteral("/a/b/ZUVA"));
}

TEST_F(DKBookmarkTest, StoredRootWhoseFolderWasDeletedIsReturnedUnchanged) {
    const QString gone = path("Gone/ZUVA");
    openSettings()->setValue("save_path", gone);

    auto bookmark = makeBookmark();
    EXPECT_EQ(bookmark->getSavePath(), gone);
    EXPECT_EQ(panelShown_, 0);
    EXPECT_FALSE(QFileInfo::exists(gone));
    // No entry was ever made for it: access cannot start, and that is all.
    EXPECT_FALSE(bookmark->BookmarkStartAccessingSecurityScopedResourceWithFilePath(gone));
}

TEST_F(DKBookmarkTest, SetSavePathChangesOnlyThisRun) {
    auto bookmark = makeBookmark();
    bookmark->setSavePath(path("Elsewhere/ZUVA"));
    EXPECT_EQ(bookmark->getSavePath(), path("Elsewhere/ZUVA"));
    EXPECT_EQ(panelShown_, 0);
    EXPECT_FALSE(QFileInfo::exists(path("Elsewhere")));
    EXPECT_FALSE(openSettings()->contains("save_path"));
}

TEST_F(DKBookmarkTest, CreateDirectoryMakesMissingSubfoldersOfAnExistingRoot) {
    const QString root = path("Root/ZUVA");
    QDir().mkpath(root + "/CaptureImages");
    EXPECT_EQ(DKBookmark::CreateDirectory(root), root);
    EXPECT_TRUE(isFolder(root + "/CaptureImages"));
    EXPECT_TRUE(isFolder(root + "/RidirOvozev"));
}

TEST_F(DKBookmarkTest, CreateDirectoryThatCannotBeMadeCreatesNothing) {
    // A plain file where a parent folder should be.
    QFile blocker(path("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString blocked = path("blocker/ZUVA");
    EXPECT_EQ(DKBookmark::CreateDirectory(blocked), blocked);
    EXPECT_FALSE(QFileInfo::exists(blocked));
}

TEST_F(DKBookmarkTest, CreateDirectoryBelowReadOnlyFolderCreatesNothing) {
    const auto readAndSearch = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                               QFile::ReadOther | QFile::ExeOther;
    const QString readOnly = path("readonly");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    QFile::setPermissions(tmp_.path(), readAndSearch | QFile::WriteOwner);
    QFile::setPermissions(readOnly, readAndSearch);

    const QString below = readOnly + "/Pictures/ZUVA";
    {
        FileAccessAsNobody asNobody;
        ASSERT_FALSE(QDir().mkdir(readOnly + "/probe")) << "permissions do not bind this user";
        EXPECT_EQ(DKBookmark::CreateDirectory(below), below);
    }
    EXPECT_FALSE(QFileInfo::exists(readOnly + "/Pictures"));
    QFile::setPermissions(readOnly, readAndSearch | QFile::WriteOwner);
}

// QSettings would turn "/" into groups and fold "//": the entry must still be found under the exact
// string it was written under, and only under that one.
TEST_F(DKBookmarkTest, BookmarkEntryIsKeyedByTheExactPath) {
    const QStringList odd = {path("plain"), path("with space/und ümlaut"), path("per%2Fcent"),
                             path("back\\slash"), path("semi;colon=equals,comma")};
    auto bookmark = makeBookmark();
    for (const QString &p : odd) {
        ASSERT_TRUE(QDir().mkpath(p)) << p.toStdString();
        EXPECT_TRUE(bookmark->saveOpenFileToBookmarkWithFilePath(p)) << p.toStdString();
    }
    const QString doubled = tmp_.path() + "//plain";
    EXPECT_FALSE(bookmark->BookmarkStartAccessingSecurityScopedResourceWithFilePath(doubled));
    EXPECT_FALSE(bookmark->BookmarkStartAccessingSecurityScopedResourceWithFilePath(path("per/cent")));

    bookmark.reset();
    auto later = makeBookmark();
    for (const QString &p : odd)
        EXPECT_TRUE(later->BookmarkStartAccessingSecurityScopedResourceWithFilePath(p)) << p.toStdString();
    EXPECT_TRUE(later->removeFileBookmarkInfoWithFilePath(path("plain")));
    EXPECT_FALSE(later->removeFileBookmarkInfoWithFilePath(path("plain")));
    EXPECT_FALSE(later->BookmarkStopAccessingSecurityScopedResourceWithFilePath(path("plain")));
    EXPECT_TRUE(later->BookmarkStopAccessingSecurityScopedResourceWithFilePath(path("per%2Fcent")));
}

TEST_F(DKBookmarkTest, ChangingTheRootKeepsTheOldEntry) {
    QDir().mkpath(path("A"));
    QDir().mkpath(path("B"));
    answer_ = path("A");
    auto bookmark = makeBookmark();
    const QString first = bookmark->getSavePath();

    // The library's folder change, in its order.
    const QString second = DKBookmark::rootForPickedFolder(path("B"));
    bookmark->setSavePath(second);
    DKBookmark::CreateDirectory(second);
    EXPECT_TRUE(bookmark->persistSavePath(second));
    EXPECT_TRUE(bookmark->saveOpenFileToBookmarkWithFilePath(second));

    auto later = makeBookmark();
    EXPECT_EQ(later->g_save_path(), second);
    EXPECT_TRUE(later->BookmarkStartAccessingSecurityScopedResourceWithFilePath(first));
    EXPECT_TRUE(later->BookmarkStartAccessingSecurityScopedResourceWithFilePath(second));
}

TEST_F(DKBookmarkTest, NoBookmarkForAMissingFolder) {
    auto bookmark = makeBookmark();
    EXPECT_FALSE(bookmark->saveOpenFileToBookmarkWithFilePath(path("missing")));
    EXPECT_FALSE(bookmark->saveOpenFileToBookmarkWithFilePath(QString()));
    EXPECT_TRUE(openSettings()->allKeys().isEmpty());
}

TEST(DKBookmarkShared, EveryCallReturnsTheSameInstance) {
    DKBookmark &first = DKBookmark::defaultShareBookmark();
    EXPECT_EQ(&first, &DKBookmark::defaultShareBookmark());
}

}  // namespace
