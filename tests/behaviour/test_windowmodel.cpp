// The rules every window relies on: implicit load, unload keeping private variables, show,
// End, program end, runtime errors, timers and text boxes.
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"
#include "values/convert.h"
#include "values/gbk.h"

#include <QFile>
#include <QTest>

#include <cerrno>
#include <functional>

using Steps = std::function<void(TestProgram &)>;

class TestWindowModel : public QObject {
    Q_OBJECT
private slots:
    void referenceDoesNotLoad();
    void readingALabelLoadsTheWindowHidden();
    void closeThenReadGivesDesignTimeCaptionButKeepsPrivateVariables();
    void showingAShownWindowOnlyRaisesIt();
    void endStopsEverythingAtOnce();
    void programEnd_data();
    void programEnd();
    void hiddenWindowsUnloadAsAClose();
    void sessionEndClosesEveryWindow_data();
    void sessionEndClosesEveryWindow();
    void endOrErrorStopsTheHandlersRunning_data();
    void endOrErrorStopsTheHandlersRunning();
    void timersRunHiddenAndStopOnUnload();
    void multiLineBoxCountsLineBreaksAsTwo();
};

void TestWindowModel::referenceDoesNotLoad()
{
    TestProgram p;
    Form5 &f = p->form5();
    QVERIFY(!f.isLoaded());
    QCOMPARE(&p->form5(), &f); // one shared instance
}

void TestWindowModel::readingALabelLoadsTheWindowHidden()
{
    TestProgram p;
    QCOMPARE(p->form5().ui().Label4->Caption(), QString());
    QVERIFY(p->form5().isLoaded());
    QVERIFY(!p->form5().isVisible());
    // Form_Load ran: the counter ticks.
    p.advance(1000);
    QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("1"));
    QVERIFY(!p->form5().isVisible());
}

void TestWindowModel::closeThenReadGivesDesignTimeCaptionButKeepsPrivateVariables()
{
    TestProgram p;
    p->start();
    p->form5().show();
    p.advance(3000);
    QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("3"));
    p->form5().window().close();
    QVERIFY(!p->form5().isLoaded());
    QCOMPARE(p->form5().secondCount(), 3);
    // Reading loads it again with the design-time caption.
    QCOMPARE(p->form5().ui().Label1->Caption(), QString());
    p.advance(1000);
    QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("4"));
}

void TestWindowModel::showingAShownWindowOnlyRaisesIt()
{
    TestProgram p;
    p->start();
    p->form5().show();
    FormWindow *first = &p->form5().window();
    input::type(p->form5().ui().Text1, QStringLiteral("abc"));
    p.advance(2000);
    p->form5().show();
    QCOMPARE(&p->form5().window(), first);
    QCOMPARE(p->form5().ui().Text1->Text(), QStringLiteral("abc"));
    QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("2"));
}

void TestWindowModel::endStopsEverythingAtOnce()
{
    TestProgram p;
    p->start();
    p->form5().show();
    input::click(p->form1().ui().C);
    QCOMPARE(p.exit->calls, 1);
    QCOMPARE(p.exit->lastCode, 0);
    QVERIFY(p.program().hasEnded());
    QVERIFY(!p->form1().isLoaded());
    QVERIFY(!p->form5().isLoaded());
    QCOMPARE(p.time->activeTimers(), 0);
    // Nothing runs after the end.
    bool ran = false;
    p.program().dispatch([&] { ran = true; });
    QVERIFY(!ran);
}

