// The score file: its bytes, the INI reader on real files, the lookup rules, where the file
// goes and what a failed write tells and leaves behind.
//
// Runs in a private mount namespace when the process may make one (root in most containers),
// for a real full disk and a real read-only file system; without it those rows are skipped.
#include "platform/startup.h"
#include "scores/module1.h"
#include "scores/scorefile.h"
#include "tests/support/mounts.h"
#include "values/gbk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QByteArray header = QByteArray::fromHex("5B636F6E6669675D0D0A") + "label1=";

// Saves in a child process that starts as the program does: SIGXFSZ at its default, then the
// program's start-up. `sizeLimit`, when not 0, caps every file the child writes (ulimit -f).
std::optional<QString> saveInChild(const QString &path, const QString &caption, rlim_t sizeLimit)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_DFL);
        ignoreWriteSignals();
        if (sizeLimit != 0) {
            const rlimit limit{sizeLimit, sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        const std::optional<QString> error = scorefile::write(path, caption);
        const QByteArray answer = error ? "E" + error->toUtf8() : QByteArray("S");
        [[maybe_unused]] const ssize_t sent = ::write(channel[1], answer.data(), answer.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return QStringLiteral("the save ended the program with signal %1").arg(WTERMSIG(status));
    if (answer == "S")
        return std::nullopt;
    return QString::fromUtf8(answer.mid(1));
}

} // namespace

class TestScores : public QObject {
    Q_OBJECT
public:
    explicit TestScores(bool privateMounts) : privateMounts_(privateMounts) {}

private slots:
    void roundTrip_data();
    void roundTrip();
    void readsNothing_data();
    void readsNothing();
    void missingFileIsNotCreated();
    void valueLength_data();
    void valueLength();
    void garbageFiles_data();
    void garbageFiles();
    void lookupRules_data();
    void lookupRules();
    void whereTheFileGoes_data();
    void whereTheFileGoes();
    void installedFolders_data();
    void installedFolders();
    void userDataFolder_data();
    void userDataFolder();
    void programFolderNamedInGbk();
    void realWritableTest();
    void writeCreatesThePerUserFolder();
    void newFileMode_data();
    void newFileMode();
    void failedWriteIsToldAndKeepsThePreviousFile_data();
    void failedWriteIsToldAndKeepsThePreviousFile();

private:
    bool privateMounts_;
};

void TestScores::roundTrip_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("valueBytes");
    QTest::newRow("final total") << QStringLiteral("总分:120")
                                 << QByteArray::fromHex("D7DCB7D63A313230");
    QTest::newRow("running score")
        << QStringLiteral("分数30") << QByteArray::fromHex("B7D6CAFD3330");
    QTest::newRow("past 16 bits") << QStringLiteral("总分:40000")
                                  << QByteArray::fromHex("D7DCB7D63A3430303030");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestScores::roundTrip()
{
    QFETCH(QString, caption);
    QFETCH(QByteArray, valueBytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    // An older, longer file is replaced whole, not overwritten in place.
    writeBytes(path, QByteArray(200, 'x'));

    const std::optional<QString> error = scorefile::write(path, caption);
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    QCOMPARE(readBytes(path), header + valueBytes + "\r\n");
    QCOMPARE(Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), path),
             caption);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("config.ini")});
}

void TestScores::readsNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    const QByteArray stored = "[config]\r\nlabel1=\xD7\xDC\xB7\xD6:120\r\n";
    QTest::newRow("missing section")
        << stored << QStringLiteral("game") << QStringLiteral("label1");
    QTest::newRow("missing key") << stored << QStringLiteral("config") << QStringLiteral("label2");
    QTest::newRow("key in another section")
        << QByteArray("[other]\r\nlabel1=1\r\n[config]\r\nlabel2=2\r\n") << QStringLiteral("config")
        << QStringLiteral("label1");
    QTest::newRow("empty value") << QByteArray("[config]\r\nlabel1=\r\n")
                                 << QStringLiteral("config") << QStringLiteral("label1");
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("config")
                                << QStringLiteral("label1");
    QTest::newRow("empty key asked")
        << QByteArray("[config]\r\n=x\r\n") << QStringLiteral("config") << QString();
}

void TestScores::readsNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    writeBytes(path, file);
    QCOMPARE(Module1::ReadIniValue(section, key, path), QString());
    QCOMPARE(readBytes(path), file);
}

void TestScores::missingFileIsNotCreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    const QString inMissingFolder = dir.filePath(QStringLiteral("kelvane/config.ini"));
    QCOMPARE(Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), path),
             QString());
    QCOMPARE(
        Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), inMissingFolder),
        QString());
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("kelvane"))));
}

