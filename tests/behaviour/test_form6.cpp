// The leaderboard, driven through its widgets and those of the test windows it copies from.
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// The three test windows whose result labels the leaderboard copies.
enum class Source { SpeedTest, SpeedTest1, English };

Form &sourceWindow(TestProgram &p, Source s)
{
    switch (s) {
    case Source::SpeedTest: return p->form5();
    case Source::SpeedTest1: return p->form4();
    case Source::English: break;
    }
    return p->form2();
}

CommandButton &button(Form6 &f, Source s)
{
    switch (s) {
    case Source::SpeedTest: return *f.ui().Command2;
    case Source::SpeedTest1: return *f.ui().Command3;
    case Source::English: break;
    }
    return *f.ui().Command4;
}

// What the leaderboard shows for a source: one label, or speed and accuracy.
QStringList shown(Form6 &f, Source s)
{
    switch (s) {
    case Source::SpeedTest: return {f.ui().Label2->Caption()};
    case Source::SpeedTest1: return {f.ui().Label3->Caption()};
    case Source::English: break;
    }
    return {f.ui().Label4->Caption(), f.ui().Label9->Caption()};
}

const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
const QString thirty = QStringLiteral("thequickbrownfxjmpsvlazydgwerk");

// Takes the test in its window, opened from the main window, up to a result, and returns the
// captions that result shows there.
QStringList takeTest(TestProgram &p, Source s)
{
    switch (s) {
    case Source::SpeedTest: {
        input::click(p->form1().ui().Command1);
        Form5 &f = p->form5();
        p.advance(10'000);
        input::type(f.ui().Text1, QString(40, QLatin1Char('x')));
        input::click(f.ui().Command1);
        return {f.ui().Label4->Caption()};
    }
    case Source::SpeedTest1: {
        input::click(p->form1().ui().Command2);
        Form4 &f = p->form4();
        input::activate(&f.window());
        input::click(f.ui().Command1);
        input::type(f.ui().Text1, QStringLiteral("abcdef"));
        p.advance(2200);
        return {f.ui().Label3->Caption()};
    }
    case Source::English: break;
    }
    input::click(p->form1().ui().Command3);
    Form2 &f = p->form2();
    input::activate(&f.window());
    for (QChar ch : thirty)
        p.random->push({float((alphabet.indexOf(ch) + 0.5) / 26.0)});
    input::click(f.ui().Command1);
    f.ui().Text2->SetFocus();
    p.advance(10'000);
    input::type(f.ui().Text2, thirty.left(29) + QLatin1Char('0'));
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    return {f.ui().Label7->Caption(), f.ui().Label6->Caption()};
}

Form6 &openLeaderboard(TestProgram &p)
{
    input::click(p->form1().ui().Command5);
    return p->form6();
}

void writeScoreFile(TestProgram &p, const QByteArray &bytes)
{
    p.files->stored[p.module1().scoreFilePath()] = bytes;
}

} // namespace

Q_DECLARE_METATYPE(Source)

class TestForm6 : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void window();
    void copiesTheResultAsShown_data();
    void copiesTheResultAsShown();
    void copiesTheLiveSpeedMidTest();
    void neverOpenedSourceGivesEmptyAndStaysLoadedHidden_data();
    void neverOpenedSourceGivesEmptyAndStaysLoadedHidden();
    void closedSourceGivesEmptyNeverTheLastValue_data();
    void closedSourceGivesEmptyNeverTheLastValue();
    void gameScoreFromTheFile_data();
    void gameScoreFromTheFile();
    void gameScoreAfterTheGameWindowClosed_data();
    void gameScoreAfterTheGameWindowClosed();
};

void TestForm6::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char *name, const QString &caption, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << QRect(l, t, w, h);
    };
    const QString score = QStringLiteral("分数");
    row("Label5", QStringLiteral("打字游戏分数："), 720, 120, 1455, 375);
    row("Label1", score, 2280, 120, 3255, 615);
    row("Label6", QStringLiteral("打字速度测试分数："), 360, 840, 1695, 375);
    row("Label2", score, 2280, 840, 3375, 855);
    row("Label7", QStringLiteral("打字速度测试1分数："), 360, 1800, 1815, 375);
    row("Label3", score, 2280, 1800, 3255, 735);
    row("Label10", QStringLiteral("正确率："), 120, 2760, 1935, 375);
    row("Label9", QString(), 2160, 2760, 1455, 495);
    row("Label8", QStringLiteral("英文打字速度测试分数："), 120, 3360, 2055, 375);
    row("Label4", score, 3000, 3360, 3135, 495);
    row("Command1", QStringLiteral("保存（读取）打字游戏分数"), 960, 3840, 2295, 495);
    row("Command2", QStringLiteral("保存打字速度测试分数"), 3960, 3840, 2535, 495);
    row("Command3", QStringLiteral("保存打字速度测试1分数"), 960, 4440, 2295, 495);
    row("Command4", QStringLiteral("保存英文打字速度测试分数和正确率"), 3960, 4440, 2535, 495);
}