void TestWindowModel::programEnd_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<bool>("ends");

    QTest::newRow("main window closed, another still shown") << Steps([](TestProgram &p) {
        input::click(p->form1().ui().Command1);
        p->form1().window().close();
    }) << false;
    QTest::newRow("the leaderboard loaded the free-text test hidden, both shown windows closed")
        << Steps([](TestProgram &p) {
               input::click(p->form1().ui().Command5);
               input::click(p->form6().ui().Command2);
               p->form6().window().close();
               p->form1().window().close();
           })
        << true;
    QTest::newRow("计算 loaded the closed main window hidden, the free-text test closed")
        << Steps([](TestProgram &p) {
               input::click(p->form1().ui().Command1);
               p->form1().window().close();
               input::type(p->form5().ui().Text1, QStringLiteral("abc"));
               input::click(p->form5().ui().Command1);
               p->form5().window().close();
           })
        << true;
    QTest::newRow("main window in the tray, the last shown window closed")
        << Steps([](TestProgram &p) {
               input::click(p->form1().ui().Command1);
               input::click(p->form1().ui().a);
               p->form5().window().close();
           })
        << false;
    QTest::newRow("no notification area: main window minimised, the other window closed")
        << Steps([](TestProgram &p) {
               p.tray->available = false;
               input::click(p->form1().ui().Command1);
               input::click(p->form1().ui().a);
               p->form5().window().close();
           })
        << false;
}

void TestWindowModel::programEnd()
{
    QFETCH(Steps, steps);
    QFETCH(bool, ends);
    TestProgram p;
    p->start();
    steps(p);
    QCOMPARE(p.exit->calls, ends ? 1 : 0);
    if (!ends)
        return;
    QCOMPARE(p.exit->lastCode, 0);
    for (Form *f : std::initializer_list<Form *>{&p->form1(), &p->form5(), &p->form6()})
        QVERIFY2(!f->isLoaded(), qPrintable(f->name()));
}

void TestWindowModel::hiddenWindowsUnloadAsAClose()
{
    TestProgram p;
    p->start();
    input::click(p->form1().ui().Command4);
    input::click(p->form3().ui().Command1);
    p->form3().hide();
    p->form1().window().close();
    QCOMPARE(p.exit->calls, 1);
    // The game's Form_Unload ran: the score caption went to the score file.
    QCOMPARE(p.scoreBytes(), "[config]\r\nlabel1=" + gbk::encode(QStringLiteral("分数0")) + "\r\n");
}

void TestWindowModel::sessionEndClosesEveryWindow_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("stored"); // the score file's caption afterwards
    QTest::addColumn<int>("boxes");
    const auto game = [](TestProgram &p) {
        input::click(p->form1().ui().Command4);
        input::click(p->form3().ui().Command1);
    };
    const auto failingSave = [=](TestProgram &p) {
        game(p);
        p.files->failWith = ENOSPC;
    };
    QTest::newRow("game played") << Steps(game) << "分数0" << 0;
    QTest::newRow("game opened, not played: the stored score stays")
        << Steps([](TestProgram &p) { input::click(p->form1().ui().Command4); }) << "总分:90" << 0;
    QTest::newRow("the leaderboard loaded the tests hidden, the game hidden")
        << Steps([=](TestProgram &p) {
               game(p);
               p->form3().hide();
               input::click(p->form1().ui().Command5);
               input::click(p->form6().ui().Command2);
               input::click(p->form6().ui().Command4);
           })
        << "分数0" << 0;
    // The box is closed; the Form_Unload that opened it does not run again (it would save now).
    QTest::newRow("a message box open") << Steps([=](TestProgram &p) {
        failingSave(p);
        p.messages->whileOpen = [&p] {
            p.files->failWith = 0;
            p.session->handler();
        };
        p->form3().window().close();
    }) << "总分:90" << 1;
    QTest::newRow("the main window in the tray") << Steps([=](TestProgram &p) {
        game(p);
        input::click(p->form1().ui().a);
    }) << "分数0" << 0;
    QTest::newRow("the save fails: not told") << Steps(failingSave) << "总分:90" << 0;
}