void TestScores::valueLength_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("expected");
    const QByteArray zong = "\xD7\xDC"; // 总
    QTest::newRow("9999 bytes, all of it")
        << QByteArray(9999, 'x') << QString(9999, QLatin1Char('x'));
    QTest::newRow("10000 bytes cut to 9999")
        << QByteArray(10000, 'x') << QString(9999, QLatin1Char('x'));
    QTest::newRow("two-byte character ending at 9999")
        << QByteArray(9997, 'x') + zong + "yy"
        << QString(9997, QLatin1Char('x')) + QStringLiteral("总");
    QTest::newRow("two-byte character across the limit is left out")
        << QByteArray(9998, 'x') + zong << QString(9998, QLatin1Char('x'));
    QTest::newRow("Chinese only, 5000 characters")
        << zong.repeated(5000) << QString(4999, QChar(u'总'));
}

void TestScores::valueLength()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    writeBytes(path, "[config]\r\nlabel1=" + value + "\r\nlabel2=after\r\n");
    QCOMPARE(Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), path),
             expected);
    QCOMPARE(Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label2"), path),
             QStringLiteral("after"));
}

void TestScores::garbageFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("4 GiB of zeros, the key at its end") << "sparse"
                                                        << "";
    QTest::newRow("random bytes after the key") << "random"
                                                << "";
    QTest::newRow("a folder in place of the file") << "folder"
                                                   << "";
    QTest::newRow("a pipe nobody writes to") << "pipe"
                                             << "";
}

void TestScores::garbageFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    if (kind == QLatin1String("sparse")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(4) << 30));
        QVERIFY(f.seek(f.size()));
        f.write("\r\n[config]\r\nlabel1=far\r\n");
    } else if (kind == QLatin1String("random")) {
        QByteArray noise(3 << 20, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char &c : noise) {
            c = char(generator.bounded(256));
            if (c == '\r' || c == '\n' || c == '\0')
                c = 'x';
        }
        writeBytes(path, "[config]\r\nlabel1=" + noise);
        // The value is whatever stands there, cut at the limit like any other.
        const QByteArray value = scores::iniLookup(readBytes(path), "config", "label1");
        QVERIFY(value.size() == scores::maxValueBytes || value.size() == scores::maxValueBytes - 1);
        QVERIFY(noise.startsWith(value));
        const QString text =
            Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), path);
        QVERIFY(!text.isEmpty());
        QVERIFY(text.size() <= scores::maxValueBytes);
        return;
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("config.ini")));
    } else {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    QCOMPARE(Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), path),
             expected);
}

