// The disk adapter on real files: what a save does on each fault the disk and the file
// system can give, what it replaces and what it keeps, and what a read takes.
//
// Runs in a private mount namespace when the process may make one (root in most containers),
// for a real full disk and a real read-only file system; the rows that save as another user
// need root. Without them those rows are skipped.
#include "platform/files.h"
#include "platform/startup.h"
#include "tests/support/diskfiles.h"
#include "tests/support/mounts.h"
#include "values/gbk.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <ctime>
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace {

// While set, the rename that puts a new config.ini into place finds its source gone, as if
// something removed the freshly written file between the write and the rename.
bool vanishBeforeRename = false;

} // namespace

// Stands in for the C library's rename(), which the writer calls.
extern "C" int rename(const char *from, const char *to)
{
    using Rename = int (*)(const char *, const char *);
    const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    if (vanishBeforeRename && QByteArray(to).endsWith("/config.ini"))
        ::unlink(from);
    return real(from, to);
}

namespace {

// A user without an account, as whom root's tests save.
constexpr uid_t user = 4321;

// Saves in a child process that starts as the program does (SIGXFSZ at its default, then the
// program's start-up), under a file-size limit when `sizeLimit` is not 0, as `uid` when that
// is not 0. The error number, or -1 when the save ended the child.
int saveInChild(const QString &path, const QByteArray &bytes, rlim_t sizeLimit, uid_t uid)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        ignoreWriteSignals();
        const rlimit limit{sizeLimit, sizeLimit};
        if ((sizeLimit != 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0) ||
            (uid != 0 && (::setgid(uid) != 0 || ::setuid(uid) != 0)))
            ::_exit(255);
        ::_exit(PosixFiles().replaceFile(path, bytes));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct stat statOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

void age(const QString &path, int seconds)
{
    const std::time_t then = std::time(nullptr) - seconds;
    const utimbuf times{then, then};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

const QByteArray previous = "[config]\r\nlabel1=\xD7\xDC\xB7\xD6:120\r\n";
const QByteArray saved = "[config]\r\nlabel1=\xB7\xD6\xCA\xFD\x33\x30\r\n";

} // namespace

class TestFiles : public QObject {
    Q_OBJECT
public:
    explicit TestFiles(bool privateMounts) : privateMounts_(privateMounts) {}

private slots:
    void replaceFile_data();
    void replaceFile();
    void readFile_data();
    void readFile();
    void isWritableFolder_data();
    void isWritableFolder();
    void homeFolder_data();
    void homeFolder();
    void programFolder();

private:
    bool privateMounts_;
};

void TestFiles::replaceFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("error");
    QTest::newRow("file-size limit (ulimit -f)") << "size limit" << EFBIG;
    QTest::newRow("disk fills during the write") << "disk full" << ENOSPC;
    QTest::newRow("read-only file system") << "read-only mount" << EROFS;
    QTest::newRow("read-only folder") << "read-only folder" << EACCES;
    QTest::newRow("a file its owner made read-only") << "read-only file" << EACCES;
    QTest::newRow("a folder where the file should be") << "folder" << EISDIR;
    QTest::newRow("a file where a folder should be") << "file" << ENOTDIR;
    QTest::newRow("a name too long") << "long name" << ENAMETOOLONG;
    QTest::newRow("a loop of links in the path") << "link loop" << ELOOP;
    QTest::newRow("the new file vanishes before the rename") << "vanish" << ENOENT;
    // What a save replaces and keeps. A new file gets 0666 less the umask (022 here).
    QTest::newRow("no file yet") << "nothing" << 0;
    QTest::newRow("a file replaced keeps its mode") << "file 0600" << 0;
    QTest::newRow("root's file in the user's folder is the user's to replace") << "root's" << 0;
    QTest::newRow("root saving keeps the user's owner and group") << "as root" << 0;
    QTest::newRow("link to another file of the user's") << "link to a file" << 0;
    QTest::newRow("link to a file that does not exist") << "link to nothing" << 0;
    QTest::newRow("link to a folder") << "link to a folder" << 0;
    QTest::newRow("link to itself") << "link to itself" << 0;
    QTest::newRow("the folders above are created") << "missing folders" << 0;
    QTest::newRow("a folder named in GBK") << "gbk folder" << 0;
    QTest::newRow("staged files left a minute ago are removed") << "stale staged" << 0;
}