void TestWindowModel::sessionEndClosesEveryWindow()
{
    QFETCH(Steps, steps);
    QFETCH(QString, stored);
    QFETCH(int, boxes);
    const auto file = [](const QString &caption) {
        return "[config]\r\nlabel1=" + gbk::encode(caption) + "\r\n";
    };
    TestProgram p;
    p->start();
    p.files->stored[p.module1().scoreFilePath()] = file(QStringLiteral("总分:90"));
    steps(p);
    p.session->handler();
    p.session->handler(); // a second signal
    QCOMPARE(p.exit->calls, 1);
    QCOMPARE(p.exit->lastCode, 0);
    QCOMPARE(p.messages->shown.size(), size_t(boxes));
    QVERIFY(p.messages->closeRequests >= boxes);
    QVERIFY(!p.tray->isShown());
    for (Form *f : std::initializer_list<Form *>{&p->form1(), &p->form2(), &p->form3(), &p->form5(),
                                                 &p->form6()})
        QVERIFY2(!f->isLoaded(), qPrintable(f->name()));
    QCOMPARE(p.scoreBytes(), file(stored));
}

void TestWindowModel::endOrErrorStopsTheHandlersRunning_data()
{
    QTest::addColumn<bool>("nested");
    QTest::addColumn<bool>("error");
    QTest::newRow("overflow error") << false << true;
    // A handler raised from inside another one's code, as a Change by a handler's write.
    QTest::newRow("End in a nested handler") << true << false;
    QTest::newRow("overflow error in a nested handler") << true << true;
}

void TestWindowModel::endOrErrorStopsTheHandlersRunning()
{
    QFETCH(bool, nested);
    QFETCH(bool, error);
    TestProgram p;
    p->start();
    bool outerRanOn = false;
    const auto inner = [&] {
        if (error)
            throw convert::Overflow();
        p.program().end();
    };
    p.program().dispatch([&] {
        if (nested)
            p.program().dispatch(inner);
        else
            inner();
        // The outer handler's next step reaches a window.
        p->form5().ui();
        outerRanOn = true;
    });
    QVERIFY(!outerRanOn);
    QVERIFY(!p->form5().isLoaded());
    QCOMPARE(p.exit->calls, 1);
    QCOMPARE(p.exit->lastCode != 0, error);
    QCOMPARE(p.messages->shown.size(), size_t(error ? 1 : 0));
    if (error)
        QVERIFY(p.messages->shown[0].text.contains(QStringLiteral("溢出")));
    QVERIFY(!p->form1().isLoaded());
}

void TestWindowModel::timersRunHiddenAndStopOnUnload()
{
    TestProgram p;
    p->start();
    p->form5().show();
    p->form5().hide();
    p.advance(5000);
    QCOMPARE(p->form5().secondCount(), 5);
    const int before = p.time->activeTimers();
    p->form5().unload();
    QCOMPARE(p.time->activeTimers(), before - 1);
    p.advance(5000);
    QCOMPARE(p->form5().secondCount(), 5);

    // A timer with interval 0 or disabled is silent.
    int ticks = 0;
    Timer t(*p.time);
    t.onTimer = [&] { ++ticks; };
    t.setInterval(0);
    p.advance(1000);
    t.setInterval(100);
    t.setEnabled(false);
    p.advance(1000);
    QCOMPARE(ticks, 0);
    t.setEnabled(true);
    p.advance(1000);
    QCOMPARE(ticks, 10);
}

void TestWindowModel::multiLineBoxCountsLineBreaksAsTwo()
{
    TestProgram p;
    p->start();
    p->form5().show();
    TextBox &box = *p->form5().ui().Text1;
    input::type(&box, QStringLiteral("ab"));
    QTest::keyClick(&box, Qt::Key_Return);
    input::type(&box, QStringLiteral("中文"));
    QCOMPARE(box.Text(), QStringLiteral("ab\r\n中文"));
    QCOMPARE(box.TextLength(), qsizetype(6));
    box.setText(QStringLiteral("x\r\ny\r\nz"));
    QCOMPARE(box.TextLength(), box.Text().size());
    QCOMPARE(box.TextLength(), qsizetype(7));
}

QTEST_MAIN(TestWindowModel)
#include "test_windowmodel.moc"