void TestScores::lookupRules_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("LF line ends") << QByteArray("[config]\nlabel1=a\n") << QByteArray("config")
                                  << QByteArray("label1") << QByteArray("a");
    QTest::newRow("lone CR line ends")
        << QByteArray("[config]\rlabel1=a\rlabel2=b") << QByteArray("config")
        << QByteArray("label2") << QByteArray("b");
    QTest::newRow("no line end after the value")
        << QByteArray("[config]\r\nlabel1=a") << QByteArray("config") << QByteArray("label1")
        << QByteArray("a");
    QTest::newRow("blanks around names and value")
        << QByteArray("  [ config ]  \r\n\tlabel1  =  a b \t\r\n") << QByteArray("config")
        << QByteArray("label1") << QByteArray("a b");
    QTest::newRow("names ignore ASCII case")
        << QByteArray("[CONFIG]\r\nLabel1=a\r\n") << QByteArray("config") << QByteArray("LABEL1")
        << QByteArray("a");
    QTest::newRow("UTF-8 byte order mark")
        << QByteArray("\xEF\xBB\xBF[config]\r\nlabel1=a\r\n") << QByteArray("config")
        << QByteArray("label1") << QByteArray("a");
    QTest::newRow("comment lines")
        << QByteArray("[config]\r\n;label1=no\r\n# label1=no\r\nlabel1=yes\r\n")
        << QByteArray("config") << QByteArray("label1") << QByteArray("yes");
    QTest::newRow("semicolon inside a value is kept")
        << QByteArray("[config]\r\nlabel1=a ; b\r\n") << QByteArray("config")
        << QByteArray("label1") << QByteArray("a ; b");
    QTest::newRow("value splits at the first equals sign")
        << QByteArray("[config]\r\nlabel1=a=b\r\n") << QByteArray("config") << QByteArray("label1")
        << QByteArray("a=b");
    QTest::newRow("quotes are part of the value")
        << QByteArray("[config]\r\nlabel1=\"a\"\r\n") << QByteArray("config")
        << QByteArray("label1") << QByteArray("\"a\"");
    QTest::newRow("first key wins")
        << QByteArray("[config]\r\nlabel1=first\r\nlabel1=second\r\n") << QByteArray("config")
        << QByteArray("label1") << QByteArray("first");
    QTest::newRow("section repeated later")
        << QByteArray("[config]\r\nx=1\r\n[other]\r\nlabel1=no\r\n[config]\r\nlabel1=yes\r\n")
        << QByteArray("config") << QByteArray("label1") << QByteArray("yes");
    QTest::newRow("key before any section")
        << QByteArray("label1=no\r\n[config]\r\n") << QByteArray("config") << QByteArray("label1")
        << QByteArray();
    QTest::newRow("section without closing bracket")
        << QByteArray("[config\r\nlabel1=a\r\n") << QByteArray("config") << QByteArray("label1")
        << QByteArray("a");
    QTest::newRow("NUL ends the value")
        << QByteArray("[config]\r\nlabel1=ab\0cd\r\n", 23) << QByteArray("config")
        << QByteArray("label1") << QByteArray("ab");
    // 癩 is B0 5D: its second byte is ']' and must not close the section name.
    QTest::newRow("second byte like a bracket")
        << QByteArray("[\xB0\x5D]\r\nk=v\r\n") << QByteArray("\xB0\x5D") << QByteArray("k")
        << QByteArray("v");
    // 癆 is B0 41 and 癮 is B0 61: case folding must not make them one name.
    QTest::newRow("second byte like a letter is not folded")
        << QByteArray("[s]\r\n\xB0\x41=no\r\n\xB0\x61=yes\r\n") << QByteArray("s")
        << QByteArray("\xB0\x61") << QByteArray("yes");
    QTest::newRow("Chinese value")
        << QByteArray("[config]\r\nlabel1=\xB7\xD6\xCA\xFD\x33\x30\r\n") << QByteArray("config")
        << QByteArray("label1") << QByteArray("\xB7\xD6\xCA\xFD\x33\x30");
}

void TestScores::lookupRules()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QCOMPARE(scores::iniLookup(file, section, key), value);
}

void TestScores::whereTheFileGoes_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("expected");
    QTest::newRow("portable copy, folder writable")
        << "/home/u/kelvane" << false << true << "/home/u/kelvane/config.ini";
    QTest::newRow("portable copy, folder read-only")
        << "/home/u/kelvane" << false << false << "/home/u/.local/share/kelvane/config.ini";
    // Root, or a user who may write the folder the program is installed in.
    QTest::newRow("installed, folder writable")
        << "/usr/bin" << true << true << "/home/u/.local/share/kelvane/config.ini";
    QTest::newRow("program folder unknown")
        << "" << false << true << "/home/u/.local/share/kelvane/config.ini";
}

void TestScores::whereTheFileGoes()
{
    QFETCH(QString, programDir);
    QFETCH(bool, installed);
    QFETCH(bool, writable);
    QFETCH(QString, expected);
    QStringList asked;
    const scorefile::Folders folders{programDir, QStringLiteral("/home/u/.local/share/kelvane"),
                                     installed};
    const QString path = scorefile::resolvePath(folders, [&](const QString &folder) {
        asked << folder;
        return writable;
    });
    QCOMPARE(path, expected);
    if (!installed && !programDir.isEmpty())
        QCOMPARE(asked, QStringList{programDir});
}

void TestScores::installedFolders_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<bool>("installed");
    QTest::newRow("the folder the build installs into") << QByteArray("/srv/k/programs") << true;
    QTest::newRow("a package's") << QByteArray("/usr/bin") << true;
    QTest::newRow("make install's") << QByteArray("/usr/local/bin") << true;
    QTest::newRow("a copy of an install") << QByteArray("/tmp/stage/usr/local/bin") << true;
    QTest::newRow("the user's own bin") << QByteArray("/home/u/.local/bin") << true;
    QTest::newRow("under /usr") << QByteArray("/usr/lib/kelvane") << true;
    QTest::newRow("under /opt") << QByteArray("/opt/kelvane") << true;
    QTest::newRow("a build tree") << QByteArray("/home/u/src/kelvane/build") << false;
    QTest::newRow("a portable copy") << QByteArray("/home/u/下载/kelvane") << false;
    QTest::newRow("a portable copy on a stick") << QByteArray("/media/u/STICK/kelvane") << false;
    QTest::newRow("a name that only starts like usr") << QByteArray("/usrdata/kelvane") << false;
}

