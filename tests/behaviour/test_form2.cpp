// The English letter typing test, driven through its widgets under virtual time with a
// scripted random source.
#include "forms/form1.h"
#include "forms/form2.h"
#include "runtime/controls.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QTest>

namespace {

const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
// Thirty letters with no two neighbours alike, so one slip never matches by chance.
const QString thirty = QStringLiteral("thequickbrownfxjmpsvlazydgwerk");

// Queues the draws that make the generator yield these letters (either case).
void scriptLetters(TestProgram &p, const QString &letters)
{
    for (QChar ch : letters) {
        const int index = alphabet.indexOf(ch.toLower());
        QVERIFY(index >= 0);
        p.random->push({float((index + 0.5) / 26.0)});
    }
}

// Opens the test from the main window, as the user does, and makes its window active.
Form2 &open(TestProgram &p)
{
    p->start();
    input::click(p->form1().ui().Command3);
    Form2 &f = p->form2();
    input::activate(&f.window());
    return f;
}

// "产生字母" with the letters the generator is scripted to give.
void generate(TestProgram &p, Form2 &f, const QString &letters)
{
    scriptLetters(p, letters);
    input::click(f.ui().Command1);
}

void focusTypingBox(Form2 &f)
{
    f.ui().Command1->setFocus(Qt::OtherFocusReason);
    f.ui().Text2->SetFocus();
    QVERIFY(f.ui().Text2->hasFocus());
}

// Thirty letters where only the first `correct` positions match.
QString typedWithCorrect(int correct)
{
    QString typed = thirty.left(correct);
    while (typed.size() < thirty.size())
        typed += QLatin1Char('0');
    return typed;
}

void pressKey(QWidget *w, const QString &key)
{
    if (key == QLatin1String("Enter"))
        QTest::keyClick(w, Qt::Key_Return);
    else if (key == QLatin1String("Backspace"))
        QTest::keyClick(w, Qt::Key_Backspace);
    else if (key == QLatin1String("Escape"))
        QTest::keyClick(w, Qt::Key_Escape);
    else if (key == QLatin1String("Space"))
        QTest::keyClick(w, Qt::Key_Space);
    else if (key.startsWith(QLatin1String("ime ")))
        input::imeCommit(w, key.mid(4));
    else
        input::type(w, key);
}

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void opensFresh();
    void accuracy_data();
    void accuracy();
    void speedAndTimes_data();
    void speedAndTimes();
    void comparison_data();
    void comparison();
    void keyAfterTheLastLetterEvaluates_data();
    void keyAfterTheLastLetterEvaluates();
    void keysBeforeTheEndOnlyType_data();
    void keysBeforeTheEndOnlyType();
    void letterCase_data();
    void letterCase();
    void optionIsReadForEveryLetter();
    void generatingReseedsAndDrawsThirty();
    void generatingAfterATestKeepsTheResults();
    void eachFocusRestartsTheClock();
    void furtherKeysEvaluateAgain();
    void emptyBoxesEvaluateNothing_data();
    void emptyBoxesEvaluateNothing();
    void textsBeyond16BitsDoNotOverflow();
    void closedWindowReadsEmptyResults();
};

void TestForm2::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char *name, const QString &caption, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << QRect(l, t, w, h);
    };
    row("Command1", QStringLiteral("产生字母"), 240, 360, 1335, 615);
    row("Text1", QString(), 2160, 360, 3495, 615);
    row("Text2", QString(), 2160, 1080, 3495, 615);
    row("Opt1", QStringLiteral("大写"), 360, 1200, 1095, 375);
    row("Opt2", QStringLiteral("小写"), 360, 1680, 1095, 375);
    row("Label3", QStringLiteral("开始时间："), 120, 2280, 975, 375);
    row("lblstart", QString(), 1200, 2280, 1575, 375);
    row("Label4", QStringLiteral("结束时间："), 120, 2880, 975, 375);
    row("lblend", QString(), 1200, 2880, 1575, 375);
    row("Label5", QStringLiteral("用时："), 120, 3480, 975, 375);
    row("lblused", QString(), 1200, 3480, 1575, 375);
    row("Label1", QStringLiteral("正确率："), 3000, 2400, 855, 375);
    row("Label6", QString(), 3720, 2400, 1815, 375);
    row("Label2", QStringLiteral("速度："), 3000, 3000, 855, 375);
    row("Label7", QString(), 3720, 3000, 1815, 495);
}

