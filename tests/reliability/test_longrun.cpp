// The program left running for a week of virtual time with every window open: nothing grows
// (widgets, objects, timers, heap), no tick is lost or doubled, the tick count passes 2^31
// and wraps at 2^32 on the way, and every caption still has its proper form at the end. And
// every window opened and closed hundreds of times: nothing stays behind.
// (The shorter cases, a test across the tick boundaries, the game's score and the free-text
// counter past 32 767, live with their windows' tests.)
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QTest>

#include <malloc.h>

namespace {

constexpr qint64 second = 1000;
constexpr qint64 day = 86'400 * second;

// Timer ticks per second with everything open and the game over: the banner colour every
// 400 ms, the clock, the free-text counter, the live test's clock, and its speed every 200 ms.
constexpr double ticksPerSecond = 2.5 + 1 + 1 + 1 + 5;

struct Snapshot {
    int topLevelWidgets = 0;
    int widgets = 0;
    int objects = 0;
    int activeTimers = 0;
    std::size_t heapInUse = 0;
};

int objectsUnder(const QObject *o)
{
    int n = 1;
    for (const QObject *child : o->children())
        n += objectsUnder(child);
    return n;
}

Snapshot snapshot(TestProgram &p)
{
    // What the event loop would have done by now: windows closed earlier are deleted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Snapshot s;
    s.topLevelWidgets = int(QApplication::topLevelWidgets().size());
    s.widgets = int(QApplication::allWidgets().size());
    for (const QWidget *w : QApplication::topLevelWidgets())
        s.objects += objectsUnder(w);
    s.activeTimers = p.time->activeTimers();
#if !defined(__SANITIZE_ADDRESS__)
    s.heapInUse = mallinfo2().uordblks;
#endif
    return s;
}

// Showing several windows in a row leaves their requests to become the active one pending;
// they land first, then this window becomes the active one.
void bringToFront(QWidget *window)
{
    QCoreApplication::processEvents();
    input::activate(window);
}

} // namespace

class TestLongRun : public QObject {
    Q_OBJECT
private slots:
    void weekWithEveryWindowOpen_data();
    void weekWithEveryWindowOpen();
    void windowsOpenedAndClosedAllDay();
};

