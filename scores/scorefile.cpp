#include "scores/scorefile.h"

#include "values/gbk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scorefile {

namespace {

// Why a save failed, for the user: a short reason in Chinese, then the system's own words.
QString reasonFor(int error)
{
    QString reason;
    switch (error) {
    case ENOSPC: reason = QStringLiteral("磁盘空间不足"); break;
    case EDQUOT: reason = QStringLiteral("超出了磁盘配额"); break;
    case EFBIG: reason = QStringLiteral("超出了文件大小的限制"); break;
    case EACCES:
    case EPERM: reason = QStringLiteral("没有写入权限"); break;
    case EROFS: reason = QStringLiteral("文件系统是只读的"); break;
    case EISDIR: reason = QStringLiteral("该位置是一个文件夹"); break;
    case ENOTDIR: reason = QStringLiteral("路径中有一项不是文件夹"); break;
    case ENAMETOOLONG: reason = QStringLiteral("路径太长"); break;
    case ELOOP: reason = QStringLiteral("路径中的符号链接太多或形成了循环"); break;
    case ENOENT: reason = QStringLiteral("文件或文件夹不存在"); break;
    case EIO: reason = QStringLiteral("读写设备出错"); break;
    case EMFILE:
    case ENFILE: reason = QStringLiteral("打开的文件太多"); break;
    default: reason = QStringLiteral("无法写入"); break;
    }
    return reason + QStringLiteral("（%1）").arg(QString::fromLocal8Bit(std::strerror(error)));
}

// Creates `folder` and the folders above it that are missing. Returns 0 or the errno.
int makeFolders(const QByteArray &folder)
{
    for (qsizetype end = folder.indexOf('/', 1);; end = folder.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? folder : folder.left(end);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
        if (end < 0)
            break;
    }
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// Writes the bytes to a new file beside `path` and renames it over `path`. rename() replaces
// whatever stands there, a symbolic link included, and never follows it. Returns 0 or the
// errno of the step that failed; the new file is then gone again.
int replaceFile(const QByteArray &path, const QByteArray &bytes)
{
    struct stat existing {};
    const bool exists = ::lstat(path.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return EISDIR;
    // A score file the user made read-only is left as it is.
    const bool regular = exists && S_ISREG(existing.st_mode);
    if (regular && ::access(path.constData(), W_OK) != 0)
        return errno;

    QByteArray staged;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        staged = path + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        // A new file gets 0666 less the umask, as any saved file does.
        fd = ::open(staged.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;

    int error = 0;
    for (qsizetype done = 0; error == 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0)
            error = EIO;
        else if (errno != EINTR)
            error = errno;
    }
    // The file it replaces keeps its permissions.
    if (error == 0 && regular && ::fchmod(fd, existing.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && ::fdatasync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(staged.constData(), path.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(staged.constData());
    return error;
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
    // The file is written with the system's own calls rather than QSaveFile: a failure is
    // then known by its errno, which the user is told in Chinese (Qt keeps only its English
    // text), and a link at the path is replaced rather than written through.
    int error = makeFolders(QFile::encodeName(QFileInfo(path).absolutePath()));
    if (error == 0)
        error = replaceFile(QFile::encodeName(path), contents(caption));
    if (error == 0)
        return std::nullopt;
    return reasonFor(error);
}

} // namespace scorefile