void TestForm2::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    TestProgram p;
    FormWindow &w = p->form2().window();
    QWidget *control = w.findChild<QWidget *>(name);
    QVERIFY(control != nullptr);
    const auto *placed = dynamic_cast<const Placement *>(control);
    QVERIFY(placed != nullptr);
    QCOMPARE(QRect(placed->Left(), placed->Top(), placed->Width(), placed->Height()), twips);
    QString text;
    if (const auto *label = dynamic_cast<Label *>(control))
        text = label->Caption();
    else if (const auto *button = qobject_cast<QAbstractButton *>(control))
        text = button->text();
    else if (const auto *box = dynamic_cast<TextBox *>(control))
        text = box->Text();
    QCOMPARE(text, caption);
}

void TestForm2::opensFresh()
{
    TestProgram p;
    Form2 &f = open(p);
    QCOMPARE(f.window().windowTitle(), QStringLiteral("英文打字速度测试"));
    QCOMPARE(f.window().size(), QSize(400, 285));
    QVERIFY(f.ui().Command1->hasFocus());
    QVERIFY(!f.ui().Opt1->Value());
    QVERIFY(!f.ui().Opt2->Value());
    QVERIFY(!f.ui().Text1->Locked());
    QVERIFY(!f.ui().Text2->Locked());
    // Tab walks the button, the letter box, the typing box, then the two options.
    QStringList order;
    QWidget *w = f.ui().Command1;
    for (int i = 0; i < 5; ++i) {
        order << w->objectName();
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w == &f.window());
    }
    QCOMPARE(order, (QStringList{QStringLiteral("Command1"), QStringLiteral("Text1"),
                                 QStringLiteral("Text2"), QStringLiteral("Opt1"),
                                 QStringLiteral("Opt2")}));
    // No load handler and no timer: opening draws nothing from the shared generator.
    QCOMPARE(p.random->reseeds(), 0);
}

void TestForm2::accuracy_data()
{
    QTest::addColumn<int>("correct");
    QTest::addColumn<QString>("caption");
    QTest::newRow("all 30") << 30 << QStringLiteral("100.0%");
    QTest::newRow("29") << 29 << QStringLiteral("96.7%");
    QTest::newRow("28") << 28 << QStringLiteral("93.3%");
    QTest::newRow("15") << 15 << QStringLiteral("50.0%");
    QTest::newRow("1") << 1 << QStringLiteral("3.3%");
    QTest::newRow("none") << 0 << QStringLiteral(".0%");
}

void TestForm2::accuracy()
{
    QFETCH(int, correct);
    QFETCH(QString, caption);
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    QCOMPARE(f.ui().Text1->Text(), thirty);
    focusTypingBox(f);
    p.advance(10'000);
    input::type(f.ui().Text2, typedWithCorrect(correct));
    QCOMPARE(f.ui().Label6->Caption(), QString());
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QCOMPARE(f.ui().Label6->Caption(), caption);
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("3字符/秒"));
}

void TestForm2::speedAndTimes_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("speed");
    QTest::newRow("same second counts as 1 s")
        << 0 << QStringLiteral("00:00:00") << QStringLiteral("30字符/秒");
    QTest::newRow("0.9 s reads as the same second")
        << 900 << QStringLiteral("00:00:00") << QStringLiteral("30字符/秒");
    QTest::newRow("1 s") << 1000 << QStringLiteral("00:00:01") << QStringLiteral("30字符/秒");
    QTest::newRow("4 s, 7.5 rounds up")
        << 4000 << QStringLiteral("00:00:04") << QStringLiteral("8字符/秒");
    QTest::newRow("7 s") << 7000 << QStringLiteral("00:00:07") << QStringLiteral("4字符/秒");
    QTest::newRow("12 s, 2.5 rounds up")
        << 12'000 << QStringLiteral("00:00:12") << QStringLiteral("3字符/秒");
    QTest::newRow("20 s, 1.5 rounds up")
        << 20'000 << QStringLiteral("00:00:20") << QStringLiteral("2字符/秒");
    QTest::newRow("45 s") << 45'000 << QStringLiteral("00:00:45") << QStringLiteral("1字符/秒");
    QTest::newRow("60 s, 0.5 rounds up")
        << 60'000 << QStringLiteral("00:01:00") << QStringLiteral("1字符/秒");
    QTest::newRow("61 s shows the unit alone")
        << 61'000 << QStringLiteral("00:01:01") << QStringLiteral("字符/秒");
    QTest::newRow("75 s") << 75'000 << QStringLiteral("00:01:15") << QStringLiteral("字符/秒");
    QTest::newRow("over an hour") << 3'725'000 << QStringLiteral("01:02:05")
                                  << QStringLiteral("字符/秒");
}

