// The score file's rules: its bytes, the INI lookup, ReadIniValue on the files it may find,
// where the file goes, and how a failed save reads. The disk is a fake here; the real one is
// test_files.
#include "forms/module1.h"
#include "scores/inilookup.h"
#include "scores/scorefile.h"
#include "tests/support/fakes.h"
#include "values/gbk.h"

#include <QTest>

#include <cerrno>

class TestScores : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void readValue_data();
    void readValue();
    void lookupRules_data();
    void lookupRules();
    void whereTheFileGoes_data();
    void whereTheFileGoes();
    void installedFolders_data();
    void installedFolders();
    void userDataFolder_data();
    void userDataFolder();
    void programFolderNamedInGbk();
    void failureReason_data();
    void failureReason();
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
    const QByteArray file = scorefile::contents(caption).value_or(QByteArray());
    QCOMPARE(file, "[config]\r\nlabel1=" + valueBytes + "\r\n");
    FakeFiles files(QStringLiteral("/p"), QStringLiteral("/h"));
    Module1 module1(files, scorefile::Folders{QStringLiteral("/p"), QStringLiteral("/d")});
    // An older, longer file is replaced whole.
    files.stored[QStringLiteral("/p/config.ini")] = QByteArray(200, 'x');
    QVERIFY(!module1.saveScore(caption));
    QCOMPARE(files.bytes(QStringLiteral("/p/config.ini")), file);
    QCOMPARE(module1.ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"),
                                  module1.scoreFilePath()),
             caption);
    // Without the converter there is nothing to save: never an empty score.
    QVERIFY(!scorefile::contents(caption, "no-such-encoding"));
}

void TestScores::readValue_data()
{
    // A null file is none at all. Where `holds` is given, the text holds each of them (bytes
    // that are not GBK come back as replacement characters, the good ones as they were).
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("holds");
    const QByteArray stored = "[config]\r\nlabel1=\xD7\xDC\xB7\xD6:120\r\n";
    const QByteArray zong = "\xD7\xDC"; // 总
    const QString label1 = QStringLiteral("label1");
    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("stored total") << stored << label1 << QStringLiteral("总分:120")
                                  << QStringList();
    QTest::newRow("missing key") << stored << QStringLiteral("label2") << QString()
                                 << QStringList();
    QTest::newRow("key in another section")
        << QByteArray("[other]\r\nlabel1=1\r\n[config]\r\nlabel2=2\r\n") << label1 << QString()
        << QStringList();
    QTest::newRow("empty value") << QByteArray("[config]\r\nlabel1=\r\n") << label1 << QString()
                                 << QStringList();
    QTest::newRow("empty file") << QByteArray("") << label1 << QString() << QStringList();
    QTest::newRow("no file") << QByteArray() << label1 << QString() << QStringList();
    QTest::newRow("empty key asked")
        << QByteArray("[config]\r\n=x\r\n") << QString() << QString() << QStringList();
    QTest::newRow("9999 bytes, all of it")
        << "[config]\r\nlabel1=" + QByteArray(9999, 'x') << label1
        << QString(9999, QLatin1Char('x')) << QStringList();
    QTest::newRow("10000 bytes cut to 9999")
        << "[config]\r\nlabel1=" + QByteArray(10000, 'x') << label1
        << QString(9999, QLatin1Char('x')) << QStringList();
    QTest::newRow("two-byte character ending at 9999")
        << "[config]\r\nlabel1=" + QByteArray(9997, 'x') + zong + "yy\r\n"
        << label1 << QString(9997, QLatin1Char('x')) + QStringLiteral("总") << QStringList();
    QTest::newRow("two-byte character across the limit is left out")
        << "[config]\r\nlabel1=" + QByteArray(9998, 'x') + zong << label1
        << QString(9998, QLatin1Char('x')) << QStringList();
    QTest::newRow("Chinese only, 5000 characters")
        << "[config]\r\nlabel1=" + zong.repeated(5000) << label1 << QString(4999, QChar(u'总'))
        << QStringList();
    // Only the first megabyte is read, so a huge file cannot stall the program.
    QTest::newRow("the score past the first megabyte")
        << QByteArray(scores::maxFileBytes, ';') + "\r\n" + stored << label1 << QString()
        << QStringList();
    QTest::newRow("invalid GBK in the value")
        << QByteArray("[config]\r\nlabel1=\xFF\x81\x20\xD7\xDC\xB7\r\n") << label1 << QString()
        << QStringList{bad, QStringLiteral("总")};
    QTest::newRow("four-byte GB18030 sequence in the value")
        << QByteArray("[config]\r\nlabel1=\x81\x30\x81\x30\xB7\xD6\r\n") << label1 << QString()
        << QStringList{bad, QStringLiteral("分")};
    QTest::newRow("binary junk around the score")
        << QByteArray("\x00\xFF\xFE\r\n[config]\r\nlabel1=\xB7\xD6\xCA\xFD\x31\x30\r\n\x00\xFF", 32)
        << label1 << QStringLiteral("分数10") << QStringList();
}

