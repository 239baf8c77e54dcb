// The About window: its text inside a frame of four lines, opened from the main window.
#include "forms/form1.h"
#include "forms/form7.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QTest>

class TestForm7 : public QObject {
    Q_OBJECT
private slots:
    void window();
    void frameLines_data();
    void frameLines();
    void frameSurroundsTheTextWithoutTouchingIt();
    void frameIsDrawn();
    void repeatedClicksOpenOneWindow();
};

namespace {

int shownAboutWindows()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += w->objectName() == QLatin1String("Form7") && w->isVisible() ? 1 : 0;
    return n;
}

} // namespace

void TestForm7::window()
{
    TestProgram p;
    p->start();
    input::click(p->form1().ui().Command6);
    Form7 &f = p->form7();
    QVERIFY(f.isVisible());
    QCOMPARE(f.window().windowTitle(), QStringLiteral("关于程序"));
    QCOMPARE(f.window().size(), QSize(378, 206));
    Label &l = *f.ui().Label1;
    QCOMPARE(l.Caption(),
             QStringLiteral("欢迎使用Kelvane0.4测试版！此软件为测试版，以后将不断改进。"
                            "希望提出更多宝贵的建议，以让本软件能够更好地改进！谢谢！"));
    QCOMPARE(l.geometry(), twips::toPixels(360, 600, 4695, 1575));
    QCOMPARE(l.ForeColor(), systemColor(13));
    QVERIFY(l.wordWrap());
    // The label is opaque in the colour the window paints its surface with.
    QCOMPARE(l.palette().color(QPalette::Window), systemColor(19));
}

void TestForm7::frameLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("Line4 top") << "Line4" << QPoint(240, 480) << QPoint(5160, 480)
                               << QRect(16, 32, 329, 1);
    QTest::newRow("Line3 left") << "Line3" << QPoint(240, 2280) << QPoint(240, 360)
                                << QRect(16, 24, 1, 129);
    QTest::newRow("Line2 right") << "Line2" << QPoint(5160, 2280) << QPoint(5160, 360)
                                 << QRect(344, 24, 1, 129);
    QTest::newRow("Line1 bottom") << "Line1" << QPoint(5160, 2280) << QPoint(240, 2280)
                                  << QRect(16, 152, 329, 1);
}

void TestForm7::frameLines()
{
    QFETCH(QString, name);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, pixels);
    TestProgram p;
    auto *line = p->form7().window().findChild<Line *>(name);
    QVERIFY(line);
    QCOMPARE(line->from(), from);
    QCOMPARE(line->to(), to);
    QCOMPARE(line->geometry(), pixels);
}

void TestForm7::frameSurroundsTheTextWithoutTouchingIt()
{
    TestProgram p;
    Form7 &f = p->form7();
    const QRect label = f.ui().Label1->geometry();
    const QRect top = f.ui().Line4->geometry();
    const QRect left = f.ui().Line3->geometry();
    const QRect right = f.ui().Line2->geometry();
    const QRect bottom = f.ui().Line1->geometry();
    QVERIFY(top.bottom() < label.top());
    QVERIFY(bottom.top() > label.bottom());
    QVERIFY(left.right() < label.left());
    QVERIFY(right.left() > label.right());
    // The side lines stand out above the top line, and all four meet at the bottom corners.
    QCOMPARE(top.top() - left.top(), 8);
    QCOMPARE(top.top() - right.top(), 8);
    QCOMPARE(left.bottom(), bottom.top());
    QCOMPARE(right.bottom(), bottom.top());
    QCOMPARE(bottom.left(), left.left());
    QCOMPARE(bottom.right(), right.right());
}

void TestForm7::frameIsDrawn()
{
    TestProgram p;
    p->start();
    input::click(p->form1().ui().Command6);
    const QImage image = p->form7().window().grab().toImage();
    const QColor ink = systemColor(8);
    const QColor surface = systemColor(19);
    QCOMPARE(image.pixelColor(100, 32), ink);  // top
    QCOMPARE(image.pixelColor(16, 100), ink);  // left
    QCOMPARE(image.pixelColor(344, 26), ink);  // right, above the top line
    QCOMPARE(image.pixelColor(200, 152), ink); // bottom
    QCOMPARE(image.pixelColor(20, 100), surface);
    QCOMPARE(image.pixelColor(100, 28), surface);
}

void TestForm7::repeatedClicksOpenOneWindow()
{
    TestProgram p;
    p->start();
    for (int i = 0; i < 3; ++i)
        input::click(p->form1().ui().Command6);
    QCOMPARE(shownAboutWindows(), 1);
    // The main window stays shown and usable.
    QVERIFY(p->form1().isVisible());
    QVERIFY(p->form1().window().isEnabled());
    p->form7().window().close();
    QCOMPARE(shownAboutWindows(), 0);
    input::click(p->form1().ui().Command6);
    input::click(p->form1().ui().Command6);
    QCOMPARE(shownAboutWindows(), 1);
    QCOMPARE(p->form7().window().windowTitle(), QStringLiteral("关于程序"));
}

QTEST_MAIN(TestForm7)
#include "test_form7.moc"
