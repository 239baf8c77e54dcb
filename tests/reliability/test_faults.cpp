// What the disk and the file system can do to the score file, through the game window that
// writes it and the leaderboard that reads it: nothing crashes, a failed save tells the user
// which file and why, and the score stored before stays as it was.
//
// Runs in a private mount namespace when the process may make one (root in most containers):
// small tmpfs mounts then give a real full disk and a real read-only file system, which bind
// root as well. Without it those rows are skipped.
#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/form6.h"
#include "runtime/controls.h"
#include "scores/scorefile.h"
#include "tests/support/mounts.h"
#include "tests/support/testprogram.h"
#include "values/gbk.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>
#include <unistd.h>

namespace {

// While set, the rename that puts a new config.ini into place finds its source gone, as if
// something removed the freshly written file between the write and the rename.
bool vanishBeforeRename = false;

} // namespace

// Stands in for the C library's rename(), which the score-file writer calls.
extern "C" int rename(const char *from, const char *to)
{
    using Rename = int (*)(const char *, const char *);
    const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    if (vanishBeforeRename && QByteArray(to).endsWith("/config.ini"))
        ::unlink(from);
    return real(from, to);
}

namespace {

const QString previousCaption = QStringLiteral("总分:120");

// Bytes of a literal, NULs included.
template <std::size_t N> QByteArray literal(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                  QDir::System);
}

// The game opened from the main window, one hit scored (the caption then reads 分数10), and
// the window closed.
void playAndClose(TestProgram &p)
{
    if (!p->form1().isVisible())
        p->start();
    input::click(p->form1().ui().Command4);
    Form3 &game = p->form3();
    input::activate(&game.window());
    p.random->push({float(('K' - 'A' + 0.5) / 26.0), 0.5f});
    input::click(game.ui().Command1);
    QTest::sendKeyEvent(QTest::Click, &game.window(), Qt::Key_K, QStringLiteral("k"),
                        Qt::NoModifier);
    QCOMPARE(game.ui().Label1->Caption(), QStringLiteral("分数10"));
    game.window().close();
    QVERIFY(!game.isLoaded());
}

// What the leaderboard's game-score button shows.
QString leaderboardScore(TestProgram &p)
{
    input::click(p->form1().ui().Command5);
    Form6 &board = p->form6();
    input::click(board.ui().Command1);
    return board.ui().Label1->Caption();
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
public:
    explicit TestFaults(bool privateMounts) : privateMounts_(privateMounts) {}

private slots:
    void failedSaveKeepsThePreviousScore_data();
    void failedSaveKeepsThePreviousScore();
    void unwritableFromTheStartSavesInThePerUserFolder_data();
    void unwritableFromTheStartSavesInThePerUserFolder();
    void linkIsReplacedNotWrittenThrough_data();
    void linkIsReplacedNotWrittenThrough();
    void hostileFilesAreReadSafely_data();
    void hostileFilesAreReadSafely();

private:
    bool privateMounts_;
};

void TestFaults::failedSaveKeepsThePreviousScore_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("folder made read-only while running") << "permissions";
    QTest::newRow("file system turned read-only while running") << "read-only mount";
    QTest::newRow("a folder where the file should be") << "folder";
    QTest::newRow("the new file vanishes before the rename") << "vanish";
    QTest::newRow("disk full") << "disk full";
}