void TestFiles::replaceFile()
{
    QFETCH(QString, fault);
    QFETCH(int, error);
    const bool root = ::geteuid() == 0;
    const bool asUser =
        fault == QLatin1String("root's") || (root && fault == QLatin1String("read-only folder"));
    if (fault == QLatin1String("as root") || fault == QLatin1String("root's")) {
        if (!root)
            QSKIP("needs root, to save as another user");
    }
    const mode_t savedMask = ::umask(022);
    const auto restoreMask = qScopeGuard([&] { ::umask(savedMask); });
    QTemporaryDir dir;
    const QString folder = dir.path();
    std::unique_ptr<Tmpfs> tmpfs;
    if (fault == QLatin1String("disk full") || fault == QLatin1String("read-only mount")) {
        if (!privateMounts_)
            QSKIP("no private mount namespace here for a tmpfs");
        tmpfs = std::make_unique<Tmpfs>(folder, 16);
        QVERIFY(tmpfs->isMounted());
    }
    QString path = dir.filePath(QStringLiteral("config.ini"));
    QByteArray bytes = saved;
    QVERIFY(writeBytes(path, previous));
    rlim_t sizeLimit = 0;
    QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir(folder).mkdir(QStringLiteral("elsewhere")));
    const QByteArray gbkFolder = QFile::encodeName(folder) + '/' + gbk::encode(u"打字练习");
    QString stale, young, usersOwn;

    if (fault == QLatin1String("size limit")) {
        sizeLimit = 16;
    } else if (fault == QLatin1String("disk full")) {
        // One block left: the first goes in, the second finds the disk full.
        fillUp(folder);
        const QString filler = dir.filePath(QStringLiteral("filler"));
        QVERIFY(QFile::resize(filler, QFileInfo(filler).size() - 4096));
        bytes += QByteArray(6000, '9');
    } else if (fault == QLatin1String("read-only mount")) {
        QVERIFY(tmpfs->makeReadOnly());
    } else if (fault == QLatin1String("read-only folder")) {
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        if (root)
            QVERIFY(::chown(QFile::encodeName(folder).constData(), user, user) == 0);
    } else if (fault == QLatin1String("read-only file")) {
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    } else if (fault == QLatin1String("folder")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(folder).mkdir(QStringLiteral("config.ini")));
    } else if (fault == QLatin1String("file")) {
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("share")), "x"));
        path = dir.filePath(QStringLiteral("share/kelvane/config.ini"));
    } else if (fault == QLatin1String("long name")) {
        path = dir.filePath(QString(300, QLatin1Char('x')) + QStringLiteral("/config.ini"));
    } else if (fault == QLatin1String("link loop")) {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("loop")),
                            dir.filePath(QStringLiteral("loop"))));
        path = dir.filePath(QStringLiteral("loop/config.ini"));
    } else if (fault == QLatin1String("vanish")) {
        vanishBeforeRename = true;
    } else if (fault == QLatin1String("nothing") || fault == QLatin1String("missing folders")) {
        QVERIFY(QFile::remove(path));
        if (fault == QLatin1String("missing folders"))
            path = dir.filePath(QStringLiteral("share/kelvane/config.ini"));
    } else if (fault == QLatin1String("file 0600")) {
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (fault == QLatin1String("root's")) {
        // A save run once as root left the file root's (0644) in the user's own folder.
        QVERIFY(::chown(QFile::encodeName(folder).constData(), user, user) == 0);
    } else if (fault == QLatin1String("as root")) {
        QVERIFY(::chown(QFile::encodeName(path).constData(), user, user) == 0);
    } else if (fault.startsWith(QLatin1String("link to"))) {
        QVERIFY(QFile::remove(path));
        QString target = path;
        if (fault == QLatin1String("link to a file")) {
            usersOwn = QDir(elsewhere).filePath(QStringLiteral("notes.txt"));
            QVERIFY(writeBytes(usersOwn, "the user's own notes\n"));
            target = usersOwn;
        } else if (fault == QLatin1String("link to nothing")) {
            target = QDir(elsewhere).filePath(QStringLiteral("new/notes.txt"));
        } else if (fault == QLatin1String("link to a folder")) {
            target = elsewhere;
        }
        QVERIFY(QFile::link(target, path));
    } else if (fault == QLatin1String("gbk folder")) {
        // A portable copy unpacked from an archive made on Windows: Qt cannot name the folder.
        QCOMPARE(::mkdir(gbkFolder.constData(), 0755), 0);
        path = PosixFiles::reachFolder(gbkFolder).path + QStringLiteral("/config.ini");
    } else if (fault == QLatin1String("stale staged")) {
        // Left by saves killed before their rename, the older one a minute ago; a file of
        // the user's that only looks like one by its name stays.
        stale = path + QStringLiteral(".1k7x2q");
        young = path + QStringLiteral(".3bz9");
        usersOwn = path + QStringLiteral(".bak");
        for (const QString &p : {stale, young, usersOwn})
            QVERIFY(writeBytes(p, p == usersOwn ? QByteArray("my notes") : saved.left(20)));
        age(stale, PosixFiles::staleStagedSeconds + 5);
        age(usersOwn, PosixFiles::staleStagedSeconds + 5);
    }
    const QStringList before = entries(folder);
    const QStringList beforeElsewhere = entries(elsewhere);

    QCOMPARE(saveInChild(path, bytes, sizeLimit, asUser ? user : 0), error);
    vanishBeforeRename = false;
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    const QString atPath = dir.filePath(QStringLiteral("config.ini"));

    if (error != 0) {
        // The previous file is whole, and nothing half-written is left beside it.
        QCOMPARE(readBytes(atPath), fault == QLatin1String("folder") ? QByteArray() : previous);
        QCOMPARE(entries(folder), before);
        return;
    }
    if (fault == QLatin1String("gbk folder")) {
        const auto remove = qScopeGuard([&] {
            ::unlink((gbkFolder + "/config.ini").constData());
            ::rmdir(gbkFolder.constData());
        });
        QCOMPARE(readBytes(path), bytes);
        QVERIFY(::access((gbkFolder + "/config.ini").constData(), F_OK) == 0);
        return;
    }
    const struct stat info = statOf(path);
    QVERIFY(S_ISREG(info.st_mode));
    QCOMPARE(readBytes(path), bytes);
    QCOMPARE(int(info.st_mode & 07777), fault == QLatin1String("file 0600") ? 0600 : 0644);
    if (fault == QLatin1String("root's") || fault == QLatin1String("as root"))
        QCOMPARE(info.st_uid, user);
    QStringList left = before;
    if (const QString top = path.mid(folder.size() + 1).section(QLatin1Char('/'), 0, 0);
        !left.contains(top))
        left << top;
    left.removeOne(QFileInfo(stale).fileName());
    left.sort();
    QCOMPARE(entries(folder), left);
    // Whatever a link pointed at is untouched: nothing written there, nothing created.
    QCOMPARE(entries(elsewhere), beforeElsewhere);
    if (!usersOwn.isEmpty())
        QVERIFY(!readBytes(usersOwn).startsWith("[config]"));
}