void TestForm2::speedAndTimes()
{
    QFETCH(int, ms);
    QFETCH(QString, used);
    QFETCH(QString, speed);
    TestProgram p; // the virtual clock starts at 09:00:00
    Form2 &f = open(p);
    generate(p, f, thirty);
    p.advance(3000);
    focusTypingBox(f);
    QCOMPARE(f.ui().lblstart->Caption(), QStringLiteral("09:00:03"));
    input::type(f.ui().Text2, thirty.left(20));
    p.advance(ms);
    input::type(f.ui().Text2, thirty.mid(20));
    QCOMPARE(f.ui().lblend->Caption(), QString());
    QTest::keyClick(f.ui().Text2, Qt::Key_Space);
    QCOMPARE(f.ui().lblstart->Caption(), QStringLiteral("09:00:03"));
    QCOMPARE(f.ui().lblend->Caption(),
             QTime(9, 0, 3).addSecs(ms / 1000).toString(QStringLiteral("HH:mm:ss")));
    QCOMPARE(f.ui().lblused->Caption(), used);
    QCOMPARE(f.ui().Label7->Caption(), speed);
    QCOMPARE(f.ui().Label6->Caption(), QStringLiteral("100.0%"));
}

void TestForm2::comparison_data()
{
    QTest::addColumn<QString>("letterBox");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("accuracy");
    QTest::newRow("a against A is a mismatch")
        << QStringLiteral("A") << QStringLiteral("a") << QStringLiteral(".0%");
    QTest::newRow("A against a is a mismatch")
        << QStringLiteral("a") << QStringLiteral("A") << QStringLiteral(".0%");
    QTest::newRow("same case matches")
        << QStringLiteral("A") << QStringLiteral("A") << QStringLiteral("100.0%");
    QTest::newRow("edited letter box of three")
        << QStringLiteral("abc") << QStringLiteral("abd") << QStringLiteral("66.7%");
    QTest::newRow("edited letter box with spaces")
        << QStringLiteral("ab cd") << QStringLiteral("ab cd") << QStringLiteral("100.0%");
    QTest::newRow("chinese in the letter box")
        << QStringLiteral("打字") << QStringLiteral("打子") << QStringLiteral("50.0%");
}

void TestForm2::comparison()
{
    QFETCH(QString, letterBox);
    QFETCH(QString, typed);
    QFETCH(QString, accuracy);
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    // The user replaces the generated letters by hand.
    f.ui().Text1->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(f.ui().Text1, Qt::Key_End);
    QTest::keyClick(f.ui().Text1, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(f.ui().Text1, Qt::Key_Delete);
    input::type(f.ui().Text1, letterBox);
    QCOMPARE(f.ui().Text1->Text(), letterBox);
    focusTypingBox(f);
    p.advance(2000);
    input::type(f.ui().Text2, typed);
    QCOMPARE(f.ui().Label6->Caption(), QString());
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QCOMPARE(f.ui().Label6->Caption(), accuracy);
    // The speed still counts thirty letters.
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("15字符/秒"));
}

void TestForm2::keyAfterTheLastLetterEvaluates_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("Enter") << QStringLiteral("Enter");
    QTest::newRow("a letter") << QStringLiteral("q");
    QTest::newRow("Backspace") << QStringLiteral("Backspace");
    QTest::newRow("Escape") << QStringLiteral("Escape");
    QTest::newRow("Space") << QStringLiteral("Space");
    QTest::newRow("a digit") << QStringLiteral("7");
    QTest::newRow("input method commit") << QStringLiteral("ime 你");
}