void TestScores::readValue()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QFETCH(QStringList, holds);
    FakeFiles files(QStringLiteral("/p"), QStringLiteral("/h"));
    Module1 module1(files, scorefile::Folders{QStringLiteral("/p"), QStringLiteral("/d")});
    const QString path = QStringLiteral("/p/config.ini");
    if (!file.isNull())
        files.stored[path] = file;
    const QString got = module1.ReadIniValue(QStringLiteral("config"), key, path);
    if (holds.isEmpty())
        QCOMPARE(got, expected);
    for (const QString &part : holds)
        QVERIFY2(got.contains(part), qPrintable(got));
    // Reading never creates or changes a file.
    QCOMPARE(files.stored.size(), size_t(file.isNull() ? 0 : 1));
    QCOMPARE(files.saves, 0);
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
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("expected");
    QTest::newRow("XDG_DATA_HOME") << "/data/u"
                                   << "/data/u/kelvane";
    QTest::newRow("relative XDG_DATA_HOME is ignored") << "rel/data"
                                                       << "/home/u/.local/share/kelvane";
    QTest::newRow("no XDG_DATA_HOME") << ""
                                      << "/home/u/.local/share/kelvane";
}

void TestScores::userDataFolder()
{
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, expected);
    QCOMPARE(scorefile::userDataFolder(xdgDataHome, QStringLiteral("/home/u")), expected);
}

void TestScores::programFolderNamedInGbk()
{
    // A portable copy unpacked from an archive made on Windows: the folder's name is GBK,
    // which is not UTF-8. The score stays beside the program, and a message names the folder
    // as the user reads it.
    const QByteArray folder = "/home/u/" + gbk::encode(u"打字练习");
    const QString reached = QStringLiteral("/proc/self/fd/7");
    const scorefile::Folders folders =
        scorefile::foldersFor(folder, reached, "/srv/k/programs", QStringLiteral("/d"));
    QVERIFY(!folders.installed);
    const QString path = scorefile::resolvePath(folders, [](const QString &) { return true; });
    QCOMPARE(path, reached + QStringLiteral("/config.ini"));
    QCOMPARE(scorefile::shownPath(folders, path), QStringLiteral("/home/u/打字练习/config.ini"));
}

void TestScores::failureReason_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file-size limit") << EFBIG << "超出了文件大小的限制";
    QTest::newRow("disk full") << ENOSPC << "磁盘空间不足";
    QTest::newRow("read-only file system") << EROFS << "文件系统是只读的";
    QTest::newRow("no permission") << EACCES << "没有写入权限";
    QTest::newRow("a folder where the file should be") << EISDIR << "该位置是一个文件夹";
    QTest::newRow("a file where a folder should be") << ENOTDIR << "路径中有一项不是文件夹";
    QTest::newRow("a name too long") << ENAMETOOLONG << "路径太长";
    QTest::newRow("a loop of links") << ELOOP << "路径中的符号链接太多或形成了循环";
    QTest::newRow("gone before the rename") << ENOENT << "文件或文件夹不存在";
}

void TestScores::failureReason()
{
    QFETCH(int, error);
    QFETCH(QString, reason);
    // A short reason in Chinese, then the system's own words in brackets.
    const QString text = scorefile::failureReason(error);
    QVERIFY2(text.startsWith(reason + QStringLiteral("（")), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("）")) && text.size() > reason.size() + 2,
             qPrintable(text));
}

QTEST_GUILESS_MAIN(TestScores)
#include "test_scores.moc"
