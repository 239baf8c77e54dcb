#include "scores/scorefile.h"

#include "values/gbk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

namespace scorefile {

Folders foldersFor(const QByteArray &programFolder, const QString &reachedAs,
                   const QByteArray &installedInto, const QString &userDataDir)
{
    Folders folders;
    folders.programDir = reachedAs;
    folders.userDataDir = userDataDir;
    folders.installed = isInstalledFolder(programFolder, installedInto);
    if (QFile::encodeName(QFile::decodeName(programFolder)) != programFolder) {
        // A folder named in another encoding than the file names' (GBK, as an archive made
        // on Windows unpacks): its names that are not UTF-8 are shown decoded as GBK.
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

QString userDataFolder(const QString &xdgDataHome, const QString &home)
{
    // The base directory rules ask for a relative XDG_DATA_HOME to be ignored; Qt 6.4 takes it
    // as it is, and the score would follow the working folder.
    const QString base =
        QDir::isAbsolutePath(xdgDataHome) ? xdgDataHome : home + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/kelvane"));
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

std::optional<QByteArray> contents(QStringView caption, const char *encoding)
{
    const std::optional<QByteArray> value = gbk::tryEncode(caption, encoding);
    if (!value)
        return std::nullopt;
    return QByteArrayLiteral("[config]\r\nlabel1=") + *value + QByteArrayLiteral("\r\n");
}

QString failureReason(int error)
{
    QString reason;
    switch (error) {
    case ENOSPC: reason = QStringLiteral("磁盘空间不足"); break;
#ifdef EDQUOT
    case EDQUOT: reason = QStringLiteral("超出了磁盘配额"); break;
#endif
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

QString noConverterReason() { return QStringLiteral("缺少 GBK 编码转换器，无法写入分数"); }

} // namespace scorefile