void TestForm2::keyAfterTheLastLetterEvaluates()
{
    QFETCH(QString, key);
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    focusTypingBox(f);
    p.advance(5000);
    input::type(f.ui().Text2, thirty.left(29));
    QCOMPARE(f.ui().lblend->Caption(), QString());
    // The thirtieth letter goes in and evaluates nothing.
    input::type(f.ui().Text2, thirty.mid(29));
    QCOMPARE(f.ui().Text2->Text(), thirty);
    QVERIFY(!f.ui().Text2->Locked());
    QCOMPARE(f.ui().Label6->Caption(), QString());
    QCOMPARE(f.ui().lblend->Caption(), QString());
    // The next key evaluates and stays out of the box.
    pressKey(f.ui().Text2, key);
    QCOMPARE(f.ui().Text2->Text(), thirty);
    QVERIFY(f.ui().Text2->Locked());
    QCOMPARE(f.ui().lblend->Caption(), QStringLiteral("09:00:05"));
    QCOMPARE(f.ui().Label6->Caption(), QStringLiteral("100.0%"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("6字符/秒"));
    // Locked: neither keys nor a paste change what was typed.
    input::type(f.ui().Text2, QStringLiteral("xyz"));
    QTest::keyClick(f.ui().Text2, Qt::Key_Backspace);
    QTest::keyClick(f.ui().Text2, Qt::Key_Delete);
    QCOMPARE(f.ui().Text2->Text(), thirty);
}

void TestForm2::keysBeforeTheEndOnlyType_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("after");
    QTest::newRow("Enter with ten letters")
        << thirty.left(10) << QStringLiteral("Enter") << thirty.left(10);
    QTest::newRow("Enter with none") << QString() << QStringLiteral("Enter") << QString();
    QTest::newRow("Backspace with 29")
        << thirty.left(29) << QStringLiteral("Backspace") << thirty.left(28);
    QTest::newRow("a letter beyond the letter box")
        << thirty + QLatin1Char('x') << QStringLiteral("y") << thirty + QStringLiteral("xy");
}

void TestForm2::keysBeforeTheEndOnlyType()
{
    QFETCH(QString, before);
    QFETCH(QString, key);
    QFETCH(QString, after);
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    focusTypingBox(f);
    // Typed or pasted, the box's contents count alike.
    f.ui().Text2->setText(before);
    f.ui().Text2->moveCursor(QTextCursor::End);
    pressKey(f.ui().Text2, key);
    QCOMPARE(f.ui().Text2->Text(), after);
    QVERIFY(!f.ui().Text2->Locked());
    QCOMPARE(f.ui().lblend->Caption(), QString());
    QCOMPARE(f.ui().lblused->Caption(), QString());
    QCOMPARE(f.ui().Label6->Caption(), QString());
    QCOMPARE(f.ui().Label7->Caption(), QString());
}

void TestForm2::letterCase_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("letters");
    QTest::newRow("no option chosen gives lower case") << QString() << thirty;
    QTest::newRow("大写 gives upper case") << QStringLiteral("Opt1") << thirty.toUpper();
    QTest::newRow("小写 gives lower case") << QStringLiteral("Opt2") << thirty;
}

void TestForm2::letterCase()
{
    QFETCH(QString, option);
    QFETCH(QString, letters);
    TestProgram p;
    Form2 &f = open(p);
    if (!option.isEmpty()) {
        auto *button = f.window().findChild<OptionButton *>(option);
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(button->Value());
    }
    generate(p, f, thirty);
    QCOMPARE(f.ui().Text1->Text(), letters);
}

void TestForm2::optionIsReadForEveryLetter()
{
    TestProgram p;
    Form2 &f = open(p);
    // The ends of the range: 0 gives a, the largest value below 1 gives z.
    p.random->push({0.0f, 0.99999994f});
    scriptLetters(p, thirty.mid(2));
    // Something choosing 大写 while the letters are being written: the letters after it
    // follow it.
    f.ui().Text1->onChange = [&f] {
        if (f.ui().Text1->TextLength() == 10)
            f.ui().Opt1->setValue(true);
    };
    input::click(f.ui().Command1);
    QCOMPARE(f.ui().Text1->Text(),
             QStringLiteral("az") + thirty.mid(2, 8) + thirty.mid(10).toUpper());
}

