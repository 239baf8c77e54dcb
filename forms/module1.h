#pragma once

#include "scores/scorefile.h"

#include <QString>

#include <optional>

class Files;

// The program's shared code unit: the score file as the game window saves it and the
// leaderboard reads it back with ReadIniValue. Its path is decided once per run, at the first
// save or read, and both use that one path. main() builds one and hands it to the windows
// that need it.
class Module1 {
public:
    Module1(Files &files, scorefile::Folders folders);
    Module1(const Module1 &) = delete;
    Module1 &operator=(const Module1 &) = delete;

    // This run's folders: the program's as the system started it; `installedInto` is the
    // folder the build installs the program into.
    static scorefile::Folders systemFolders(Files &files, const QByteArray &installedInto);

    const QString &scoreFilePath();
    // The same path as a message shows it.
    QString scoreFileShownPath();

    // Replaces the score file with one holding `caption`. Returns why, in Chinese, when it
    // could not.
    std::optional<QString> saveScore(QStringView caption);

    // The value stored under `key` in `section` of the INI file at `file`, exactly as stored,
    // converted from GBK; empty for a missing file, section or key. Reads at most
    // scores::maxFileBytes of the file and never creates it.
    QString ReadIniValue(const QString &section, const QString &key, const QString &file);

private:
    Files &files_;
    scorefile::Folders folders_;
    QString path_;
};
