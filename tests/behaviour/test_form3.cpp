// The typing game, played through its widgets under virtual time with a scripted random
// source, and what it leaves in the score file.
#include "forms/form1.h"
#include "forms/form3.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"
#include "values/gbk.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <cerrno>
#include <cmath>

namespace {

constexpr int letterWidth = 2535;

// The draw that makes the game show this capital letter.
float drawFor(char letter) { return float((letter - 'A' + 0.5) / 26.0); }

// Queues a letter and the draw for its horizontal position.
void scriptDrop(TestProgram &p, char letter, float across = 0.5f)
{
    p.random->push({drawFor(letter), across});
}

// The game on its own, made the active window.
Form3 &openGame(TestProgram &p)
{
    Form3 &f = p->form3();
    f.show();
    input::activate(&f.window());
    return f;
}

// The game opened from the main window, which keeps the program running after it closes.
Form3 &openFromMainWindow(TestProgram &p)
{
    p->start();
    input::click(p->form1().ui().Command4);
    Form3 &f = p->form3();
    input::activate(&f.window());
    return f;
}

void startGame(TestProgram &p, Form3 &f, char letter, float across = 0.5f)
{
    scriptDrop(p, letter, across);
    input::click(f.ui().Command1);
}

// A key pressed by the player: it goes wherever the keyboard focus is.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr);
    QTest::sendKeyEvent(QTest::Click, focus, key, text, modifiers);
}

// Presses the key of the letter shown, with the next letter scripted.
void hit(TestProgram &p, Form3 &f, char next = 'Q')
{
    const QString shown = f.ui().Label2->Caption();
    QCOMPARE(shown.size(), 1);
    scriptDrop(p, next);
    press(Qt::Key(Qt::Key_A + (shown[0].unicode() - 'A')), Qt::NoModifier, shown.toLower());
}

// Where a drop with this draw must put the letter: from the window's outer width now.
int expectedLeft(Form3 &f, float across)
{
    const int outerWidth = f.window().frameGeometry().width() * twips::perPixel;
    return int(std::floor(double(across) * (outerWidth - letterWidth)));
}

// Resizes the window so that its outer size is the given number of pixels.
void resizeOuter(Form3 &f, int outerWidth, int outerHeight)
{
    FormWindow &w = f.window();
    const QSize frame = w.frameGeometry().size() - w.size();
    w.resize(outerWidth - frame.width(), outerHeight - frame.height());
    QCOMPARE(w.frameGeometry().size(), QSize(outerWidth, outerHeight));
}

QString scorePath(TestProgram &p)
{
    return QDir(p.programDir()).filePath(QStringLiteral("config.ini"));
}

QByteArray fileFor(const QString &caption)
{
    return "[config]\r\nlabel1=" + gbk::encode(caption) + "\r\n";
}

} // namespace

class TestForm3 : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void nothingHappensBeforeTheStart();
    void start_data();
    void start();
    void keys_data();
    void keys();
    void letterIsReplacedOnlyOncePastTheBottom();
    void resizingMidGameCountsAtOnce();
    void gameEndsAfterOneMinute();
    void closingSavesTheCaption_data();
    void closingSavesTheCaption();
    void lastCloseWins();
    void closingWithoutAGameKeepsTheStoredScore();
    void failedSaveIsReportedAndTheWindowCloses();
    void unwritableProgramFolderSavesInThePerUserFolder();
    void scoreGoesPast32767();
    void endingTheProgramSavesNothing();
};

void TestForm3::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twipsRect");
    QTest::newRow("Label1") << "Label1"
                            << "" << QRect(480, 360, 2055, 975);
    QTest::newRow("Label2") << "Label2"
                            << "" << QRect(3240, 360, 2535, 975);
    QTest::newRow("Command1") << "Command1"
                              << "开始" << QRect(2400, 2040, 1575, 975);
    QTest::newRow("Label3") << "Label3"
                            << "游戏时间：1分钟 游戏结束后，先退出窗口，再到排行榜保存即可显示 "
                               "下次打开时就可以读取"
                            << QRect(240, 3360, 1815, 975);
}