void TestForm2::generatingReseedsAndDrawsThirty()
{
    TestProgram p;
    Form2 &f = open(p);
    const int drawsBefore = p.random->draws();
    input::click(f.ui().Command1);
    QCOMPARE(p.random->reseeds(), 1);
    QCOMPARE(p.random->draws() - drawsBefore, 30);
    const QString first = f.ui().Text1->Text();
    QCOMPARE(first.size(), 30);
    for (QChar ch : first)
        QVERIFY2(alphabet.contains(ch), qPrintable(first));
    // Within the same second the clock's fraction gives another seed, and so other letters.
    p.advance(300);
    input::click(f.ui().Command1);
    QCOMPARE(p.random->reseeds(), 2);
    QVERIFY(f.ui().Text1->Text() != first);
    // The seed is the clock's reading alone: another run pressing at the same moment gets the
    // same letters.
    TestProgram q;
    Form2 &g = open(q);
    input::click(g.ui().Command1);
    QCOMPARE(g.ui().Text1->Text(), first);
}

void TestForm2::generatingAfterATestKeepsTheResults()
{
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    focusTypingBox(f);
    p.advance(7000);
    input::type(f.ui().Text2, typedWithCorrect(29));
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QVERIFY(f.ui().Text2->Locked());
    QCOMPARE(f.ui().Label6->Caption(), QStringLiteral("96.7%"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("4字符/秒"));

    const QString next = QStringLiteral("zyxwvutsrqponmlkjihgfedcbazyxw");
    generate(p, f, next);
    QCOMPARE(f.ui().Text1->Text(), next);
    QCOMPARE(f.ui().Text2->Text(), QString());
    QVERIFY(!f.ui().Text2->Locked());
    QCOMPARE(f.ui().lblstart->Caption(), QString());
    QCOMPARE(f.ui().lblend->Caption(), QString());
    QCOMPARE(f.ui().lblused->Caption(), QString());
    QCOMPARE(f.ui().Label6->Caption(), QStringLiteral("96.7%"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("4字符/秒"));
    QVERIFY(f.ui().Command1->hasFocus());

    // The next test runs from the moment the user comes back to the typing box.
    p.advance(30'000);
    f.ui().Text2->SetFocus();
    QCOMPARE(f.ui().lblstart->Caption(), QStringLiteral("09:00:37"));
    p.advance(1000);
    input::type(f.ui().Text2, next);
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QCOMPARE(f.ui().Label6->Caption(), QStringLiteral("100.0%"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("30字符/秒"));
}

void TestForm2::eachFocusRestartsTheClock()
{
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    focusTypingBox(f);
    QCOMPARE(f.ui().lblstart->Caption(), QStringLiteral("09:00:00"));
    input::type(f.ui().Text2, thirty.left(15));
    p.advance(10'000);
    // Away to the letter box and back: the clock restarts, the typing stays.
    QTest::keyClick(f.ui().Text2, Qt::Key_Tab, Qt::ShiftModifier);
    QVERIFY(f.ui().Text1->hasFocus());
    p.advance(5000);
    QTest::keyClick(f.ui().Text1, Qt::Key_Tab);
    QVERIFY(f.ui().Text2->hasFocus());
    QCOMPARE(f.ui().lblstart->Caption(), QStringLiteral("09:00:15"));
    QCOMPARE(f.ui().Text2->Text(), thirty.left(15));
    p.advance(4000);
    input::type(f.ui().Text2, thirty.mid(15));
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QCOMPARE(f.ui().lblused->Caption(), QStringLiteral("00:00:04"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("8字符/秒"));

    // After the test too: a click into the box restarts it, and the next key measures
    // from there.
    p.advance(20'000);
    f.ui().Command1->setFocus(Qt::OtherFocusReason);
    QTest::mouseClick(f.ui().Text2->viewport(), Qt::LeftButton);
    QVERIFY(f.ui().Text2->hasFocus());
    QCOMPARE(f.ui().lblstart->Caption(), QStringLiteral("09:00:39"));
    p.advance(12'000);
    QTest::keyClick(f.ui().Text2, Qt::Key_A);
    QCOMPARE(f.ui().lblused->Caption(), QStringLiteral("00:00:12"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("3字符/秒"));
}

void TestForm2::furtherKeysEvaluateAgain()
{
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    focusTypingBox(f);
    p.advance(4000);
    input::type(f.ui().Text2, typedWithCorrect(28));
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QCOMPARE(f.ui().lblend->Caption(), QStringLiteral("09:00:04"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("8字符/秒"));
    p.advance(6000);
    QTest::keyClick(f.ui().Text2, Qt::Key_B);
    QCOMPARE(f.ui().lblstart->Caption(), QStringLiteral("09:00:00"));
    QCOMPARE(f.ui().lblend->Caption(), QStringLiteral("09:00:10"));
    QCOMPARE(f.ui().lblused->Caption(), QStringLiteral("00:00:10"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("3字符/秒"));
    QCOMPARE(f.ui().Label6->Caption(), QStringLiteral("93.3%"));
    QCOMPARE(f.ui().Text2->Text(), typedWithCorrect(28));
}

void TestForm2::emptyBoxesEvaluateNothing_data()
{
    QTest::addColumn<bool>("generateFirst");
    QTest::newRow("no letters generated yet") << false;
    QTest::newRow("letter box emptied by the user") << true;
}

void TestForm2::emptyBoxesEvaluateNothing()
{
    QFETCH(bool, generateFirst);
    TestProgram p;
    Form2 &f = open(p);
    if (generateFirst) {
        generate(p, f, thirty);
        f.ui().Text1->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(f.ui().Text1, Qt::Key_End);
        QTest::keyClick(f.ui().Text1, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(f.ui().Text1, Qt::Key_Backspace);
        QCOMPARE(f.ui().Text1->Text(), QString());
    }
    focusTypingBox(f);
    p.advance(3000);
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QVERIFY(!f.ui().Text2->Locked());
    QCOMPARE(f.ui().lblend->Caption(), QString());
    QCOMPARE(f.ui().lblused->Caption(), QString());
    QCOMPARE(f.ui().Label6->Caption(), QString());
    QCOMPARE(f.ui().Label7->Caption(), QString());
    // A letter goes in as usual.
    QTest::keyClick(f.ui().Text2, Qt::Key_K);
    QCOMPARE(f.ui().Text2->Text(), QStringLiteral("k"));
    QVERIFY(!p.program().hasEnded());
    QVERIFY(p.messages->shown.empty());
}

void TestForm2::textsBeyond16BitsDoNotOverflow()
{
    TestProgram p;
    Form2 &f = open(p);
    // A large paste into each box: 32 768 matching positions out of 40 000.
    f.ui().Text1->setText(QString(40'000, QLatin1Char('a')));
    f.ui().Text2->setText(QString(32'768, QLatin1Char('a')) + QString(7232, QLatin1Char('b')));
    focusTypingBox(f);
    p.advance(2000);
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QVERIFY(!p.program().hasEnded());
    QVERIFY(p.messages->shown.empty());
    QCOMPARE(f.ui().Label6->Caption(), QStringLiteral("81.9%"));
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("15字符/秒"));
}

void TestForm2::closedWindowReadsEmptyResults()
{
    TestProgram p;
    Form2 &f = open(p);
    generate(p, f, thirty);
    focusTypingBox(f);
    p.advance(1000);
    input::type(f.ui().Text2, thirty);
    QTest::keyClick(f.ui().Text2, Qt::Key_Return);
    QCOMPARE(f.ui().Label7->Caption(), QStringLiteral("30字符/秒"));
    f.window().close();
    QVERIFY(!f.isLoaded());
    // What the leaderboard reads: the window comes back hidden and fresh.
    QCOMPARE(p->form2().ui().Label7->Caption(), QString());
    QCOMPARE(p->form2().ui().Label6->Caption(), QString());
    QVERIFY(f.isLoaded());
    QVERIFY(!f.isVisible());
    QCOMPARE(f.ui().Text1->Text(), QString());
    QVERIFY(!f.ui().Text2->Locked());
}

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
