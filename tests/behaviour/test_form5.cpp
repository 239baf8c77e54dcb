// The free-text typing speed test, driven through its widgets under virtual time.
#include "forms/form1.h"
#include "forms/form5.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QTest>

class TestForm5 : public QObject {
    Q_OBJECT
private slots:
    void result_data();
    void result();
    void emptyBoxShowsTheMessageAndRestarts();
    void countGoesPast32767();
    void reopeningContinuesTheCount();
    void calculatingAfterTheMainWindowClosedReloadsItHidden();
};

void TestForm5::result_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("caption");
    QTest::newRow("10 s over 40") << 10 << QString(40, QLatin1Char('x'))
                                  << QStringLiteral("你的打字速度测试成绩为.25秒/个");
    QTest::newRow("30 s over 12") << 30 << QString(12, QLatin1Char('y'))
                                  << QStringLiteral("你的打字速度测试成绩为2.5秒/个");
    QTest::newRow("20 s over 3") << 20 << QStringLiteral("abc")
                                 << QStringLiteral("你的打字速度测试成绩为6.66666666666667秒/个");
    QTest::newRow("before the first tick")
        << 0 << QStringLiteral("abc") << QStringLiteral("你的打字速度测试成绩为0秒/个");
    QTest::newRow("five characters and a line break count 7")
        << 7 << QStringLiteral("ab\ncde") << QStringLiteral("你的打字速度测试成绩为1秒/个");
    QTest::newRow("chinese counts one each")
        << 4 << QStringLiteral("打字速度") << QStringLiteral("你的打字速度测试成绩为1秒/个");
}

void TestForm5::result()
{
    QFETCH(int, seconds);
    QFETCH(QString, typed);
    QFETCH(QString, caption);
    TestProgram p;
    p->start();
    input::click(p->form1().ui().Command1);
    Form5 &f = p->form5();
    QVERIFY(f.isVisible());
    p.advance(seconds * 1000);
    input::type(f.ui().Text1, typed);
    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Label4->Caption(), caption);
    QVERIFY(p.messages->shown.empty());
    // A new attempt starts: box empty, count from 0, the next tick less than a second away.
    QCOMPARE(f.ui().Text1->Text(), QString());
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("0"));
    QCOMPARE(f.secondCount(), 0);
}

void TestForm5::emptyBoxShowsTheMessageAndRestarts()
{
    TestProgram p;
    p->start();
    p->form5().show();
    Form5 &f = p->form5();
    p.advance(10'000);
    input::type(f.ui().Text1, QString(40, QLatin1Char('x')));
    input::click(f.ui().Command1);
    p.advance(2500);
    input::click(f.ui().Command1);
    QCOMPARE(p.messages->shown.size(), size_t(1));
    QCOMPARE(p.messages->shown[0].text, QStringLiteral("请在文本框中输入文字或字母！"));
    QCOMPARE(p.messages->shown[0].title, Program::applicationTitle());
    QCOMPARE(f.ui().Label4->Caption(), QStringLiteral("你的打字速度测试成绩为.25秒/个"));
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("0"));
    QCOMPARE(f.secondCount(), 0);
    // The timer was not restarted, so its next tick comes half a second later.
    p.advance(500);
    QCOMPARE(f.ui().Label1->Caption(), QStringLiteral("1"));
}

void TestForm5::countGoesPast32767()
{
    TestProgram p;
    p->start();
    p->form5().show();
    p.advance(40'000LL * 1000);
    QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("40000"));
    input::type(p->form5().ui().Text1, QString(16, QLatin1Char('z')));
    input::click(p->form5().ui().Command1);
    QCOMPARE(p->form5().ui().Label4->Caption(), QStringLiteral("你的打字速度测试成绩为2500秒/个"));
    QVERIFY(!p.program().hasEnded());
}

void TestForm5::reopeningContinuesTheCount()
{
    TestProgram p;
    p->start();
    input::click(p->form1().ui().Command1);
    p.advance(5000);
    p->form5().window().close();
    p.advance(3000); // the count stops while the window is closed
    input::click(p->form1().ui().Command1);
    QCOMPARE(p->form5().ui().Label1->Caption(), QString());
    QCOMPARE(p->form5().ui().Label4->Caption(), QString());
    p.advance(1000);
    QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("6"));
    input::type(p->form5().ui().Text1, QStringLiteral("abc"));
    input::click(p->form5().ui().Command1);
    QCOMPARE(p->form5().ui().Label4->Caption(), QStringLiteral("你的打字速度测试成绩为2秒/个"));
}

void TestForm5::calculatingAfterTheMainWindowClosedReloadsItHidden()
{
    TestProgram p;
    p->start();
    input::click(p->form1().ui().Command1);
    p->form1().window().close();
    QVERIFY(!p->form1().isLoaded());
    input::type(p->form5().ui().Text1, QStringLiteral("abc"));
    input::click(p->form5().ui().Command1);
    QVERIFY(p->form1().isLoaded());
    QVERIFY(!p->form1().isVisible());
    // Its Form_Load ran again: the colour timer is back.
    QCOMPARE(p->form1().ui().Timer1.Interval(), 400);
}

QTEST_MAIN(TestForm5)
#include "test_form5.moc"
