// What the controls of every window share: buttons pressed from the keyboard, the text
// boxes' menus, and captions that fit their labels at the fonts the windows ask for.
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QMenu>
#include <QTest>
#include <QTextCursor>

#include <functional>

using Window = std::function<Form &(Forms &)>;

Q_DECLARE_METATYPE(Qt::Key)

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void keysPressAFocusedButton_data();
    void keysPressAFocusedButton();
    void textBoxMenus_data();
    void textBoxMenus();
    void captionsFit_data();
    void captionsFit();
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

using Box = std::function<TextBox &(TestProgram &)>;

void TestControls::textBoxMenus_data()
{
    QTest::addColumn<Box>("box");
    QTest::addColumn<bool>("locked");
    // The menu's entries that are enabled, by Qt's names; empty for no menu at all.
    QTest::addColumn<QStringList>("enabled");

    const QStringList all = {QStringLiteral("edit-undo"),   QStringLiteral("edit-cut"),
                             QStringLiteral("edit-copy"),   QStringLiteral("edit-paste"),
                             QStringLiteral("edit-delete"), QStringLiteral("select-all")};
    QTest::newRow("free-text test")
        << Box([](TestProgram &p) -> TextBox & { return *p->form5().ui().Text1; }) << false << all;
    QTest::newRow("English test, letter box")
        << Box([](TestProgram &p) -> TextBox & { return *p->form2().ui().Text1; }) << false << all;
    QTest::newRow("English test, typing box")
        << Box([](TestProgram &p) -> TextBox & { return *p->form2().ui().Text2; }) << false << all;
    QTest::newRow("English test, typing box locked after the test")
        << Box([](TestProgram &p) -> TextBox & { return *p->form2().ui().Text2; }) << true
        << QStringList{QStringLiteral("edit-copy"), QStringLiteral("select-all")};
    QTest::newRow("live test: no menu")
        << Box([](TestProgram &p) -> TextBox & { return *p->form4().ui().Text1; }) << false
        << QStringList();
}

void TestControls::textBoxMenus()
{
    QFETCH(Box, box);
    QFETCH(bool, locked);
    QFETCH(QStringList, enabled);
    TestProgram p;
    TextBox &b = box(p);
    input::activate(b.window());
    QApplication::clipboard()->setText(QStringLiteral("粘贴"));
    b.SetFocus();
    // Typed, so there is something to undo; the middle letter selected, to cut or delete.
    input::type(&b, QStringLiteral("abc"));
    QTextCursor c = b.textCursor();
    c.setPosition(1);
    c.setPosition(2, QTextCursor::KeepAnchor);
    b.setTextCursor(c);
    b.setLocked(locked);

    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, b.viewport()->mapToGlobal(at));
    QApplication::sendEvent(b.viewport(), &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QStringList shown;
    if (menu != nullptr) {
        for (const QAction *action : menu->actions())
            if (action->isEnabled() && !action->objectName().isEmpty())
                shown << action->objectName();
        menu->close();
    }
    QCOMPARE(shown, enabled);
    QCOMPARE(menu != nullptr, !enabled.isEmpty());
}

void TestControls::captionsFit_data()
{
    QTest::addColumn<Window>("window");
    QTest::newRow("Form1") << Window([](Forms &f) -> Form & { return f.form1(); });
    QTest::newRow("Form2") << Window([](Forms &f) -> Form & { return f.form2(); });
    QTest::newRow("Form3") << Window([](Forms &f) -> Form & { return f.form3(); });
    QTest::newRow("Form4") << Window([](Forms &f) -> Form & { return f.form4(); });
    QTest::newRow("Form5") << Window([](Forms &f) -> Form & { return f.form5(); });
    QTest::newRow("Form6") << Window([](Forms &f) -> Form & { return f.form6(); });
    QTest::newRow("Form7") << Window([](Forms &f) -> Form & { return f.form7(); });
}

void TestControls::captionsFit()
{
    QFETCH(Window, window);
    TestProgram p;
    Form &form = window(*p);
    // Run once with each set of Debian's CJK fonts; say which one the windows must get.
    const QString family = qEnvironmentVariable("KELVANE_EXPECTED_FONT");
    if (!family.isEmpty())
        QCOMPARE(QFontInfo(form.window().font()).family(), family);
    const QList<Label *> labels = form.window().findChildren<Label *>();
    QVERIFY(!labels.isEmpty());
    for (Label *label : labels) {
        const QString what = label->objectName() + u' ' + label->Caption();
        // Qt lays the caption out at the label's width; its lines must fit the height.
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(what));
        // Screen readers hear the caption, not the markup that draws it.
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(label);
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->text(QAccessible::Name), label->Caption());
    }
    // A caption too wide for its button wraps into lines that each fit.
    for (CommandButton *button : form.window().findChildren<CommandButton *>()) {
        for (const QString &line : button->drawnCaption().split(u'\n'))
            QVERIFY2(button->fontMetrics().horizontalAdvance(line) < button->width(),
                     qPrintable(button->objectName() + u' ' + line));
    }
}

QTEST_MAIN(TestControls)
#include "test_controls.moc"