void TestFaults::failedSaveKeepsThePreviousScore()
{
    QFETCH(QString, fault);
    const bool needsMount =
        fault == QLatin1String("read-only mount") || fault == QLatin1String("disk full");
    if (needsMount && !privateMounts_)
        QSKIP("no private mount namespace here for a tmpfs");

    TestProgram p;
    const QString folder = p.programDir();
    std::unique_ptr<Tmpfs> tmpfs;
    if (needsMount) {
        tmpfs = std::make_unique<Tmpfs>(folder, 16);
        QVERIFY(tmpfs->isMounted());
    }
    // The path is settled while the folder can still be written: the fault comes later.
    const QString path = p->scoreFilePath();
    QCOMPARE(path, QDir(folder).filePath(QStringLiteral("config.ini")));
    const QByteArray previous = scorefile::contents(previousCaption);
    if (fault != QLatin1String("folder"))
        QVERIFY(writeBytes(path, previous));

    if (fault == QLatin1String("permissions")) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder).isWritable()) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("permissions do not bind this user (root); the read-only mount row does");
        }
    } else if (fault == QLatin1String("read-only mount")) {
        QVERIFY(tmpfs->makeReadOnly());
    } else if (fault == QLatin1String("folder")) {
        QVERIFY(QDir(folder).mkdir(QStringLiteral("config.ini")));
    } else if (fault == QLatin1String("vanish")) {
        vanishBeforeRename = true;
    } else {
        fillUp(folder);
    }
    const QStringList withFault = entries(folder);

    playAndClose(p);
    vanishBeforeRename = false;
    if (fault == QLatin1String("permissions"))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The user is told which file and why; the program carries on.
    QCOMPARE(p.messages->shown.size(), size_t(1));
    const QString message = p.messages->shown[0].text;
    const QString shownPath = QDir::toNativeSeparators(path);
    QVERIFY2(message.contains(shownPath), qPrintable(message));
    QVERIFY2(message.size() > message.indexOf(shownPath) + shownPath.size() + 1,
             qPrintable(message));
    QVERIFY(!p.program().hasEnded());
    QCOMPARE(p.exit->calls, 0);

    // The previous score is whole, nothing half-written lies beside it, and the leaderboard
    // still shows it.
    QCOMPARE(entries(folder), withFault);
    if (fault == QLatin1String("folder")) {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(leaderboardScore(p), QString());
    } else {
        QCOMPARE(readBytes(path), previous);
        QCOMPARE(leaderboardScore(p), previousCaption);
    }
    QCOMPARE(p.messages->shown.size(), size_t(1));

    // Once the fault is gone the next close saves again.
    if (fault == QLatin1String("read-only mount"))
        return; // a tmpfs cannot be made writable again without losing what it holds
    if (fault == QLatin1String("folder"))
        QVERIFY(QDir(path).removeRecursively());
    if (fault == QLatin1String("disk full"))
        QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("filler"))));
    playAndClose(p);
    QCOMPARE(p.messages->shown.size(), size_t(1));
    QCOMPARE(readBytes(path), scorefile::contents(QStringLiteral("分数10")));
    QCOMPARE(entries(folder), QStringList{QStringLiteral("config.ini")});
    QCOMPARE(leaderboardScore(p), QStringLiteral("分数10"));
}

void TestFaults::unwritableFromTheStartSavesInThePerUserFolder_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("read-only folder") << "permissions";
    QTest::newRow("read-only file system") << "read-only mount";
}

void TestFaults::unwritableFromTheStartSavesInThePerUserFolder()
{
    QFETCH(QString, fault);
    TestProgram p;
    const QString folder = p.programDir();
    std::unique_ptr<Tmpfs> tmpfs;
    if (fault == QLatin1String("permissions")) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder).isWritable()) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("permissions do not bind this user (root); the read-only mount row does");
        }
    } else {
        if (!privateMounts_)
            QSKIP("no private mount namespace here for a tmpfs");
        tmpfs = std::make_unique<Tmpfs>(folder, 16);
        QVERIFY(tmpfs->isMounted());
        QVERIFY(tmpfs->makeReadOnly());
    }

    playAndClose(p);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString path = QDir(p.userDataDir()).filePath(QStringLiteral("config.ini"));
    QCOMPARE(p->scoreFilePath(), path);
    QVERIFY(p.messages->shown.empty());
    QCOMPARE(readBytes(path), scorefile::contents(QStringLiteral("分数10")));
    QCOMPARE(entries(folder), QStringList());
    QCOMPARE(leaderboardScore(p), QStringLiteral("分数10"));
}

void TestFaults::linkIsReplacedNotWrittenThrough_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("link to another file of the user's") << "other file";
    QTest::newRow("link to a file that does not exist") << "missing";
    QTest::newRow("link to a folder") << "folder";
    QTest::newRow("link to itself") << "loop";
}

