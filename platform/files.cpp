#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// Whether `entry` is a name a save of `base` stages its bytes under: base, a dot, then the
// random part (base 36 of 32 bits).
bool isStagedName(const QByteArray &entry, const QByteArray &base)
{
    if (!entry.startsWith(base + '.'))
        return false;
    const QByteArray random = entry.mid(base.size() + 1);
    if (random.isEmpty() || random.size() > 7)
        return false;
    for (char c : random)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

// Removes the staged files that saves killed before their rename left beside `path`. Only a
// regular file older than staleStagedSeconds whose bytes begin like a score file (or that
// holds no more than a start of one) is taken: a file of the user's that happens to match
// the name stays.
void removeStaleStaged(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray("/") : path.left(slash);
    const QByteArray base = path.mid(slash + 1);
    DIR *dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return;
    const QByteArray head = QByteArrayLiteral("[config]\r\nlabel1=");
    const std::time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        struct stat info {};
        if (!isStagedName(name, base) ||
            ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || now - info.st_mtime < PosixFiles::staleStagedSeconds)
            continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        char bytes[32];
        const ssize_t n = ::read(fd, bytes, sizeof bytes);
        ::close(fd);
        const QByteArray start(bytes, n > 0 ? qsizetype(n) : 0);
        if (n >= 0 && (start.startsWith(head) || head.startsWith(start)))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Writes the bytes to a new file beside `path` and renames it over `path`. rename() replaces
// whatever stands there, a symbolic link included, and never follows it. Returns 0 or the
// errno of the step that failed; the new file is then gone again.
int replace(const QByteArray &path, const QByteArray &bytes)
{
    struct stat existing {};
    const bool exists = ::lstat(path.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return EISDIR;
    // A score file its owner made read-only is left as it is. One that is merely someone
    // else's (a save run once as root) is replaced: whether that may be done is the folder's
    // say, as for any file saved this way.
    const bool regular = exists && S_ISREG(existing.st_mode);
    if (regular && (existing.st_mode & S_IWUSR) == 0)
        return EACCES;

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
    // Root saving keeps the file its user's: otherwise every later save by the user would
    // meet a file of root's. Where the file system cannot change owners (FAT), the score
    // is worth more than the owner.
    if (error == 0 && regular && ::geteuid() == 0 &&
        ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
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

int PosixFiles::replaceFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int error = makeFolders(QFile::encodeName(QFileInfo(path).absolutePath()));
    if (error != 0)
        return error;
    removeStaleStaged(name);
    return replace(name, bytes);
}

QByteArray PosixFiles::readFile(const QString &path, qsizetype maxBytes)
{
    // Only a regular file: a directory, a device or a pipe at that path holds no score, and a
    // pipe would block the program waiting for a writer.
    if (!QFileInfo(path).isFile())
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(maxBytes);
}

bool PosixFiles::isWritableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

ProgramFolder PosixFiles::programFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n == ssize_t(sizeof buffer))
        return {};
    const QByteArray file(buffer, qsizetype(n));
    return reachFolder(file.left(std::max<qsizetype>(file.lastIndexOf('/'), 1)));
}

ProgramFolder PosixFiles::reachFolder(const QByteArray &name)
{
    const QString decoded = QFile::decodeName(name);
    if (QFile::encodeName(decoded) == name)
        return {name, decoded};
    // Qt holds file names as UTF-8 text, so a folder named in another encoding (GBK, as an
    // archive made on Windows unpacks) cannot be named to it. The folder is reached through a
    // descriptor kept open for the whole run instead.
    const int fd = ::open(name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return {name, fd >= 0 ? QStringLiteral("/proc/self/fd/%1").arg(fd) : QString()};
}

QString PosixFiles::homeFolder()
{
    // Without HOME, the home folder of the user's account (Qt would use "/").
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return home;
    const passwd *account = ::getpwuid(::getuid());
    return account != nullptr ? QFile::decodeName(account->pw_dir) : QDir::rootPath();
}