void TestForm3::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twipsRect);
    TestProgram p;
    Form3 &f = openGame(p);
    QCOMPARE(f.window().windowTitle(), QStringLiteral("打字游戏"));
    QCOMPARE(f.window().size(), QSize(twips::toPixels(6345), twips::toPixels(4485)));
    QWidget *w = f.window().findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(),
             twips::toPixels(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height()));
    if (auto *label = dynamic_cast<Label *>(w))
        QCOMPARE(label->Caption(), caption);
    else
        QCOMPARE(static_cast<QPushButton *>(w)->text(), caption);
}

void TestForm3::nothingHappensBeforeTheStart()
{
    TestProgram p;
    Form3 &f = openGame(p);
    QVERIFY(f.ui().Command1->Enabled());
    QCOMPARE(p.time->activeTimers(), 0);
    // Every letter, with the window itself holding the focus: no letter shows, none matches.
    f.window().setFocus();
    for (int k = Qt::Key_A; k <= Qt::Key_Z; ++k)
        press(Qt::Key(k), Qt::ShiftModifier, QString(QChar(k)));
    p.advance(5000);
    QCOMPARE(f.ui().Label1->Caption(), QString());
    QCOMPARE(f.ui().Label2->Caption(), QString());
    QCOMPARE(f.ui().Label2->Top(), 360);
    QCOMPARE(p.random->draws(), 0);
}

void TestForm3::start_data()
{
    QTest::addColumn<float>("letterDraw");
    QTest::addColumn<float>("acrossDraw");
    QTest::addColumn<QString>("letter");
    QTest::newRow("lowest draws") << 0.0f << 0.0f << "A";
    QTest::newRow("middle") << 0.5f << 0.5f << "N";
    QTest::newRow("just below 1/26") << 0.0384f << 0.25f << "A";
    QTest::newRow("highest draws") << 0.99999994f << 0.99999994f << "Z";
}

void TestForm3::start()
{
    QFETCH(float, letterDraw);
    QFETCH(float, acrossDraw);
    QFETCH(QString, letter);
    TestProgram p;
    Form3 &f = openGame(p);
    p.random->push({letterDraw, acrossDraw});
    input::click(f.ui().Command1);

    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数0"));
    QVERIFY(!f.ui().Command1->Enabled());
    QCOMPARE(QApplication::focusWidget(), &f.window());
    QCOMPARE(f.ui().Label2->Caption(), letter);
    QCOMPARE(f.ui().Label2->Top(), 0);
    QCOMPARE(f.ui().Label2->Left(), expectedLeft(f, acrossDraw));
    QVERIFY(f.ui().Label2->Left() >= 0);
    QVERIFY(f.ui().Label2->Left() < f.Width() - letterWidth);
    QCOMPARE(p.random->draws(), 2);
    QCOMPARE(f.ui().Label2->pos(), QPoint(twips::toPixels(f.ui().Label2->Left()), 0));

    // It falls 40 twips every 10 ms, drawing nothing.
    p.advance(10);
    QCOMPARE(f.ui().Label2->Top(), 40);
    p.advance(90);
    QCOMPARE(f.ui().Label2->Top(), 400);
    QCOMPARE(f.ui().Label2->pos().y(), twips::toPixels(400));
    QCOMPARE(p.random->draws(), 2);
}

