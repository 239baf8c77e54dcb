#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// The rules of the game's score file, config.ini: its bytes, where it lives and how a failed
// save reads to the user. Pure: the disk is the files service's, reached by the caller.
namespace scorefile {

// Where the score file may live: the program's own folder and the per-user data folder.
struct Folders {
    // The program's folder as Qt's file names reach it.
    QString programDir;
    QString userDataDir;
    // An installed program never keeps its score beside itself, whoever runs it (root passes
    // every permission test); a build tree or a portable copy does.
    bool installed = false;
    // How programDir reads in a message, where that differs from programDir itself.
    QString programDirShown = {};
};

// The folders of a program in the folder the system names `programFolder` (bytes), which
// Qt's file names reach as `reachedAs`; `installedInto` is the folder the build installs the
// program into.
Folders foldersFor(const QByteArray &programFolder, const QString &reachedAs,
                   const QByteArray &installedInto, const QString &userDataDir);

// Whether a program in `folder` (bytes) is an installed one: in `installedInto`, in a folder
// named bin, sbin or games, or under /usr, /opt and the like.
bool isInstalledFolder(const QByteArray &folder, const QByteArray &installedInto);

// $XDG_DATA_HOME/kelvane when that is an absolute path, otherwise ~/.local/share/kelvane.
QString userDataFolder(const QString &xdgDataHome, const QString &home);

// Whether the program may create files in a folder.
using FolderTest = std::function<bool(const QString &folder)>;

// config.ini in the program's own folder when that is a build tree or a portable copy whose
// folder is writable, otherwise in the per-user data folder. The per-user folder need not
// exist yet: the save creates it.
QString resolvePath(const Folders &folders, const FolderTest &writable);

// The path as the user should read it in a message.
QString shownPath(const Folders &folders, const QString &path);

// The whole file for a caption: "[config]" and "label1=" + caption, GBK, CR LF after each.
// Nothing when the converter for `encoding` is missing (a Qt built without ICU): a score
// saved then would be an empty one.
std::optional<QByteArray> contents(QStringView caption, const char *encoding = "GBK");

// Why a save failed, for the user, from the system's error number: a short reason in
// Chinese, then the system's own words in brackets.
QString failureReason(int error);

// The reason when contents() has nothing to save.
QString noConverterReason();

} // namespace scorefile
