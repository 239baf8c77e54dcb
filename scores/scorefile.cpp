#include "scores/scorefile.h"

#include "values/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scorefile {

namespace {

// The program file's folder as the system names it, in bytes.
QByteArray programFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n == ssize_t(sizeof buffer))
        return {};
    const QByteArray file(buffer, qsizetype(n));
    return file.left(std::max<qsizetype>(file.lastIndexOf('/'), 1));
}

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

Folders systemFolders(const QByteArray &installedInto)
{
    return foldersFor(programFolder(), installedInto);
}

Folders foldersFor(const QByteArray &programFolder, const QByteArray &installedInto)
{
    Folders folders;
    folders.userDataDir = userDataFolder();
    folders.installed = isInstalledFolder(programFolder, installedInto);
    const QString decoded = QFile::decodeName(programFolder);
    if (QFile::encodeName(decoded) == programFolder) {
        folders.programDir = decoded;
    } else {
        // Qt holds file names as UTF-8 text, so a folder named in another encoding (GBK, as an
        // archive made on Windows unpacks) cannot be named to it. The folder is reached through
        // a descriptor kept open for the whole run instead, and its names that are not UTF-8
        // are shown decoded as GBK.
        const int fd = ::open(programFolder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
            folders.programDir = QStringLiteral("/proc/self/fd/%1").arg(fd);
        for (const QByteArray &name : programFolder.split('/')) {
            const QString text = QFile::decodeName(name);
            folders.programDirShown += QFile::encodeName(text) == name ? text : gbk::decode(name);
            folders.programDirShown += QLatin1Char('/');
        }
        folders.programDirShown.chop(1);
    }
    return folders;
}

bool isInstalledFolder(const QByteArray &folder, const QByteArray &installedInto)
{
    // Installed: in the folder the build installs into, in a folder named like an install's
    // program folder (a package's, a copy of an install, ~/.local/bin), or anywhere in the
    // system's own trees or a package manager's store. A build tree or an unpacked portable
    // copy is none of these. Root passes every permission test, so this, not whether the
    // folder may be written, keeps an installed program from writing beside itself.
    if (folder == installedInto)
        return true;
    const QByteArray name = folder.mid(folder.lastIndexOf('/') + 1);
    if (name == "bin" || name == "sbin" || name == "games")
        return true;
    for (const char *system :
         {"/usr", "/opt", "/lib", "/snap", "/app", "/nix/store", "/gnu/store"}) {
        const QByteArray tree(system);
        if (folder == tree || folder.startsWith(tree + '/'))
            return true;
    }
    return false;
}

QString userDataFolder()
{
    // The base directory rules ask for a relative XDG_DATA_HOME to be ignored; Qt 6.4 takes it
    // as it is, and the score would follow the working folder. Without HOME, the home folder
    // of the user's account (Qt would use "/").
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(base)) {
        QString home = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(home)) {
            const passwd *account = ::getpwuid(::getuid());
            home = account != nullptr ? QFile::decodeName(account->pw_dir) : QDir::rootPath();
        }
        base = home + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(base + QStringLiteral("/kelvane"));
}

bool isWritableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString resolvePath(const Folders &folders, const FolderTest &writable)
{
    const QString name = QStringLiteral("config.ini");
    if (!folders.installed && !folders.programDir.isEmpty() && writable(folders.programDir))
        return QDir(folders.programDir).filePath(name);
    return QDir(folders.userDataDir).filePath(name);
}

QString shownPath(const Folders &folders, const QString &path)
{
    const QString inProgramDir = folders.programDir + QLatin1Char('/');
    if (!folders.programDirShown.isEmpty() && path.startsWith(inProgramDir))
        return QDir::toNativeSeparators(folders.programDirShown +
                                        path.mid(inProgramDir.size() - 1));
    return QDir::toNativeSeparators(path);
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
