#include "scorefile.h"

#include <QDir>
#include <QFileInfo>

namespace scorefile {

QString resolvePath(const Folders &folders)
{
    const QFileInfo programDir(folders.programDir);
    if (programDir.isDir() && programDir.isWritable())
        return QDir(folders.programDir).filePath(QStringLiteral("config.ini"));
    return QDir(folders.userDataDir).filePath(QStringLiteral("config.ini"));
}

} // namespace scorefile