void TestFaults::linkIsReplacedNotWrittenThrough()
{
    QFETCH(QString, target);
    TestProgram p;
    const QString folder = p.programDir();
    const QString path = QDir(folder).filePath(QStringLiteral("config.ini"));
    QTemporaryDir elsewhere;
    const QString other = elsewhere.filePath(QStringLiteral("notes.txt"));
    const QByteArray precious = "the user's own notes\n";
    QString linkTo;
    if (target == QLatin1String("other file")) {
        QVERIFY(writeBytes(other, precious));
        linkTo = other;
    } else if (target == QLatin1String("missing")) {
        linkTo = elsewhere.filePath(QStringLiteral("new/notes.txt"));
    } else if (target == QLatin1String("folder")) {
        linkTo = elsewhere.path();
    } else {
        linkTo = path;
    }
    QVERIFY(QFile::link(linkTo, path));

    playAndClose(p);

    QVERIFY(p.messages->shown.empty());
    const QFileInfo info(path);
    QVERIFY(!info.isSymLink());
    QVERIFY(info.isFile());
    QCOMPARE(readBytes(path), scorefile::contents(QStringLiteral("分数10")));
    QCOMPARE(entries(folder), QStringList{QStringLiteral("config.ini")});
    // Whatever the link pointed at is untouched: nothing written there, nothing created.
    if (target == QLatin1String("other file"))
        QCOMPARE(readBytes(other), precious);
    else
        QCOMPARE(entries(elsewhere.path()), QStringList());
    QCOMPARE(leaderboardScore(p), QStringLiteral("分数10"));
}

void TestFaults::hostileFilesAreReadSafely_data()
{
    // The file is `head`, then `filler` repeated up to 100 MB when given, then `tail`.
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("filler");
    QTest::addColumn<QByteArray>("tail");
    // What the leaderboard shows: exactly `shown`, or text holding each of `holds` (bytes
    // that are not GBK come back as replacement characters, the good ones as they were).
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("holds");
    const QByteArray stored = scorefile::contents(previousCaption);
    const QByteArray noise = "[noise]\r\nx=0123456789abcdef\r\n";
    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("100 MB file, the score at its start")
        << stored << noise << QByteArray() << true << previousCaption << QStringList();
    // Only the first megabyte is read, so a huge file cannot stall the program.
    QTest::newRow("100 MB file, the score at its end")
        << QByteArray() << noise << stored << true << QString() << QStringList();
    // One value line of 100 MB: cut at 9 999 bytes, never inside a two-byte character.
    QTest::newRow("100 MB value on one line")
        << QByteArray("[config]\r\nlabel1=") << gbk::encode(QStringLiteral("分")) << QByteArray()
        << true << QString(4999, QChar(u'分')) << QStringList();
    QTest::newRow("invalid GBK in the value")
        << QByteArray("[config]\r\nlabel1=\xFF\x81\x20\xD7\xDC\xB7\r\n") << QByteArray()
        << QByteArray() << false << QString() << QStringList{bad, QStringLiteral("总")};
    QTest::newRow("four-byte GB18030 sequence in the value")
        << QByteArray("[config]\r\nlabel1=\x81\x30\x81\x30\xB7\xD6\r\n") << QByteArray()
        << QByteArray() << false << QString() << QStringList{bad, QStringLiteral("分")};
    QTest::newRow("binary junk around the score")
        << literal("\x00\xFF\xFE\r\n[config]\r\nlabel1=\xB7\xD6\xCA\xFD\x31\x30\r\n\x00\xFF")
        << QByteArray() << QByteArray() << true << QStringLiteral("分数10") << QStringList();
}

void TestFaults::hostileFilesAreReadSafely()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, filler);
    QFETCH(QByteArray, tail);
    QFETCH(bool, exact);
    QFETCH(QString, shown);
    QFETCH(QStringList, holds);
    TestProgram p;
    const QString path = QDir(p.programDir()).filePath(QStringLiteral("config.ini"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(head), head.size());
        if (!filler.isEmpty()) {
            QByteArray chunk;
            while (chunk.size() < (1 << 20))
                chunk += filler;
            while (f.size() < (qint64(100) << 20))
                QCOMPARE(f.write(chunk), chunk.size());
        }
        QCOMPARE(f.write(tail), tail.size());
    }
    const qint64 size = QFileInfo(path).size();
    p->start();

    const QString got = leaderboardScore(p);
    QVERIFY(p.messages->shown.empty());
    QVERIFY(!p.program().hasEnded());
    if (exact)
        QCOMPARE(got, shown);
    for (const QString &part : holds)
        QVERIFY2(got.contains(part), qPrintable(got));
    QCOMPARE(QFileInfo(path).size(), size);

    // The next game replaces whatever was there with a proper file.
    playAndClose(p);
    QVERIFY(p.messages->shown.empty());
    QCOMPARE(readBytes(path), scorefile::contents(QStringLiteral("分数10")));
    QCOMPARE(leaderboardScore(p), QStringLiteral("分数10"));
}

int main(int argc, char **argv)
{
    const bool privateMounts = enterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestFaults test(privateMounts);
    return QTest::qExec(&test, argc, argv);
}

#include "test_faults.moc"
