// The live typing speed test, driven through its widgets under virtual time with a fake tick
// count.
#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>

namespace {

// Opens the window from the main window, as the user does, and makes it the active one.
Form4 &open(TestProgram &p)
{
    p->start();
    input::click(p->form1().ui().Command2);
    Form4 &f = p->form4();
    input::activate(&f.window());
    return f;
}

void select(TextBox &box, int from, int to)
{
    QTextCursor c = box.textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    box.setTextCursor(c);
}

QString chars(int n) { return QString(n, QLatin1Char('x')); }

// The ways a text box offers to change its text, beyond plain keys.
enum class Route { Key, ImeCommit, ImeComposeThenCommit };

} // namespace

Q_DECLARE_METATYPE(Route)

class TestForm4 : public QObject {
    Q_OBJECT
private slots:
    void openingShowsTheReadyState();
    void startEmptiesTheBoxAndFocusesIt();
    void firstSecondLeavesTimeAndSpeedEmpty();
    void emptyTextNeverWritesTheSpeed();
    void elapsedTime_data();
    void elapsedTime();
    void speed_data();
    void speed();
    void speedKeepsFallingAfterTypingStops();
    void secondStartMeasuresNewTextAgainstOldSecondsUntilTheNextTick();
    void textOnlyGrows_data();
    void textOnlyGrows();
    void selectedTextIsNotPickedUpForDragging();
    void imeCommitCounts();
    void tickCountWrap_data();
    void tickCountWrap();
    void closingKeepsTheValuesAndReloadsReady();
    void exitEndsEverythingWithoutUnloading();
};

void TestForm4::openingShowsTheReadyState()
{
    TestProgram p;
    Form4 &f = open(p);
    QCOMPARE(f.window().windowTitle(), QStringLiteral("打字速度测试1"));
    QCOMPARE(f.ui().Text1->Text(), QStringLiteral("准备测试..."));
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 7 个"));
    QCOMPARE(QApplication::focusWidget(), f.ui().Command1);
    // Typing before the start only changes the count; no clock runs.
    input::type(f.ui().Text1, QStringLiteral("ab"));
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 9 个"));
    p.advance(5000);
    QCOMPARE(f.ui().Label2->Caption(), QString());
    QCOMPARE(f.ui().Label3->Caption(), QString());
    QVERIFY(!f.ui().Timer1.Enabled());
    QCOMPARE(f.ui().Timer2.Interval(), 0);
}

void TestForm4::startEmptiesTheBoxAndFocusesIt()
{
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Text1->Text(), QString());
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 0 个"));
    QCOMPARE(QApplication::focusWidget(), f.ui().Text1);
    QCOMPARE(f.startTick(), std::int32_t(p.time->tickCount()));
}

void TestForm4::firstSecondLeavesTimeAndSpeedEmpty()
{
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    input::type(f.ui().Text1, QStringLiteral("abc"));
    p.advance(999);
    QCOMPARE(f.ui().Label2->Caption(), QString());
    QCOMPARE(f.ui().Label3->Caption(), QString());
    p.advance(201);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("用时 0 分 1 秒"));
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 180 字符/分钟"));
}

void TestForm4::emptyTextNeverWritesTheSpeed()
{
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    p.advance(120'000);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("用时 2 分 0 秒"));
    QCOMPARE(f.ui().Label3->Caption(), QString());
    QVERIFY(p.messages->shown.empty());
}

void TestForm4::elapsedTime_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("caption");
    QTest::newRow("59 s") << 59 << QStringLiteral("用时 0 分 59 秒");
    QTest::newRow("exactly a minute") << 60 << QStringLiteral("用时 1 分 0 秒");
    QTest::newRow("75 s") << 75 << QStringLiteral("用时 1 分 15 秒");
    QTest::newRow("an hour goes on in minutes") << 3601 << QStringLiteral("用时 60 分 1 秒");
}

void TestForm4::elapsedTime()
{
    QFETCH(int, seconds);
    QFETCH(QString, caption);
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    p.advance(qint64(seconds) * 1000);
    QCOMPARE(f.ui().Label2->Caption(), caption);
    QCOMPARE(f.elapsedSeconds(), seconds);
}