void TestForm3::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hits");
    // The letter shown is X (88).
    QTest::newRow("x") << int(Qt::Key_X) << int(Qt::NoModifier) << "x" << true;
    QTest::newRow("Shift+X") << int(Qt::Key_X) << int(Qt::ShiftModifier) << "X" << true;
    QTest::newRow("X with Caps Lock") << int(Qt::Key_X) << int(Qt::NoModifier) << "X" << true;
    QTest::newRow("Shift+X with Caps Lock")
        << int(Qt::Key_X) << int(Qt::ShiftModifier) << "x" << true;
    QTest::newRow("another letter") << int(Qt::Key_Y) << int(Qt::NoModifier) << "y" << false;
    QTest::newRow("digit 8") << int(Qt::Key_8) << int(Qt::NoModifier) << "8" << false;
    QTest::newRow("keypad 8 (code 104)")
        << int(Qt::Key_8) << int(Qt::KeypadModifier) << "8" << false;
    QTest::newRow("F9 (code 120, a small x)")
        << int(Qt::Key_F9) << int(Qt::NoModifier) << "" << false;
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << "\r" << false;
}

void TestForm3::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(bool, hits);
    TestProgram p;
    Form3 &f = openGame(p);
    startGame(p, f, 'X', 0.0f);
    p.advance(50);
    QCOMPARE(f.ui().Label2->Top(), 200);

    scriptDrop(p, 'K', 0.5f);
    press(Qt::Key(key), Qt::KeyboardModifiers(modifiers), text);

    if (hits) {
        QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数10"));
        QCOMPARE(f.score(), std::int64_t(10));
        QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("K"));
        QCOMPARE(f.ui().Label2->Top(), 0);
        QCOMPARE(f.ui().Label2->Left(), expectedLeft(f, 0.5f));
        QCOMPARE(p.random->draws(), 4);
    } else {
        QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数0"));
        QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("X"));
        QCOMPARE(f.ui().Label2->Top(), 200);
        QCOMPARE(f.ui().Label2->Left(), 0);
        QCOMPARE(p.random->draws(), 2);
    }
    // The game goes on either way.
    QVERIFY(!f.ui().Command1->Enabled());
    QCOMPARE(QApplication::focusWidget(), &f.window());
}

void TestForm3::letterIsReplacedOnlyOncePastTheBottom()
{
    TestProgram p;
    Form3 &f = openGame(p);
    // 304 px outer is 4560 twips, a multiple of 40, so the letter can stand exactly on it.
    resizeOuter(f, 440, 304);
    QCOMPARE(f.Height(), 4560);
    startGame(p, f, 'B');
    p.advance(10 * 113);
    QCOMPARE(f.ui().Label2->Top(), 4520);
    p.advance(10);
    QCOMPARE(f.ui().Label2->Top(), 4560);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("B"));
    QCOMPARE(p.random->draws(), 2);

    scriptDrop(p, 'M', 0.75f);
    p.advance(10);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("M"));
    QCOMPARE(f.ui().Label2->Top(), 0);
    QCOMPARE(f.ui().Label2->Left(), expectedLeft(f, 0.75f));
    QCOMPARE(p.random->draws(), 4);
    // A letter that got away costs nothing.
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数0"));
    p.advance(10);
    QCOMPARE(f.ui().Label2->Top(), 40);
}

void TestForm3::resizingMidGameCountsAtOnce()
{
    TestProgram p;
    Form3 &f = openGame(p);
    startGame(p, f, 'C');
    p.advance(200);
    QCOMPARE(f.ui().Label2->Top(), 800);

    // Narrower than the letter: the next letter starts at 0 or left of it.
    resizeOuter(f, 120, 200);
    scriptDrop(p, 'D', 0.5f);
    press(Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("D"));
    QCOMPARE(f.ui().Label2->Left(), int(std::floor(0.5 * (120 * 15 - letterWidth))));
    QVERIFY(f.ui().Label2->Left() <= 0);

    // The bottom is the new outer height, 3000 twips: 75 ticks reach it, the 76th passes it.
    QCOMPARE(f.Height(), 3000);
    p.advance(750);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("D"));
    QCOMPARE(f.ui().Label2->Top(), 3000);
    scriptDrop(p, 'E', 0.0f);
    p.advance(10);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("E"));
    QCOMPARE(f.ui().Label2->Top(), 0);
}

