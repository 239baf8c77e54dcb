#pragma once

#include "runtime/services.h"

// The disk through the POSIX calls, for the score file. Written with the system's own calls
// rather than QSaveFile: a failure is then known by its errno, which the user is told in
// Chinese (Qt keeps only its English text), and a link at the path is replaced rather than
// written through.
class PosixFiles : public Files {
public:
    int replaceFile(const QString &path, const QByteArray &bytes) override;
    QByteArray readFile(const QString &path, qsizetype maxBytes) override;
    bool isWritableFolder(const QString &folder) override;
    ProgramFolder programFolder() override;
    QString homeFolder() override;

    // The folder named `name` (bytes), reached as programFolder() reaches the program's.
    static ProgramFolder reachFolder(const QByteArray &name);

    // A staged file this old is one a save left behind when it was killed; a younger one
    // may belong to another instance's save in progress.
    static constexpr int staleStagedSeconds = 60;
};