void TestForm6::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    TestProgram p;
    QWidget *control = p->form6().window().findChild<QWidget *>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(),
             twips::toPixels(twips.x(), twips.y(), twips.width(), twips.height()));
    if (const auto *label = dynamic_cast<Label *>(control))
        QCOMPARE(label->Caption(), caption);
    else
        QCOMPARE(qobject_cast<QPushButton *>(control)->text(), caption);
}

void TestForm6::window()
{
    TestProgram p;
    p->start();
    Form6 &f = openLeaderboard(p);
    input::activate(&f.window());
    QCOMPARE(f.window().windowTitle(),
             QStringLiteral("打字英雄榜（数据库问题尚未解决，原谅我的技术...）"));
    QCOMPARE(f.window().size(), QSize(484, 341));
    QVERIFY(f.ui().Command1->hasFocus());
    // Tab walks the four buttons in order.
    QCOMPARE(f.ui().Command1->nextInFocusChain(), f.ui().Command2);
    QCOMPARE(f.ui().Command2->nextInFocusChain(), f.ui().Command3);
    QCOMPARE(f.ui().Command3->nextInFocusChain(), f.ui().Command4);
    // What it gathered goes with the window: reopened, it starts from its design-time captions.
    input::click(f.ui().Command2);
    QCOMPARE(f.ui().Label2->Caption(), QString());
    f.window().close();
    openLeaderboard(p);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("分数"));
}

void TestForm6::copiesTheResultAsShown_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("speed test") << Source::SpeedTest
                                << QStringList{QStringLiteral("你的打字速度测试成绩为.25秒/个")};
    QTest::newRow("speed test 1") << Source::SpeedTest1
                                  << QStringList{QStringLiteral("录入速度 180 字符/分钟")};
    QTest::newRow("english speed and accuracy")
        << Source::English << QStringList{QStringLiteral("3字符/秒"), QStringLiteral("96.7%")};
}

void TestForm6::copiesTheResultAsShown()
{
    QFETCH(Source, source);
    QFETCH(QStringList, captions);
    TestProgram p;
    p->start();
    QCOMPARE(takeTest(p, source), captions);
    Form6 &f = openLeaderboard(p);
    input::click(&button(f, source));
    QCOMPARE(shown(f, source), captions);
    // The source window is left as it was.
    QVERIFY(sourceWindow(p, source).isVisible());
    QCOMPARE(p.messages->shown.size(), size_t(0));
}

void TestForm6::copiesTheLiveSpeedMidTest()
{
    TestProgram p;
    p->start();
    takeTest(p, Source::SpeedTest1);
    Form6 &f = openLeaderboard(p);
    Form4 &test = p->form4();
    // The test goes on: three more characters, one more second.
    input::type(test.ui().Text1, QStringLiteral("ghi"));
    p.advance(1000);
    QCOMPARE(test.ui().Label3->Caption(), QStringLiteral("录入速度 180 字符/分钟"));
    input::type(test.ui().Text1, QStringLiteral("jkl"));
    p.advance(200);
    QCOMPARE(test.ui().Label3->Caption(), QStringLiteral("录入速度 240 字符/分钟"));
    input::click(f.ui().Command3);
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 240 字符/分钟"));
}

void TestForm6::neverOpenedSourceGivesEmptyAndStaysLoadedHidden_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<int>("timersStarted");
    QTest::newRow("speed test, its counter runs") << Source::SpeedTest << 1;
    QTest::newRow("speed test 1") << Source::SpeedTest1 << 0;
    QTest::newRow("english") << Source::English << 0;
}

void TestForm6::neverOpenedSourceGivesEmptyAndStaysLoadedHidden()
{
    QFETCH(Source, source);
    QFETCH(int, timersStarted);
    TestProgram p;
    p->start();
    Form6 &f = openLeaderboard(p);
    const int timers = p.time->activeTimers();
    input::click(&button(f, source));
    for (const QString &caption : shown(f, source))
        QCOMPARE(caption, QString());
    Form &s = sourceWindow(p, source);
    QVERIFY(s.isLoaded());
    QVERIFY(!s.isVisible());
    QCOMPARE(p.time->activeTimers() - timers, timersStarted);
    if (source == Source::SpeedTest) {
        p.advance(3000);
        QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("3"));
        QVERIFY(!p->form5().isVisible());
    }
}

