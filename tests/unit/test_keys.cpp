#include "runtime/keys.h"

#include <QKeyEvent>
#include <QTest>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    void translate_data();
    void translate();
};

void TestKeys::translate_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<QString>("chars");
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("lower a") << int(Qt::Key_A) << none << QStringLiteral("a") << 65
                             << QStringLiteral("a");
    QTest::newRow("shift A") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                             << QStringLiteral("A") << 65 << QStringLiteral("A");
    QTest::newRow("caps lock Z") << int(Qt::Key_Z) << none << QStringLiteral("Z") << 90
                                 << QStringLiteral("Z");
    QTest::newRow("digit") << int(Qt::Key_5) << none << QStringLiteral("5") << 53
                           << QStringLiteral("5");
    QTest::newRow("shifted digit is its key")
        << int(Qt::Key_Exclam) << Qt::KeyboardModifiers(Qt::ShiftModifier) << QStringLiteral("!")
        << 49 << QStringLiteral("!");
    QTest::newRow("keypad digit") << int(Qt::Key_5) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << QStringLiteral("5") << 101 << QStringLiteral("5");
    QTest::newRow("delete has no character")
        << int(Qt::Key_Delete) << none << QStringLiteral("\x7f") << 46 << QString();
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << QString() << 8
                               << QStringLiteral("\b");
    QTest::newRow("enter") << int(Qt::Key_Return) << none << QStringLiteral("\r") << 13
                           << QStringLiteral("\r");
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << QString() << 13 << QStringLiteral("\r");
    QTest::newRow("escape") << int(Qt::Key_Escape) << none << QString() << 27
                            << QStringLiteral("\x1b");
    QTest::newRow("ctrl V pastes as 22")
        << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier) << QStringLiteral("v") << 86
        << QStringLiteral("\x16");
    QTest::newRow("ctrl backspace is 127")
        << int(Qt::Key_Backspace) << Qt::KeyboardModifiers(Qt::ControlModifier) << QString() << 8
        << QStringLiteral("\x7f");
    QTest::newRow("alt chord has no character")
        << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::AltModifier) << QStringLiteral("x") << 88
        << QString();
    QTest::newRow("left arrow") << int(Qt::Key_Left) << none << QString() << 37 << QString();
    QTest::newRow("F1") << int(Qt::Key_F1) << none << QString() << 112 << QString();
    QTest::newRow("chinese text") << 0 << none << QStringLiteral("中") << 0 << QStringLiteral("中");
    QTest::newRow("space") << int(Qt::Key_Space) << none << QStringLiteral(" ") << 32
                           << QStringLiteral(" ");
}

void TestKeys::translate()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(int, keyCode);
    QFETCH(QString, chars);
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCOMPARE(keys::keyCode(event), keyCode);
    QCOMPARE(keys::characters(event), chars);
}

QTEST_MAIN(TestKeys)
#include "test_keys.moc"