void TestForm3::gameEndsAfterOneMinute()
{
    TestProgram p;
    Form3 &f = openGame(p);
    p.advance(1234);
    startGame(p, f, 'G');
    hit(p, f, 'H');
    hit(p, f, 'I');
    p.advance(59'999);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数20"));
    QVERIFY(!f.ui().Command1->Enabled());

    p.advance(1);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("总分:20"));
    QVERIFY(f.ui().Command1->Enabled());
    QCOMPARE(p.time->activeTimers(), 0);
    QCOMPARE(f.ui().Timer1.Interval(), 0);
    QCOMPARE(f.ui().Timer2.Interval(), 0);
    // The letter stops where it was (it may have been replaced on the way down).
    const QString last = f.ui().Label2->Caption();
    const int top = f.ui().Label2->Top();
    QVERIFY(top > 0);
    p.advance(5000);
    QCOMPARE(f.ui().Label2->Caption(), last);
    QCOMPARE(f.ui().Label2->Top(), top);
    // The window keeps the focus, so the letter still shown still scores.
    QCOMPARE(QApplication::focusWidget(), &f.window());
    hit(p, f, 'J');
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数30"));
    QCOMPARE(f.score(), std::int64_t(30));
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("J"));
    QCOMPARE(f.ui().Label2->Top(), 0);
    p.advance(1000);
    QCOMPARE(f.ui().Label2->Top(), 0);

    // A new game: from 0, for a full minute again.
    startGame(p, f, 'K');
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数0"));
    QCOMPARE(QApplication::focusWidget(), &f.window());
    p.advance(59'990);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数0"));
    p.advance(10);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("总分:0"));
}

void TestForm3::closingSavesTheCaption_data()
{
    QTest::addColumn<int>("hitsInGame");
    QTest::addColumn<bool>("playToTheEnd");
    QTest::addColumn<int>("hitsAfterTheEnd");
    QTest::addColumn<QString>("caption");
    QTest::newRow("during a game") << 2 << false << 0 << "分数20";
    QTest::newRow("right after starting") << 0 << false << 0 << "分数0";
    QTest::newRow("after the end") << 12 << true << 0 << "总分:120";
    QTest::newRow("after the end and a late hit") << 2 << true << 1 << "分数30";
}

void TestForm3::closingSavesTheCaption()
{
    QFETCH(int, hitsInGame);
    QFETCH(bool, playToTheEnd);
    QFETCH(int, hitsAfterTheEnd);
    QFETCH(QString, caption);
    TestProgram p;
    Form3 &f = openFromMainWindow(p);
    startGame(p, f, 'S');
    for (int i = 0; i < hitsInGame; ++i)
        hit(p, f);
    if (playToTheEnd)
        p.advance(60'000);
    for (int i = 0; i < hitsAfterTheEnd; ++i)
        hit(p, f);
    QCOMPARE(f.ui().Label1->Caption(), caption);

    f.window().close();
    QVERIFY(!f.isLoaded());
    QCOMPARE(p.scoreBytes(), fileFor(caption));
    QCOMPARE(p.module1().ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"),
                                      p.module1().scoreFilePath()),
             caption);
    QVERIFY(p.messages->shown.empty());
    QCOMPARE(p.exit->calls, 0);

    // Open again: empty labels, the old score kept but not shown.
    p->form3().show();
    QCOMPARE(f.ui().Label1->Caption(), QString());
    QCOMPARE(f.ui().Label2->Caption(), QString());
    QCOMPARE(f.ui().Command1->Caption(), QStringLiteral("开始"));
    QCOMPARE(f.score(), std::int64_t(10 * (hitsInGame + hitsAfterTheEnd)));
}

