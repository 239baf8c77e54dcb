// The main window: its layout, the banner colour, the clock and the navigation.
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"
#include "values/convert.h"

#include <QApplication>
#include <QTest>

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void windowProperties();
    void clockIsEmptyForTheFirstSecond();
    void bannerColourComesFromTheSharedGenerator();
    void twoRunsWithoutReseedDrawTheSameColours();
    void navigation_data();
    void navigation();
};

void TestForm1::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twipsRect");
    QTest::newRow("Command1") << "Command1"
                              << "打字速度测试" << QRect(0, 0, 1815, 495);
    QTest::newRow("Command2") << "Command2"
                              << "打字速度测试1" << QRect(1800, 0, 1695, 495);
    QTest::newRow("Command3") << "Command3"
                              << "英文打字速度测试" << QRect(3480, 0, 1815, 495);
    QTest::newRow("Command4") << "Command4"
                              << "打字游戏" << QRect(5280, 0, 1695, 495);
    QTest::newRow("Command5") << "Command5"
                              << "排行榜" << QRect(6960, 0, 1695, 495);
    QTest::newRow("Label2") << "Label2"
                            << "欢迎使用Kelvane0.4测试版！" << QRect(600, 1080, 7215, 855);
    QTest::newRow("Label1")
        << "Label1"
        << "界面难看，有时间我会好好做，也欢迎大家多多提出宝贵意见，给软件以更好的改进，谢谢！"
        << QRect(1080, 2280, 6855, 615);
    QTest::newRow("Label4") << "Label4"
                            << "现在打字游戏已经可以储存分数了，快试试看吧！"
                            << QRect(360, 3000, 8175, 615);
    QTest::newRow("C") << "C"
                       << "退出程序" << QRect(600, 3720, 2055, 855);
    QTest::newRow("Command6") << "Command6"
                              << "关于程序" << QRect(3240, 3720, 1935, 855);
    QTest::newRow("a") << "a"
                       << "缩小到托盘" << QRect(5760, 3720, 2055, 855);
    QTest::newRow("Label3") << "Label3"
                            << "" << QRect(6600, 4680, 2055, 255);
}

void TestForm1::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twipsRect);
    TestProgram p;
    p->start();
    QWidget *w = p->form1().window().findChild<QWidget *>(name);
    QVERIFY(w);
    if (auto *label = dynamic_cast<Label *>(w))
        QCOMPARE(label->Caption(), caption);
    else
        QCOMPARE(qobject_cast<QPushButton *>(w)->text(), caption);
    const QRect px =
        twips::toPixels(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height());
    QCOMPARE(w->geometry(), px);
}

void TestForm1::windowProperties()
{
    TestProgram p;
    p->start();
    FormWindow &w = p->form1().window();
    QCOMPARE(w.windowTitle(), QStringLiteral("Kelvane0.4测试版"));
    QCOMPARE(w.size(), QSize(576, 332));
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(256, 256)));
    QCOMPARE(p->form1().ui().Label1->ForeColor(), QColor(255, 0, 0));
    QCOMPARE(p->form1().ui().Label4->ForeColor(), QColor(0, 192, 0));
    QCOMPARE(p->form1().ui().Label2->font().pointSizeF(), 26.25);
    // The first button in tab order holds the focus.
    QCOMPARE(w.focusWidget(), p->form1().ui().Command1);
    QCOMPARE(p->form1().ui().Command1->nextInFocusChain(), p->form1().ui().C);
}

void TestForm1::clockIsEmptyForTheFirstSecond()
{
    TestProgram p;
    p->start();
    QCOMPARE(p->form1().ui().Label3->Caption(), QString());
    p.advance(999);
    QCOMPARE(p->form1().ui().Label3->Caption(), QString());
    p.advance(1);
    QCOMPARE(p->form1().ui().Label3->Caption(), convert::longTime(QTime(9, 0, 1)));
    p.advance(1000);
    QCOMPARE(p->form1().ui().Label3->Caption(), convert::longTime(QTime(9, 0, 2)));
}

void TestForm1::bannerColourComesFromTheSharedGenerator()
{
    TestProgram p;
    p->start();
    const QColor designTime = p->form1().ui().Label2->ForeColor();
    // 0.5 * 255 = 127.5 rounds to even 128; 1/510 * 255 = 0.5 rounds to 0.
    p.random->push({0.5f, 1.0f / 510.0f, 0.99999994f});
    p.advance(399);
    QCOMPARE(p->form1().ui().Label2->ForeColor(), designTime);
    p.advance(1);
    QCOMPARE(p->form1().ui().Label2->ForeColor(), QColor(128, 0, 255));
    QCOMPARE(p.random->draws(), 3);
    p.advance(400);
    QCOMPARE(p.random->draws(), 6);
}

void TestForm1::twoRunsWithoutReseedDrawTheSameColours()
{
    auto run = [] {
        TestProgram p;
        p->start();
        QList<QColor> colours;
        for (int i = 0; i < 5; ++i) {
            p.advance(400);
            colours << p->form1().ui().Label2->ForeColor();
        }
        return colours;
    };
    const QList<QColor> first = run();
    QCOMPARE(run(), first);
    QVERIFY(first[0] != first[1]);
}

void TestForm1::navigation_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("clientPixels");
    QTest::newRow("speed test") << "Command1"
                                << "Form5"
                                << "打字速度测试" << QSize(498, 344);
    QTest::newRow("speed test 1") << "Command2"
                                  << "Form4"
                                  << "打字速度测试1" << QSize(458, 316);
    QTest::newRow("english") << "Command3"
                             << "Form2"
                             << "英文打字速度测试" << QSize(400, 285);
    QTest::newRow("game") << "Command4"
                          << "Form3"
                          << "打字游戏" << QSize(423, 299);
    QTest::newRow("leaderboard") << "Command5"
                                 << "Form6"
                                 << "打字英雄榜（数据库问题尚未解决，原谅我的技术...）"
                                 << QSize(484, 341);
    QTest::newRow("about") << "Command6"
                           << "Form7"
                           << "关于程序" << QSize(378, 206);
}

void TestForm1::navigation()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, clientPixels);
    TestProgram p;
    p->start();
    auto *b = p->form1().window().findChild<CommandButton *>(button);
    auto openWindows = [&] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += w->objectName() == window && w->isVisible() ? 1 : 0;
        return n;
    };
    input::click(b);
    input::click(b);
    QCOMPARE(openWindows(), 1);
    QWidget *shown = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == window && w->isVisible())
            shown = w;
    QCOMPARE(shown->windowTitle(), caption);
    QCOMPARE(shown->size(), clientPixels);
    // The main window stays shown and usable.
    QVERIFY(p->form1().isVisible());
    QVERIFY(p->form1().window().isEnabled());
    // Closed, then opened again: a fresh window.
    shown->close();
    QCOMPARE(openWindows(), 0);
    input::click(b);
    QCOMPARE(openWindows(), 1);
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