void TestFiles::readFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("read");
    QTest::newRow("a file") << "file" << previous;
    QTest::newRow("no file") << "nothing" << QByteArray();
    QTest::newRow("a folder in place of the file") << "folder" << QByteArray();
    QTest::newRow("a pipe nobody writes to") << "pipe" << QByteArray();
    // Only the first bytes asked for: a huge file cannot stall the program or fill its memory.
    QTest::newRow("4 GiB of zeros, the key at its end") << "sparse" << QByteArray(1 << 20, '\0');
}

void TestFiles::readFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, read);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    if (kind == QLatin1String("file")) {
        QVERIFY(writeBytes(path, previous));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("config.ini")));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("sparse")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(4) << 30));
        QVERIFY(f.seek(f.size()));
        f.write(previous);
    }
    const QStringList before = entries(dir.path());
    QCOMPARE(PosixFiles().readFile(path, 1 << 20), read);
    QCOMPARE(entries(dir.path()), before);
}

void TestFiles::isWritableFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("writable");
    QTest::newRow("a folder") << "folder" << true;
    QTest::newRow("a file") << "file" << false;
    QTest::newRow("nothing there") << "nothing" << false;
    QTest::newRow("a read-only file system") << "read-only mount" << false;
}

void TestFiles::isWritableFolder()
{
    QFETCH(QString, kind);
    QFETCH(bool, writable);
    QTemporaryDir dir;
    QString folder = dir.path();
    std::unique_ptr<Tmpfs> tmpfs;
    if (kind == QLatin1String("file")) {
        folder = dir.filePath(QStringLiteral("file"));
        QVERIFY(writeBytes(folder, "x"));
    } else if (kind == QLatin1String("nothing")) {
        folder = dir.filePath(QStringLiteral("missing"));
    } else if (kind == QLatin1String("read-only mount")) {
        if (!privateMounts_)
            QSKIP("no private mount namespace here for a tmpfs");
        tmpfs = std::make_unique<Tmpfs>(folder, 16);
        QVERIFY(tmpfs->isMounted() && tmpfs->makeReadOnly());
    }
    QCOMPARE(PosixFiles().isWritableFolder(folder), writable);
}

void TestFiles::homeFolder_data()
{
    // A null value leaves HOME unset.
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<bool>("fromAccount");
    QTest::newRow("HOME") << QByteArray("/home/u") << false;
    QTest::newRow("relative HOME: the account's home") << QByteArray("rel/home") << true;
    QTest::newRow("no HOME: the account's home") << QByteArray() << true;
}

void TestFiles::homeFolder()
{
    QFETCH(QByteArray, home);
    QFETCH(bool, fromAccount);
    const QByteArray saved = qgetenv("HOME");
    const auto restore = qScopeGuard([&] { qputenv("HOME", saved); });
    qunsetenv("HOME");
    const QString account = PosixFiles().homeFolder();
    QVERIFY(QDir::isAbsolutePath(account));
    if (!home.isNull())
        qputenv("HOME", home);
    QCOMPARE(PosixFiles().homeFolder(), fromAccount ? account : QString::fromUtf8(home));
}

void TestFiles::programFolder()
{
    const ProgramFolder folder = PosixFiles().programFolder();
    QCOMPARE(folder.path, QCoreApplication::applicationDirPath());
    QCOMPARE(folder.name, QFile::encodeName(folder.path));
}

int main(int argc, char **argv)
{
    const bool privateMounts = enterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    TestFiles test(privateMounts);
    return QTest::qExec(&test, argc, argv);
}

#include "test_files.moc"