void TestForm6::closedSourceGivesEmptyNeverTheLastValue_data()
{
    QTest::addColumn<Source>("source");
    QTest::newRow("speed test") << Source::SpeedTest;
    QTest::newRow("speed test 1") << Source::SpeedTest1;
    QTest::newRow("english") << Source::English;
}

void TestForm6::closedSourceGivesEmptyNeverTheLastValue()
{
    QFETCH(Source, source);
    TestProgram p;
    p->start();
    const QStringList result = takeTest(p, source);
    Form6 &f = openLeaderboard(p);
    input::click(&button(f, source));
    QCOMPARE(shown(f, source), result);
    sourceWindow(p, source).window().close();
    QVERIFY(!sourceWindow(p, source).isLoaded());
    input::click(&button(f, source));
    for (const QString &caption : shown(f, source))
        QCOMPARE(caption, QString());
    QVERIFY(sourceWindow(p, source).isLoaded());
    QVERIFY(!sourceWindow(p, source).isVisible());
}

void TestForm6::gameScoreFromTheFile_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("caption");
    QTest::newRow("total after a game")
        << true << QByteArray("[config]\r\nlabel1=\xD7\xDC\xB7\xD6:120\r\n")
        << QStringLiteral("总分:120");
    QTest::newRow("score during a game") << true
                                         << QByteArray("[config]\r\nlabel1=\xB7\xD6\xCA\xFD"
                                                       "30\r\n")
                                         << QStringLiteral("分数30");
    QTest::newRow("empty caption") << true << QByteArray("[config]\r\nlabel1=\r\n") << QString();
    QTest::newRow("no such key") << true << QByteArray("[config]\r\nlabel2=5\r\n") << QString();
    QTest::newRow("no file") << false << QByteArray() << QString();
}

void TestForm6::gameScoreFromTheFile()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, caption);
    TestProgram p;
    if (present)
        writeScoreFile(p, bytes);
    p->start();
    Form6 &f = openLeaderboard(p);
    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Label1->Caption(), caption);
    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Label1->Caption(), caption);
    QCOMPARE(p.messages->shown.size(), size_t(0));
    // Reading never creates the file, and does not load the game window.
    QCOMPARE(!p.scoreBytes().isNull(), present);
    QVERIFY(!p->form3().isLoaded());
}

namespace {

enum class Game { None, Finished, ClosedMidGame };

} // namespace

Q_DECLARE_METATYPE(Game)

void TestForm6::gameScoreAfterTheGameWindowClosed_data()
{
    QTest::addColumn<QByteArray>("storedBefore");
    QTest::addColumn<Game>("game");
    QTest::addColumn<QString>("caption");
    const QByteArray stored("[config]\r\nlabel1=\xD7\xDC\xB7\xD6:120\r\n");
    QTest::newRow("a finished game") << stored << Game::Finished << QStringLiteral("总分:10");
    QTest::newRow("closed in the middle of a game")
        << stored << Game::ClosedMidGame << QStringLiteral("分数10");
    QTest::newRow("no game keeps the stored score")
        << stored << Game::None << QStringLiteral("总分:120");
    QTest::newRow("no game and no file yet") << QByteArray() << Game::None << QString();
}

void TestForm6::gameScoreAfterTheGameWindowClosed()
{
    QFETCH(QByteArray, storedBefore);
    QFETCH(Game, game);
    QFETCH(QString, caption);
    TestProgram p;
    if (!storedBefore.isEmpty())
        writeScoreFile(p, storedBefore);
    p->start();
    Form6 &f = openLeaderboard(p);
    input::click(f.ui().Command1);
    const QString before = f.ui().Label1->Caption();

    input::click(p->form1().ui().Command4);
    Form3 &g = p->form3();
    input::activate(&g.window());
    if (game != Game::None) {
        p.random->push({0.0f, 0.5f}); // the first letter: A, halfway across
        input::click(g.ui().Command1);
        QCOMPARE(g.ui().Label2->Caption(), QStringLiteral("A"));
        QTest::keyClick(&g.window(), Qt::Key_A);
        QCOMPARE(g.ui().Label1->Caption(), QStringLiteral("分数10"));
        if (game == Game::Finished)
            p.advance(60'000);
    }
    // The leaderboard shows what it last read until asked again.
    QCOMPARE(f.ui().Label1->Caption(), before);
    g.window().close();
    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Label1->Caption(), caption);
    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Label1->Caption(), caption);
    QCOMPARE(p.messages->shown.size(), size_t(0));
}

QTEST_MAIN(TestForm6)
#include "test_form6.moc"