void TestScores::installedFolders()
{
    QFETCH(QByteArray, folder);
    QFETCH(bool, installed);
    QCOMPARE(scorefile::isInstalledFolder(folder, "/srv/k/programs"), installed);
}

void TestScores::userDataFolder_data()
{
    // A null value leaves the variable unset.
    QTest::addColumn<QByteArray>("xdgDataHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QString>("expected");
    const passwd *account = ::getpwuid(::getuid());
    QVERIFY(account != nullptr);
    const QString accountHome = QDir::cleanPath(QFile::decodeName(account->pw_dir));
    QTest::newRow("XDG_DATA_HOME")
        << QByteArray("/data/u") << QByteArray("/home/u") << "/data/u/kelvane";
    QTest::newRow("relative XDG_DATA_HOME is ignored")
        << QByteArray("rel/data") << QByteArray("/home/u") << "/home/u/.local/share/kelvane";
    QTest::newRow("empty XDG_DATA_HOME")
        << QByteArray("") << QByteArray("/home/u/") << "/home/u/.local/share/kelvane";
    QTest::newRow("no HOME: the account's home")
        << QByteArray() << QByteArray() << accountHome + QStringLiteral("/.local/share/kelvane");
    QTest::newRow("HOME is /") << QByteArray() << QByteArray("/") << "/.local/share/kelvane";
}

void TestScores::userDataFolder()
{
    QFETCH(QByteArray, xdgDataHome);
    QFETCH(QByteArray, home);
    QFETCH(QString, expected);
    // Named as main() names it: the folder keeps its own lower-case name all the same.
    QCoreApplication::setApplicationName(QStringLiteral("Kelvane"));
    auto setOrUnset = [](const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    auto saved = [](const char *name) {
        return qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
    };
    const QByteArray savedXdg = saved("XDG_DATA_HOME");
    const QByteArray savedHome = saved("HOME");
    const auto restore = qScopeGuard([&] {
        setOrUnset("XDG_DATA_HOME", savedXdg);
        setOrUnset("HOME", savedHome);
    });
    setOrUnset("XDG_DATA_HOME", xdgDataHome);
    setOrUnset("HOME", home);
    QCOMPARE(scorefile::userDataFolder(), expected);
}

void TestScores::programFolderNamedInGbk()
{
    // A portable copy unpacked from an archive made on Windows: the folder's name is GBK,
    // which is not UTF-8. The score stays beside the program, and a message names the folder
    // as the user reads it.
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/' + gbk::encode(u"打字练习");
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    // QTemporaryDir cannot name what is in it either.
    const auto remove = qScopeGuard([&] {
        ::unlink((folder + "/config.ini").constData());
        ::rmdir(folder.constData());
    });
    const scorefile::Folders folders = scorefile::foldersFor(folder, "/srv/k/programs");
    QVERIFY(!folders.installed);
    const QString path = scorefile::resolvePath(folders);
    QCOMPARE(scorefile::shownPath(folders, path),
             dir.path() + QStringLiteral("/打字练习/config.ini"));

    QVERIFY(!scorefile::write(path, QStringLiteral("分数30")));
    QCOMPARE(Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), path),
             QStringLiteral("分数30"));
    const int fd = ::open((folder + "/config.ini").constData(), O_RDONLY);
    QVERIFY(fd >= 0);
    char bytes[64];
    const ssize_t n = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    QCOMPARE(QByteArray(bytes, qsizetype(n)), scorefile::contents(QStringLiteral("分数30")));
}

void TestScores::realWritableTest()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file"));
    writeBytes(file, "x");
    QVERIFY(scorefile::isWritableFolder(dir.path()));
    QVERIFY(!scorefile::isWritableFolder(file));
    QVERIFY(!scorefile::isWritableFolder(dir.filePath(QStringLiteral("missing"))));
}

void TestScores::writeCreatesThePerUserFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("share/kelvane/config.ini"));
    const std::optional<QString> error = scorefile::write(path, QStringLiteral("分数30"));
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    QCOMPARE(readBytes(path), header + QByteArray::fromHex("B7D6CAFD3330") + "\r\n");
}

void TestScores::newFileMode_data()
{
    QTest::addColumn<QString>("standing");
    QTest::addColumn<int>("mode");
    // As for any file saved: 0666 less the umask (022 here).
    QTest::newRow("no file yet") << "nothing" << 0644;
    QTest::newRow("a link replaced") << "link" << 0644;
    QTest::newRow("a file replaced keeps its mode") << "file 0600" << 0600;
}

