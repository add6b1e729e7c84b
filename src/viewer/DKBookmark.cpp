#include "viewer/DKBookmark.h"

#include "viewer/ViewerSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// A bookmark here is this prefix followed by the folder's path in UTF-8: enough to map back to the path,
// and recognisably ours when read back from a store that other versions may have written.
const QByteArray kBookmarkPrefix = QByteArrayLiteral("deskcam-bookmark:");

// QSettings reads "/" in a key as a group separator and folds "//" and a leading "/" away, so a path used
// as a key would come back as another string (and "/a//b" would share the entry of "/a/b"). The key is
// therefore the path with "%", "/" and "\" percent-encoded, which decodes to exactly the path.
QString settingsKeyForPath(const QString &path) {
    QString key;
    key.reserve(path.size() + 16);
    for (QChar c : path) {
        if (c == u'%')
            key += QStringLiteral("%25");
        else if (c == u'/')
            key += QStringLiteral("%2F");
        else if (c == u'\\')
            key += QStringLiteral("%5C");
        else
            key += c;
    }
    return key;
}

bool makeFolder(const QString &path) {
    return QDir().mkpath(path);
}

// Installed once by main(), before the first window; read on the main thread only.
DKBookmark::FolderChooser &folderPanel() {
    static DKBookmark::FolderChooser panel;
    return panel;
}

}  // namespace

DKBookmark &DKBookmark::defaultShareBookmark() {
    static DKBookmark shared(ViewerSettings::open(), &DKBookmark::chooseFolderWithPanel);
    return shared;
}

DKBookmark::DKBookmark(std::unique_ptr<QSettings> settings, FolderChooser chooser)
    : settings_(std::move(settings)), chooser_(std::move(chooser)) {
    setG_save_path(settings_->value(kSavePathKey).toString());
    const QString restored = g_save_path();
    if (!restored.isEmpty()) BookmarkStartAccessingSecurityScopedResourceWithFilePath(restored);
}

DKBookmark::~DKBookmark() {
    const QString root = g_save_path();
    if (!root.isEmpty()) BookmarkStopAccessingSecurityScopedResourceWithFilePath(root);
}

QString DKBookmark::getSavePath() {
    const QString known = g_save_path();
    if (!known.isEmpty()) return known;

    const QString picked = chooser_ ? chooser_() : QString();
    if (picked.isEmpty()) return {};

    const QString root = rootForPickedFolder(picked);
    setG_save_path(root);
    CreateDirectory(root);
    persistSavePath(root);
    saveOpenFileToBookmarkWithFilePath(root);
    return root;
}

void DKBookmark::setSavePath(const QString &path) {
    setG_save_path(path);
}

QString DKBookmark::g_save_path() const {
    std::lock_guard lock(saveMutex_);
    return g_save_path_;
}

void DKBookmark::setG_save_path(const QString &path) {
    std::lock_guard lock(saveMutex_);
    g_save_path_ = path;
}

QString DKBookmark::CreateDirectory(const QString &path) {
    if (!makeFolder(path)) return path;
    makeFolder(path + u'/' + QLatin1String(kCaptureFolder));
    makeFolder(path + u'/' + QLatin1String(kRecordFolder));
    return path;
}

bool DKBookmark::saveOpenFileToBookmarkWithFilePath(const QString &path) {
    // Like a real grant, a bookmark can only be made of something that exists.
    if (path.isEmpty() || !QFileInfo::exists(path)) return false;
    settings_->setValue(settingsKeyForPath(path), kBookmarkPrefix + path.toUtf8());
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool DKBookmark::BookmarkStartAccessingSecurityScopedResourceWithFilePath(const QString &path) {
    // Access needs no start here: a resolvable bookmark is all there is to check.
    return !resolveBookmark(path).isEmpty();
}

bool DKBookmark::BookmarkStopAccessingSecurityScopedResourceWithFilePath(const QString &path) {
    return !resolveBookmark(path).isEmpty();
}

bool DKBookmark::removeFileBookmarkInfoWithFilePath(const QString &path) {
    const QString key = settingsKeyForPath(path);
    if (!settings_->contains(key)) return false;
    settings_->remove(key);
    return true;
}

bool DKBookmark::persistSavePath(const QString &path) {
    settings_->setValue(kSavePathKey, path);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString DKBookmark::rootForPickedFolder(const QString &picked) {
    // Always appended, also to a folder that is itself named "ZUVA".
    return QDir::cleanPath(picked + u'/' + QLatin1String(kRootComponent));
}

void DKBookmark::setFolderChooser(FolderChooser chooser) {
    chooser_ = std::move(chooser);
}

QString DKBookmark::chooseFolderWithPanel() {
    return folderPanel() ? folderPanel()() : QString();
}

void DKBookmark::setFolderPanel(FolderChooser panel) {
    folderPanel() = std::move(panel);
}

QString DKBookmark::resolveBookmark(const QString &path) const {
    const QByteArray bookmark = settings_->value(settingsKeyForPath(path)).toByteArray();
    if (!bookmark.startsWith(kBookmarkPrefix)) return {};
    return QString::fromUtf8(bookmark.mid(kBookmarkPrefix.size()));
}
