// A label keeps its caption's layout between paints; it must still look exactly like a QLabel
// after any change, on the first paint and on every repaint after it.
#include "app/controls.h"

#include <QImage>
#include <QTest>

#include <functional>

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void labelPaintsAsQLabel_data();
    void labelPaintsAsQLabel();
};

namespace {

// Two widgets side by side on one window, so both share font, style and activation.
struct Pair {
    QWidget window;
    QWidget *ours = nullptr;
    QWidget *theirs = nullptr;
};

// Pixels of a widget as the window shows them, background included.
QImage shot(QWidget &w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Compares the two widgets twice: the first paint after a change lays the caption out, the
// second reuses that layout.
void compareTwice(Pair &pair, const char *step)
{
    for (int round = 0; round < 2; ++round) {
        const QImage expected = shot(*pair.theirs);
        const QImage actual = shot(*pair.ours);
        if (actual != expected) {
            qWarning("%s, paint %d: pixels differ", step, round + 1);
            QFAIL("the control does not paint as the Qt widget does");
        }
    }
}

using LabelStep = std::function<void(Label &, QLabel &)>;

} // namespace

void TestControls::labelPaintsAsQLabel_data()
{
    QTest::addColumn<LabelStep>("change");
    QTest::newRow("caption after repaints") << LabelStep([](Label &a, QLabel &b) {
        a.grab();
        a.grab();
        a.setCaption(QStringLiteral("总分:120"));
        b.setText(QStringLiteral("总分:120"));
    });
    QTest::newRow("wrapped caption") << LabelStep([](Label &a, QLabel &b) {
        const QString text = QStringLiteral("游戏时间：1分钟 游戏结束后，先退出窗口，再到排行榜保存"
                                            "即可显示 下次打开时就可以读取");
        a.setCaption(text);
        b.setText(text);
    });
    QTest::newRow("line breaks, tabs, ampersand") << LabelStep([](Label &a, QLabel &b) {
        const QString text = QStringLiteral("第一行\r\n第\t二行 & 三");
        a.setCaption(text);
        b.setText(text);
    });
    QTest::newRow("more than fits") << LabelStep([](Label &a, QLabel &b) {
        const QString text = QStringLiteral("长").repeated(300);
        a.setCaption(text);
        b.setText(text);
    });
    QTest::newRow("one long word") << LabelStep([](Label &a, QLabel &b) {
        const QString text = QStringLiteral("W").repeated(80) + QStringLiteral(" end");
        a.setCaption(text);
        b.setText(text);
    });
    QTest::newRow("fore colour") << LabelStep([](Label &a, QLabel &b) {
        a.setForeColor(QColor(200, 30, 40));
        QPalette p = b.palette();
        p.setColor(QPalette::WindowText, QColor(200, 30, 40));
        b.setPalette(p);
    });
    QTest::newRow("back colour") << LabelStep([](Label &a, QLabel &b) {
        a.setBackColor(QColor(10, 200, 90));
        QPalette p = b.palette();
        p.setColor(QPalette::Window, QColor(10, 200, 90));
        b.setPalette(p);
        b.setAutoFillBackground(true);
    });
    QTest::newRow("disabled") << LabelStep([](Label &a, QLabel &b) {
        a.setEnabled(false);
        b.setEnabled(false);
    });
    QTest::newRow("narrower") << LabelStep([](Label &a, QLabel &b) {
        a.setWidth(900);
        b.resize(a.size());
    });
    QTest::newRow("font") << LabelStep([](Label &a, QLabel &b) {
        a.setFont(songFont(15));
        b.setFont(songFont(15));
    });
    QTest::newRow("emptied") << LabelStep([](Label &a, QLabel &b) {
        a.setCaption(QString());
        b.setText(QString());
    });
}

void TestControls::labelPaintsAsQLabel()
{
    QFETCH(LabelStep, change);
    Pair pair;
    pair.window.resize(400, 200);
    auto *ours = new Label(&pair.window, QStringLiteral("Label1"), 0, 0, 2400, 1500);
    auto *theirs = new QLabel(&pair.window);
    theirs->setTextFormat(Qt::PlainText);
    theirs->setWordWrap(true);
    theirs->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    theirs->setPalette(ours->palette());
    theirs->setGeometry(200, 0, ours->width(), ours->height());
    pair.ours = ours;
    pair.theirs = theirs;
    ours->setCaption(QStringLiteral("A"));
    theirs->setText(QStringLiteral("A"));
    pair.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
    compareTwice(pair, "before");

    change(*ours, *theirs);
    compareTwice(pair, "after the change");
}

QTEST_MAIN(TestControls)
#include "test_controls.moc"
