#include "scores/scorefile.h"

#include "values/gbk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace scorefile {

namespace {

// Writes the bytes to a fresh file beside `path` and renames it over `path`. rename()
// replaces a symbolic link standing there; it never follows it.
std::optional<QString> replaceLink(const QString &path, const QByteArray &bytes)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fdatasync(file.handle()) != 0) {
        const QString reason = file.errorString();
        return reason.isEmpty() ? QStringLiteral("写入不完整") : reason;
    }
    // The name of the new file; asking for it also gives a file created without one a name.
    const QByteArray staged = QFile::encodeName(file.fileName());
    if (std::rename(staged.constData(), QFile::encodeName(path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    file.setAutoRemove(false);
    return std::nullopt;
}

} // namespace

Folders systemFolders()
{
    return Folders{QCoreApplication::applicationDirPath(),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
}

bool isWritableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString resolvePath(const Folders &folders, const FolderTest &writable)
{
    const QString name = QStringLiteral("config.ini");
    if (!folders.programDir.isEmpty() && writable(folders.programDir))
        return QDir(folders.programDir).filePath(name);
    return QDir(folders.userDataDir).filePath(name);
}

QByteArray contents(QStringView caption)
{
    return QByteArrayLiteral("[config]\r\nlabel1=") + gbk::encode(caption) +
           QByteArrayLiteral("\r\n");
}

std::optional<QString> write(const QString &path, QStringView caption)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder));
    // QSaveFile writes through a symbolic link into whatever it points at: any file of the
    // user's, or of the system's for root. A link where the score file belongs is replaced
    // by the score file instead.
    if (QFileInfo(path).isSymLink())
        return replaceLink(path, contents(caption));
    if (QFileInfo(path).isDir())
        return QStringLiteral("该位置是一个文件夹");

    QSaveFile file(path);
    // Unbuffered, so a short write (a full disk, a file size limit) shows here: a buffered
    // one is flushed inside commit(), which then renames the truncated file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray bytes = contents(caption);
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            QString reason = file.errorString();
            file.cancelWriting();
            if (reason.isEmpty())
                reason = QStringLiteral("写入不完整");
            return reason;
        }
        done += written;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace scorefile
