// What the controls of every window share: buttons pressed from the keyboard.
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QTest>

Q_DECLARE_METATYPE(Qt::Key)

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void keysPressAFocusedButton_data();
    void keysPressAFocusedButton();
};

void TestControls::keysPressAFocusedButton_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("modifiers");
    // What the key types in the free-text test's multi-line box instead.
    QTest::addColumn<QString>("typed");
    QTest::newRow("Return") << Qt::Key_Return << int(Qt::NoModifier) << QStringLiteral("\r\n");
    QTest::newRow("keypad Enter") << Qt::Key_Enter << int(Qt::KeypadModifier)
                                  << QStringLiteral("\r\n");
    QTest::newRow("Space") << Qt::Key_Space << int(Qt::NoModifier) << QStringLiteral(" ");
}

void TestControls::keysPressAFocusedButton()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, modifiers);
    QFETCH(QString, typed);
    TestProgram p;
    for (Form *form : std::initializer_list<Form *>{&p->form1(), &p->form2(), &p->form3(),
                                                    &p->form4(), &p->form5(), &p->form6()}) {
        const QList<CommandButton *> buttons = form->window().findChildren<CommandButton *>();
        QVERIFY(!buttons.isEmpty());
        for (CommandButton *button : buttons) {
            int clicks = 0;
            button->onClick = [&] { ++clicks; };
            // Straight to the button, as to the control that holds the focus.
            QTest::keyClick(button, key, Qt::KeyboardModifiers(modifiers));
            QVERIFY2(clicks == 1, qPrintable(form->name() + u' ' + button->objectName()));
        }
    }

    // In the free-text test's box the key types, and 计算 stays unpressed.
    Form5 &f = p->form5();
    int clicks = 0;
    f.ui().Command1->onClick = [&] { ++clicks; };
    QTest::keyClick(f.ui().Text1, key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.ui().Text1->Text(), typed);
    QCOMPARE(clicks, 0);
}

QTEST_MAIN(TestControls)
#include "test_controls.moc"