void TestForm3::lastCloseWins()
{
    TestProgram p;
    Form3 &f = openFromMainWindow(p);
    startGame(p, f, 'A');
    hit(p, f);
    p.advance(60'000);
    f.window().close();
    QCOMPARE(p.scoreBytes(), fileFor(QStringLiteral("总分:10")));

    input::click(p->form1().ui().Command4);
    input::activate(&f.window());
    startGame(p, f, 'B');
    hit(p, f);
    hit(p, f);
    hit(p, f);
    f.window().close();
    QCOMPARE(p.scoreBytes(), fileFor(QStringLiteral("分数30")));
}

void TestForm3::closingWithoutAGameKeepsTheStoredScore()
{
    TestProgram p;
    p->start();
    // No score yet: closing at once creates no file.
    input::click(p->form1().ui().Command4);
    p->form3().window().close();
    QVERIFY(p.scoreBytes().isNull());

    const QByteArray stored = fileFor(QStringLiteral("总分:120"));
    p.files->stored[scorePath(p)] = stored;
    input::click(p->form1().ui().Command4);
    p.advance(61'000);
    p->form3().window().close();
    QCOMPARE(p.scoreBytes(), stored);
    QVERIFY(p.messages->shown.empty());
}

void TestForm3::failedSaveIsReportedAndTheWindowCloses()
{
    // Any failure will do (the disk's own tests go through each): the disk is full.
    TestProgram p;
    const QString path = QDir::toNativeSeparators(scorePath(p));
    p.files->failWith = ENOSPC;
    Form3 &f = openFromMainWindow(p);
    startGame(p, f, 'W');
    hit(p, f);
    f.window().close();

    // Which file and why.
    QCOMPARE(p.messages->shown.size(), size_t(1));
    const QString message = p.messages->shown[0].text;
    QVERIFY2(message.contains(path + QStringLiteral("\n磁盘空间不足（")), qPrintable(message));
    QCOMPARE(p.messages->shown[0].title, Program::applicationTitle());
    QVERIFY(!f.isLoaded());
    QCOMPARE(p.exit->calls, 0);
    QVERIFY(!p.program().hasEnded());

    // The program carries on, and once the fault is gone the next close saves.
    p.files->failWith = 0;
    input::click(p->form1().ui().Command4);
    input::activate(&f.window());
    startGame(p, f, 'V');
    hit(p, f);
    f.window().close();
    QCOMPARE(p.messages->shown.size(), size_t(1));
    QCOMPARE(p.scoreBytes(), fileFor(QStringLiteral("分数10")));
}

void TestForm3::unwritableProgramFolderSavesInThePerUserFolder()
{
    TestProgram p;
    p.files->readOnly << p.programDir();
    Form3 &f = openGame(p);
    startGame(p, f, 'U');
    hit(p, f);
    f.window().close();
    const QString path = QDir(p.userDataDir()).filePath(QStringLiteral("config.ini"));
    QCOMPARE(p.module1().scoreFilePath(), path);
    QCOMPARE(p.files->bytes(path), fileFor(QStringLiteral("分数10")));
    QVERIFY(p.messages->shown.empty());
}

void TestForm3::scoreGoesPast32767()
{
    TestProgram p;
    Form3 &f = openGame(p);
    startGame(p, f, 'A');
    for (int i = 0; i < 3300; ++i)
        hit(p, f, char('A' + i % 26));
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("分数33000"));
    p.advance(60'000);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("总分:33000"));
    QVERIFY(p.messages->shown.empty());
    QVERIFY(!p.program().hasEnded());
}

void TestForm3::endingTheProgramSavesNothing()
{
    TestProgram p;
    Form3 &f = openFromMainWindow(p);
    startGame(p, f, 'E');
    hit(p, f);
    input::click(p->form1().ui().C);
    QCOMPARE(p.exit->calls, 1);
    QVERIFY(!f.isLoaded());
    QCOMPARE(p.files->saves, 0);
}

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