void TestLongRun::weekWithEveryWindowOpen_data()
{
    QTest::addColumn<quint32>("startTick");
    // Half a day into the week the tick count passes the boundary.
    QTest::newRow("tick count passes 2^31") << quint32(0x8000'0000u - day / 2);
    QTest::newRow("tick count wraps at 2^32") << quint32(0xFFFF'FFFFu - day / 2 + 1);
}

void TestLongRun::weekWithEveryWindowOpen()
{
    QFETCH(quint32, startTick);
    TestProgram p;
    p.time->setTickCount(startTick);
    p->start();
    Form1 &main = p->form1();
    for (CommandButton *b : {main.ui().Command1, main.ui().Command2, main.ui().Command3,
                             main.ui().Command4, main.ui().Command5, main.ui().Command6})
        input::click(b);

    // A live test running, with text typed.
    Form4 &live = p->form4();
    bringToFront(&live.window());
    input::click(live.ui().Command1);
    const qint64 liveStarted = p.time->elapsedMs();
    input::type(live.ui().Text1, QStringLiteral("一周的打字测试 typing for a week"));
    // Letters generated and the typing box holding the focus, its clock started.
    Form2 &english = p->form2();
    bringToFront(&english.window());
    input::click(english.ui().Command1);
    english.ui().Text2->SetFocus();
    input::type(english.ui().Text2, english.ui().Text1->Text().left(29));
    // A game played to its end.
    Form3 &game = p->form3();
    bringToFront(&game.window());
    input::click(game.ui().Command1);
    p.advance(61 * second);
    QCOMPARE(game.ui().Label1->Caption(), QStringLiteral("总分:0"));

    // The first day settles what stays allocated (caches, fonts, glyphs); after it, nothing
    // may grow.
    p.advance(day - 61 * second);
    const Snapshot first = snapshot(p);
    QCOMPARE(first.activeTimers, 5);
    const qint64 ticksBefore = p.time->ticksDelivered();
    for (int d = 2; d <= 7; ++d) {
        p.advance(day);
        const Snapshot now = snapshot(p);
        QCOMPARE(now.topLevelWidgets, first.topLevelWidgets);
        QCOMPARE(now.widgets, first.widgets);
        QCOMPARE(now.objects, first.objects);
        QCOMPARE(now.activeTimers, first.activeTimers);
        // Half a megabyte is far below what a leak of a few bytes per tick would reach over
        // the 900 000 ticks of a day.
        QVERIFY2(now.heapInUse < first.heapInUse + 512 * 1024,
                 qPrintable(QStringLiteral("day %1: heap in use grew from %2 to %3 bytes")
                                .arg(d)
                                .arg(first.heapInUse)
                                .arg(now.heapInUse)));
    }
    // Every tick came, and only once.
    QCOMPARE(p.time->ticksDelivered() - ticksBefore, qint64(6 * 86'400 * ticksPerSecond));

    QVERIFY(p.messages->shown.empty());
    QVERIFY(!p.program().hasEnded());
    QCOMPARE(p.exit->calls, 0);

    // Every window still works and shows its results in their forms.
    const qint64 seconds = p.time->elapsedMs() / second;
    Form5 &freeText = p->form5();
    QCOMPARE(freeText.ui().Label1->Caption(), QString::number(seconds));
    input::type(freeText.ui().Text1, QStringLiteral("七天"));
    input::click(freeText.ui().Command1);
    QCOMPARE(freeText.ui().Label4->Caption(),
             QStringLiteral("你的打字速度测试成绩为%1秒/个").arg(seconds / 2));

    // The live test's clock measured the whole week, across the tick count's boundary.
    const qint64 liveSeconds = (p.time->elapsedMs() - liveStarted) / second;
    QCOMPARE(live.ui().Label2->Caption(),
             QStringLiteral("用时 %1 分 %2 秒").arg(liveSeconds / 60).arg(liveSeconds % 60));
    QCOMPARE(live.ui().Label3->Caption(), QStringLiteral("录入速度 0 字符/分钟"));
    QCOMPARE(live.ui().Label1->Caption(), QStringLiteral("录入字符 25 个"));

    // The English test, finished a week and a second after its start: the elapsed time shows
    // the part beyond whole days, and 30 letters in a week round to no letters per second.
    bringToFront(&english.window());
    p.advance(second);
    input::type(english.ui().Text2, english.ui().Text1->Text().right(1));
    input::type(english.ui().Text2, QStringLiteral("x"));
    QCOMPARE(english.ui().Label6->Caption(), QStringLiteral("100.0%"));
    QCOMPARE(english.ui().Label7->Caption(), QStringLiteral("字符/秒"));
    QCOMPARE(english.ui().lblused->Caption(), QStringLiteral("00:00:01"));

    Form6 &board = p->form6();
    input::click(board.ui().Command2);
    input::click(board.ui().Command3);
    input::click(board.ui().Command4);
    QCOMPARE(board.ui().Label2->Caption(), freeText.ui().Label4->Caption());
    QCOMPARE(board.ui().Label3->Caption(), live.ui().Label3->Caption());
    QCOMPARE(board.ui().Label4->Caption(), english.ui().Label7->Caption());
    QCOMPARE(board.ui().Label9->Caption(), english.ui().Label6->Caption());

    bringToFront(&game.window());
    input::click(game.ui().Command1);
    QCOMPARE(game.ui().Label1->Caption(), QStringLiteral("分数0"));
    QVERIFY(p.messages->shown.empty());
}

void TestLongRun::windowsOpenedAndClosedAllDay()
{
    TestProgram p;
    p->start();
    Form1 &main = p->form1();
    const std::vector<std::pair<CommandButton *, Form *>> windows = {
        {main.ui().Command1, &p->form5()}, {main.ui().Command2, &p->form4()},
        {main.ui().Command3, &p->form2()}, {main.ui().Command4, &p->form3()},
        {main.ui().Command5, &p->form6()}, {main.ui().Command6, &p->form7()}};
    auto openAndCloseAll = [&](int times) {
        for (int i = 0; i < times; ++i) {
            for (const auto &[button, form] : windows)
                input::click(button);
            p.advance(1500);
            QCoreApplication::processEvents();
            for (const auto &[button, form] : windows)
                form->window().close();
        }
    };
    // The first rounds settle the allocator and Qt's caches (glyphs, the style's pixmaps), which
    // go on filling slowly for a while.
    openAndCloseAll(300);
    const Snapshot first = snapshot(p);
    openAndCloseAll(600);
    const Snapshot now = snapshot(p);
    QCOMPARE(now.topLevelWidgets, first.topLevelWidgets);
    QCOMPARE(now.widgets, first.widgets);
    QCOMPARE(now.objects, first.objects);
    QCOMPARE(now.activeTimers, 2); // the main window's two
    // 3 600 windows built and destroyed; a few dozen bytes kept by each would show.
    QVERIFY2(now.heapInUse < first.heapInUse + 64 * 1024,
             qPrintable(QStringLiteral("heap in use grew from %1 to %2 bytes")
                            .arg(first.heapInUse)
                            .arg(now.heapInUse)));
    QVERIFY(p.messages->shown.empty());
    QVERIFY(!p.program().hasEnded());
}

QTEST_MAIN(TestLongRun)
#include "test_longrun.moc"