void TestForm4::speed_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("caption");
    QTest::newRow("50 characters in 20 s")
        << chars(50) << 20 << QStringLiteral("录入速度 150 字符/分钟");
    QTest::newRow("a fraction is cut down, not rounded")
        << chars(7) << 9 << QStringLiteral("录入速度 46 字符/分钟");
    // 41 / 5 * 60 is just below 492 in floating point; 41 * 60 / 5 would give 492.
    QTest::newRow("division before multiplication")
        << chars(41) << 5 << QStringLiteral("录入速度 491 字符/分钟");
    QTest::newRow("chinese characters count one each")
        << QStringLiteral("打字速度测试") << 6 << QStringLiteral("录入速度 60 字符/分钟");
    QTest::newRow("a line break counts two")
        << QStringLiteral("abcd\ne") << 7 << QStringLiteral("录入速度 60 字符/分钟");
}

void TestForm4::speed()
{
    QFETCH(QString, typed);
    QFETCH(int, seconds);
    QFETCH(QString, caption);
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    input::type(f.ui().Text1, typed);
    // A fifth of a second more: the speed tick after the clock tick of the last second.
    p.advance(qint64(seconds) * 1000 + 200);
    QCOMPARE(f.ui().Label3->Caption(), caption);
}

void TestForm4::speedKeepsFallingAfterTypingStops()
{
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    input::type(f.ui().Text1, chars(60));
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 60 个"));
    p.advance(60'200);
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 60 字符/分钟"));
    p.advance(60'000);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("用时 2 分 0 秒"));
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 30 字符/分钟"));
}

void TestForm4::secondStartMeasuresNewTextAgainstOldSecondsUntilTheNextTick()
{
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    input::type(f.ui().Text1, chars(10));
    p.advance(30'000);
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 20 字符/分钟"));

    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 0 个"));
    // Nothing is reset by the start itself.
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("用时 0 分 30 秒"));
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 20 字符/分钟"));
    QCOMPARE(f.elapsedSeconds(), 30);

    input::type(f.ui().Text1, chars(5));
    p.advance(200);
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 10 字符/分钟"));
    p.advance(799);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("用时 0 分 30 秒"));
    // The new test's first second.
    p.advance(201);
    QCOMPARE(f.ui().Label2->Caption(), QStringLiteral("用时 0 分 1 秒"));
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 300 字符/分钟"));
}

void TestForm4::textOnlyGrows_data()
{
    QTest::addColumn<Route>("route");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("after");

    // The box holds "abcdef" with the caret after "a"; "selected" selects "bcd" from there.
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    const int alt = Qt::AltModifier;
    const QString same = QStringLiteral("abcdef");
    QTest::newRow("Backspace") << Route::Key << int(Qt::Key_Backspace) << none << QString() << false
                               << same;
    QTest::newRow("Backspace over a selection")
        << Route::Key << int(Qt::Key_Backspace) << none << QString() << true << same;
    QTest::newRow("Ctrl+H, the backspace character")
        << Route::Key << int(Qt::Key_H) << ctrl << QString() << false << same;
    QTest::newRow("Delete") << Route::Key << int(Qt::Key_Delete) << none << QString() << false
                            << same;
    QTest::newRow("Delete over a selection")
        << Route::Key << int(Qt::Key_Delete) << none << QString() << true << same;
    QTest::newRow("keypad Delete") << Route::Key << int(Qt::Key_Delete) << int(Qt::KeypadModifier)
                                   << QString() << false << same;
    QTest::newRow("Ctrl+Backspace deletes no word")
        << Route::Key << int(Qt::Key_Backspace) << ctrl << QString() << false << same;
    QTest::newRow("Ctrl+Backspace over a selection")
        << Route::Key << int(Qt::Key_Backspace) << ctrl << QString() << true << same;
    QTest::newRow("Ctrl+Delete deletes no word")
        << Route::Key << int(Qt::Key_Delete) << ctrl << QString() << false << same;
    QTest::newRow("Alt+Backspace")
        << Route::Key << int(Qt::Key_Backspace) << alt << QString() << false << same;
    QTest::newRow("Ctrl+X cuts nothing")
        << Route::Key << int(Qt::Key_X) << ctrl << QString() << true << same;
    QTest::newRow("Shift+Delete cuts nothing")
        << Route::Key << int(Qt::Key_Delete) << shift << QString() << true << same;
    QTest::newRow("Ctrl+K deletes no line")
        << Route::Key << int(Qt::Key_K) << ctrl << QString() << false << same;
    QTest::newRow("Ctrl+Z takes nothing back")
        << Route::Key << int(Qt::Key_Z) << ctrl << QString() << false << same;
    QTest::newRow("Ctrl+Shift+Z") << Route::Key << int(Qt::Key_Z) << (ctrl | shift) << QString()
                                  << false << same;
    QTest::newRow("Ctrl+Y") << Route::Key << int(Qt::Key_Y) << ctrl << QString() << false << same;
    QTest::newRow("typing over a selection inserts at its start")
        << Route::Key << int(Qt::Key_Q) << none << QStringLiteral("q") << true
        << QStringLiteral("aqbcdef");
    QTest::newRow("a key without a key code over a selection")
        << Route::Key << 0 << none << QStringLiteral("é") << true << QStringLiteral("aébcdef");
    QTest::newRow("Enter over a selection adds a line")
        << Route::Key << int(Qt::Key_Return) << none << QString() << true
        << QStringLiteral("a\r\nbcdef");
    QTest::newRow("Ctrl+V over a selection inserts")
        << Route::Key << int(Qt::Key_V) << ctrl << QString() << true
        << QStringLiteral("a粘贴bcdef");
    QTest::newRow("Shift+Insert over a selection inserts")
        << Route::Key << int(Qt::Key_Insert) << shift << QString() << true
        << QStringLiteral("a粘贴bcdef");
    QTest::newRow("input method commit over a selection")
        << Route::ImeCommit << 0 << none << QStringLiteral("中文") << true
        << QStringLiteral("a中文bcdef");
    QTest::newRow("input method composing over a selection")
        << Route::ImeComposeThenCommit << 0 << none << QStringLiteral("中文") << true
        << QStringLiteral("a中文bcdef");
}

void TestForm4::textOnlyGrows()
{
    QFETCH(Route, route);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(bool, selected);
    QFETCH(QString, after);
    TestProgram p;
    Form4 &f = open(p);
    TextBox &box = *f.ui().Text1;
    QApplication::clipboard()->setText(QStringLiteral("粘贴"));
    input::click(f.ui().Command1);
    input::type(&box, QStringLiteral("abcdef"));
    select(box, 1, selected ? 4 : 1);

    switch (route) {
    case Route::Key: {
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(&box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(&box, &release);
        break;
    }
    case Route::ImeCommit: input::imeCommit(&box, text); break;
    case Route::ImeComposeThenCommit: {
        QInputMethodEvent compose(QStringLiteral("zhongwen"), {});
        QApplication::sendEvent(&box, &compose);
        QCOMPARE(box.Text(), QStringLiteral("abcdef"));
        input::imeCommit(&box, text);
        break;
    }
    }
    QCOMPARE(box.Text(), after);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 %1 个").arg(after.size()));
}

void TestForm4::selectedTextIsNotPickedUpForDragging()
{
    TestProgram p;
    Form4 &f = open(p);
    TextBox &box = *f.ui().Text1;
    input::click(f.ui().Command1);
    input::type(&box, QStringLiteral("abcdef"));
    select(box, 1, 5);
    // A press inside the selection would arm a drag whose move into another program takes
    // the text out of the box; here it only places the caret.
    const QPoint inside = box.cursorRect(box.document()->find(QStringLiteral("c"))).center();
    QTest::mousePress(box.viewport(), Qt::LeftButton, Qt::NoModifier, inside);
    QCOMPARE(box.SelLength(), 0);
    QTest::mouseRelease(box.viewport(), Qt::LeftButton, Qt::NoModifier, inside);
    QCOMPARE(box.Text(), QStringLiteral("abcdef"));
}

void TestForm4::imeCommitCounts()
{
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    input::imeCommit(f.ui().Text1, QStringLiteral("打字"));
    input::imeCommit(f.ui().Text1, QStringLiteral("测试"));
    QCOMPARE(f.ui().Text1->Text(), QStringLiteral("打字测试"));
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 4 个"));
    p.advance(2000);
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 120 字符/分钟"));
}

void TestForm4::tickCountWrap_data()
{
    QTest::addColumn<quint32>("startTick");
    QTest::addColumn<quint32>("jump");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("speed");
    QTest::newRow("across 2^31") << quint32(0x7FFF'FFFFu - 30'000) << 0u << 75
                                 << QStringLiteral("用时 1 分 15 秒")
                                 << QStringLiteral("录入速度 40 字符/分钟");
    QTest::newRow("across the wrap at 2^32")
        << quint32(0xFFFF'FFFFu - 30'000) << 0u << 75 << QStringLiteral("用时 1 分 15 秒")
        << QStringLiteral("录入速度 40 字符/分钟");
    QTest::newRow("starting exactly at 2^31")
        << 0x8000'0000u << 0u << 75 << QStringLiteral("用时 1 分 15 秒")
        << QStringLiteral("录入速度 40 字符/分钟");
    // A test left running for 25 days: longer than 2^31 ms.
    QTest::newRow("running longer than 2^31 ms")
        << 1000u << 2'160'000'000u << 1 << QStringLiteral("用时 36000 分 1 秒")
        << QStringLiteral("录入速度 0 字符/分钟");
}

void TestForm4::tickCountWrap()
{
    QFETCH(quint32, startTick);
    QFETCH(quint32, jump);
    QFETCH(int, seconds);
    QFETCH(QString, time);
    QFETCH(QString, speed);
    TestProgram p;
    Form4 &f = open(p);
    p.time->setTickCount(startTick);
    input::click(f.ui().Command1);
    input::type(f.ui().Text1, chars(50));
    if (jump != 0)
        p.time->setTickCount(startTick + jump);
    p.advance(qint64(seconds) * 1000 + 200);
    QCOMPARE(f.ui().Label2->Caption(), time);
    QCOMPARE(f.ui().Label3->Caption(), speed);
    QVERIFY(p.messages->shown.empty());
    QVERIFY(!p.program().hasEnded());
}

void TestForm4::closingKeepsTheValuesAndReloadsReady()
{
    TestProgram p;
    Form4 &f = open(p);
    input::click(f.ui().Command1);
    input::type(f.ui().Text1, chars(30));
    p.advance(20'200);
    QCOMPARE(f.ui().Label3->Caption(), QStringLiteral("录入速度 90 字符/分钟"));
    const std::int32_t startTick = f.startTick();
    f.window().close();
    QVERIFY(!f.isLoaded());
    QCOMPARE(f.elapsedSeconds(), 20);

    // The leaderboard reading the result loads the window hidden, in the Ready state.
    QCOMPARE(f.ui().Label3->Caption(), QString());
    QVERIFY(f.isLoaded());
    QVERIFY(!f.isVisible());
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("录入字符 7 个"));
    p.advance(10'000);
    QCOMPARE(f.ui().Label2->Caption(), QString());
    QCOMPARE(f.ui().Label3->Caption(), QString());
    QCOMPARE(f.startTick(), startTick);
    QCOMPARE(f.elapsedSeconds(), 20);
}

void TestForm4::exitEndsEverythingWithoutUnloading()
{
    TestProgram p;
    Form4 &f = open(p);
    p->form5().show();
    p->form3().show();
    input::click(f.ui().Command1);
    input::type(f.ui().Text1, QStringLiteral("abc"));
    input::click(f.ui().Command2);
    QCOMPARE(p.exit->calls, 1);
    QVERIFY(p.program().hasEnded());
    QVERIFY(!p->form1().isLoaded());
    QVERIFY(!p->form3().isLoaded());
    QVERIFY(!p->form4().isLoaded());
    QVERIFY(!p->form5().isLoaded());
    // The game window's unload would have written its score.
    QCOMPARE(p.files->saves, 0);
    // Nothing ticks any more.
    QCOMPARE(p.time->activeTimers(), 0);
}

QTEST_MAIN(TestForm4)
#include "test_form4.moc"
