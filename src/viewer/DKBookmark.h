#pragma once

// The process-wide save location: the folder (the save root) below which every capture and recording is
// written. The root is the folder the user picks, followed by the component "ZUVA", with the sub-folders
// "CaptureImages" and "RidirOvozev" (and "Scans" for scanned pages). It is remembered between runs in the
// user settings under "save_path", next to a bookmark entry keyed by the root's own path.
//
// On this platform there is no per-application file-access confinement, so a bookmark is a token that maps
// back to its path, and starting or stopping access succeeds without effect. The entries are still written
// and read as the library window and later runs expect them.
//
// The folder panel itself is a window, so it is not here: each program installs its own (setFolderPanel)
// and this part stays free of widgets, for the capture and record code that only needs the path.
//
// Thread use: main thread only, except the g_save_path accessors, which any thread may call.

#include "viewer/ViewerSettings.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>

class QSettings;

class DKBookmark {
  public:
    // Asks the user for one folder; returns its absolute path, or an empty string when the user cancels.
    using FolderChooser = std::function<QString()>;

    static constexpr const char *kSavePathKey = ViewerSettings::kSavePathKey;
    static constexpr const char *kRootComponent = "ZUVA";
    static constexpr const char *kCaptureFolder = "CaptureImages";
    static constexpr const char *kRecordFolder = "RidirOvozev";
    // Scanned pages (PDF); made when the first scan is saved, not by CreateDirectory.
    static constexpr const char *kScanFolder = "Scans";

    // The one instance of the app: the viewer's settings file (ViewerSettings), the folder panel as
    // chooser. Made on first use, which restores the root from "save_path".
    static DKBookmark &defaultShareBookmark();

    // A save location over a settings store of its own (tests, tools). Restores the root from "save_path"
    // in that store, as defaultShareBookmark() does.
    DKBookmark(std::unique_ptr<QSettings> settings, FolderChooser chooser);
    ~DKBookmark();

    DKBookmark(const DKBookmark &) = delete;
    DKBookmark &operator=(const DKBookmark &) = delete;

    // The save root; asks the user through the chooser when none is known yet. Empty when the user cancels
    // (nothing is stored then, and the next call asks again). A known root is returned as it is, even when
    // its folder has gone: callers' writes then fail and say so.
    QString getSavePath();
    // Sets the root for this run only: the caller persists it, creates its folders and bookmarks it.
    void setSavePath(const QString &path);

    QString g_save_path() const;
    void setG_save_path(const QString &path);

    // Creates path (with missing parents) and, only when that works, its "CaptureImages" and "RidirOvozev"
    // sub-folders. Returns path in every case; failures are not reported.
    static QString CreateDirectory(const QString &path);

    // Stores a bookmark of path under the key path and flushes the store. False when path does not exist
    // or the store could not be written.
    bool saveOpenFileToBookmarkWithFilePath(const QString &path);
    bool BookmarkStartAccessingSecurityScopedResourceWithFilePath(const QString &path);
    bool BookmarkStopAccessingSecurityScopedResourceWithFilePath(const QString &path);
    // Removes the bookmark entry of path (not flushed); false when there was none.
    bool removeFileBookmarkInfoWithFilePath(const QString &path);

    // Stores path under "save_path" and flushes the store (also the library's folder change). False when the
    // store could not be written.
    bool persistSavePath(const QString &path);

    // The save root for a folder the user picked: the folder followed by "ZUVA".
    static QString rootForPickedFolder(const QString &picked);

    void setFolderChooser(FolderChooser chooser);

    // The folder panel of the program: a modal chooser of one folder, installed by its main(). Without one
    // installed every choice is cancelled (an empty string), so code without a window never blocks.
    static QString chooseFolderWithPanel();
    static void setFolderPanel(FolderChooser panel);

  private:
    // Resolves the bookmark stored under path to the path it grants; empty when there is no entry or the
    // entry does not resolve.
    QString resolveBookmark(const QString &path) const;

    // --- main thread
    std::unique_ptr<QSettings> settings_;
    FolderChooser chooser_;
    // --- any thread (under saveMutex_)
    mutable std::mutex saveMutex_;
    QString g_save_path_;
};
