#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// The game's score file, config.ini: written when the game window closes, read back with
// Module1::ReadIniValue.
namespace scorefile {

// Where the score file may live: the program's own folder and the per-user data folder.
struct Folders {
    QString programDir;
    QString userDataDir;
};

// This run's folders: the program's and this user's data folder for it.
Folders systemFolders();

// Whether the program may create files in a folder. Separate so tests can stand in for it:
// root passes every permission check.
using FolderTest = std::function<bool(const QString &folder)>;
bool isWritableFolder(const QString &folder);

// config.ini in the program's own folder when that folder is writable (a portable copy, a
// build tree), otherwise in the per-user data folder (an install in /usr/bin). The per-user
// folder need not exist yet: write() creates it.
QString resolvePath(const Folders &folders, const FolderTest &writable = isWritableFolder);

// The whole file for a caption: "[config]" and "label1=" + caption, GBK, CR LF after each.
QByteArray contents(QStringView caption);

// Replaces the file at `path` with contents(caption), creating its folder if needed. The new
// file is written beside the old one and renamed into place, so a failure at any point leaves
// the previous file whole. A symbolic link standing at `path` is replaced by the file, never
// written through. Returns the reason, in Chinese, when it failed.
std::optional<QString> write(const QString &path, QStringView caption);

} // namespace scorefile