void TestScores::newFileMode()
{
    QFETCH(QString, standing);
    QFETCH(int, mode);
    const mode_t savedMask = ::umask(022);
    const auto restore = qScopeGuard([&] { ::umask(savedMask); });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    if (standing == QLatin1String("link")) {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere.ini")), path));
    } else if (standing == QLatin1String("file 0600")) {
        writeBytes(path, "x");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0);
    }
    QVERIFY(!scorefile::write(path, QStringLiteral("分数30")));
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &info), 0);
    QVERIFY(S_ISREG(info.st_mode));
    QCOMPARE(int(info.st_mode & 07777), mode);
}

void TestScores::failedWriteIsToldAndKeepsThePreviousFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file-size limit (ulimit -f)") << "size limit"
                                                 << "超出了文件大小的限制";
    QTest::newRow("disk fills during the write") << "disk full"
                                                 << "磁盘空间不足";
    QTest::newRow("read-only file system") << "read-only mount"
                                           << "文件系统是只读的";
    QTest::newRow("read-only folder") << "read-only folder"
                                      << "没有写入权限";
    QTest::newRow("a folder where the file should be") << "folder"
                                                       << "该位置是一个文件夹";
    QTest::newRow("a file where a folder should be") << "file"
                                                     << "路径中有一项不是文件夹";
    QTest::newRow("a name too long") << "long name"
                                     << "路径太长";
    QTest::newRow("a loop of links in the path") << "link loop"
                                                 << "路径中的符号链接太多或形成了循环";
}

void TestScores::failedWriteIsToldAndKeepsThePreviousFile()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    std::unique_ptr<Tmpfs> tmpfs;
    if (fault == QLatin1String("disk full") || fault == QLatin1String("read-only mount")) {
        if (!privateMounts_)
            QSKIP("no private mount namespace here for a tmpfs");
        tmpfs = std::make_unique<Tmpfs>(dir.path(), 16);
        QVERIFY(tmpfs->isMounted());
    }
    QString path = dir.filePath(QStringLiteral("config.ini"));
    const QByteArray previous = scorefile::contents(QStringLiteral("总分:120"));
    writeBytes(path, previous);
    QString caption = QStringLiteral("分数30");
    rlim_t sizeLimit = 0;
    if (fault == QLatin1String("size limit")) {
        sizeLimit = 16;
    } else if (fault == QLatin1String("disk full")) {
        // One block left: the first goes in, the second finds the disk full.
        fillUp(dir.path());
        const QString filler = dir.filePath(QStringLiteral("filler"));
        QVERIFY(QFile::resize(filler, QFileInfo(filler).size() - 4096));
        caption = QStringLiteral("分数") + QString(6000, QLatin1Char('9'));
    } else if (fault == QLatin1String("read-only mount")) {
        QVERIFY(tmpfs->makeReadOnly());
    } else if (fault == QLatin1String("read-only folder")) {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(dir.path()).isWritable()) {
            QFile::setPermissions(dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("permissions do not bind this user (root); the read-only mount row does");
        }
    } else if (fault == QLatin1String("folder")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("config.ini")));
    } else if (fault == QLatin1String("file")) {
        writeBytes(dir.filePath(QStringLiteral("share")), "x");
        path = dir.filePath(QStringLiteral("share/kelvane/config.ini"));
    } else if (fault == QLatin1String("long name")) {
        path = dir.filePath(QString(300, QLatin1Char('x')) + QStringLiteral("/config.ini"));
    } else {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("loop")),
                            dir.filePath(QStringLiteral("loop"))));
        path = dir.filePath(QStringLiteral("loop/config.ini"));
    }
    const QStringList before =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    const std::optional<QString> error = saveInChild(path, caption, sizeLimit);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(error.has_value());
    // A short reason in Chinese, then the system's own words in brackets.
    QVERIFY2(error->startsWith(reason + QStringLiteral("（")), qPrintable(*error));
    QVERIFY2(error->endsWith(QStringLiteral("）")), qPrintable(*error));
    // The previous file is whole, and nothing half-written is left beside it.
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("config.ini"))),
             fault == QLatin1String("folder") ? QByteArray() : previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             before);
}

int main(int argc, char **argv)
{
    const bool privateMounts = enterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    TestScores test(privateMounts);
    return QTest::qExec(&test, argc, argv);
}

#include "test_scores.moc"
