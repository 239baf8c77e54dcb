// The text box as the windows use it: what it reports after the edits a typist makes, and
// one Change for each of them.
#include "runtime/controls.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

#include <functional>

class TestTextBox : public QObject {
    Q_OBJECT
private slots:
    void editsRaiseOneChangeEach_data();
    void editsRaiseOneChangeEach();
};

using Edit = std::function<void(TextBox &)>;

void TestTextBox::editsRaiseOneChangeEach_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("changes");

    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return [k, m](TextBox &b) { QTest::keyClick(&b, k, m); };
    };
    QTest::newRow("set from code")
        << Edit([](TextBox &b) { b.setText(QStringLiteral("甲乙\r\n丙")); })
        << QStringLiteral("甲乙\r\n丙") << 1;
    QTest::newRow("the same text again")
        << Edit([](TextBox &b) { b.setText(QStringLiteral("start")); }) << QStringLiteral("start")
        << 0;
    QTest::newRow("keys typed") << Edit([](TextBox &b) {
        QTest::keyClicks(&b, QStringLiteral("abcd"));
    }) << QStringLiteral("startabcd")
                                << 4;
    QTest::newRow("enter") << Edit(key(Qt::Key_Return)) << QStringLiteral("start\r\n") << 1;
    QTest::newRow("backspace") << Edit(key(Qt::Key_Backspace)) << QStringLiteral("star") << 1;
    QTest::newRow("caret moved") << Edit([](TextBox &b) {
        QTest::keyClick(&b, Qt::Key_Left);
        QTest::keyClick(&b, Qt::Key_Home);
    }) << QStringLiteral("start") << 0;
    QTest::newRow("typed then undone") << Edit([](TextBox &b) {
        QTest::keyClicks(&b, QStringLiteral("xy"));
        QTest::keyClick(&b, Qt::Key_Z, Qt::ControlModifier);
    }) << QStringLiteral("start") << 3;
    QTest::newRow("all selected, then typed over") << Edit([](TextBox &b) {
        QTest::keyClick(&b, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&b, Qt::Key_X);
    }) << QStringLiteral("x") << 1;
    QTest::newRow("typed, undone, redone") << Edit([](TextBox &b) {
        QTest::keyClicks(&b, QStringLiteral("xy"));
        QTest::keyClick(&b, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&b, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }) << QStringLiteral("startxy") << 4;
    QTest::newRow("input method composes, then commits") << Edit([](TextBox &b) {
        for (const QString &pinyin : {QStringLiteral("n"), QStringLiteral("ni"), QString()}) {
            QInputMethodEvent compose(pinyin, {});
            QApplication::sendEvent(&b, &compose);
        }
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("你好中国"));
        QApplication::sendEvent(&b, &commit);
    }) << QStringLiteral("start你好中国") << 4;
}

void TestTextBox::editsRaiseOneChangeEach()
{
    QFETCH(Edit, edit);
    QFETCH(QString, text);
    QFETCH(int, changes);

    QWidget window;
    TextBox box(&window, QStringLiteral("Text1"), TextBox::Lines::Multi, 0, 0, 3000, 1200);
    box.setText(QStringLiteral("start"));
    QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
    int raised = 0;
    box.onChange = [&] { ++raised; };
    edit(box);
    QCOMPARE(box.Text(), text);
    QCOMPARE(box.TextLength(), text.size());
    QCOMPARE(raised, changes);
}

QTEST_MAIN(TestTextBox)
#include "test_textbox.moc"
