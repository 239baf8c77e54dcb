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
    // The program's folder as the file code here names it.
    QString programDir;
    QString userDataDir;
    // An installed program never keeps its score beside itself, whoever runs it (root passes
    // every permission test); a build tree or a portable copy does.
    bool installed = false;
    // How programDir reads in a message, where that differs from programDir itself.
    QString programDirShown = {};
};

// This run's folders, for the program file the system started; `installedInto` is the folder
// the build installs the program into.
Folders systemFolders(const QByteArray &installedInto);

// The folders of a program in `programFolder`, the system's name for it in bytes;
// `installedInto` is the folder the build installs the program into.
Folders foldersFor(const QByteArray &programFolder, const QByteArray &installedInto);

// Whether a program in `folder` (bytes) is an installed one: in `installedInto`, in a folder
// named bin, sbin or games, or under /usr, /opt and the like.
bool isInstalledFolder(const QByteArray &folder, const QByteArray &installedInto);

// $XDG_DATA_HOME/kelvane, or ~/.local/share/kelvane.
QString userDataFolder();

// Whether the program may create files in a folder. Separate so tests can stand in for it:
// root passes every permission check.
using FolderTest = std::function<bool(const QString &folder)>;
bool isWritableFolder(const QString &folder);

// config.ini in the program's own folder when that is a build tree or a portable copy whose
// folder is writable, otherwise in the per-user data folder. The per-user folder need not
// exist yet: write() creates it.
QString resolvePath(const Folders &folders, const FolderTest &writable = isWritableFolder);

// The path as the user should read it in a message.
QString shownPath(const Folders &folders, const QString &path);

// The whole file for a caption: "[config]" and "label1=" + caption, GBK, CR LF after each.
QByteArray contents(QStringView caption);

// Replaces the file at `path` with contents(caption), creating its folder if needed. The new
// file is written beside the old one and renamed into place, so a failure at any point leaves
// the previous file whole. A symbolic link standing at `path` is replaced by the file, never
// written through. Returns the reason, in Chinese, when it failed.
std::optional<QString> write(const QString &path, QStringView caption);

} // namespace scorefile
