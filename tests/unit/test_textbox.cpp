// A multi-line box holds a long paragraph in pieces. Whatever is typed, the box must show and
// report exactly what a plain Qt text edit does with the same keys: the same pixels, the same
// text, lengths and selections, the same clipboard.
#include "app/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <functional>

class TestTextBox : public QObject {
    Q_OBJECT
private slots:
    void editsLookAndReadAsOneParagraph_data();
    void editsLookAndReadAsOneParagraph();
    void selectionCountsNoJoins();
    void copyLeavesOutJoins();
    void undoSkipsReshaping();
    void changeIsRaisedOncePerEditOnly();
    void longInputMethodCommitGoesInPieces();
};

namespace {

// Chinese with punctuation (which may not start a line), Latin words and spaces.
QString paragraph(int length)
{
    const QString sample = QStringLiteral(
        "今天我们练习打字，速度和准确都很重要。键盘上的每一个字母都要记住位置，"
        "手指放在基本键上，眼睛看着屏幕而不是键盘。Practice makes perfect. ");
    QString text;
    while (text.size() < length)
        text += sample;
    text.truncate(length);
    return text;
}

// The box under test and a plain Qt editor given the same size, font and wrapping, both
// tall enough to show every line without scrolling.
struct Boxes {
    QWidget window;
    TextBox *ours;
    QPlainTextEdit *theirs;

    Boxes()
    {
        window.resize(700, 1700);
        ours = new TextBox(&window, QStringLiteral("Text1"), TextBox::Lines::Multi, 0, 0, 4800,
                           25000);
        theirs = new QPlainTextEdit(&window);
        theirs->setGeometry(340, 0, ours->width(), ours->height());
        theirs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        theirs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // No caret in either picture.
        ours->setFocusPolicy(Qt::NoFocus);
        theirs->setFocusPolicy(Qt::NoFocus);
        ours->setCursorWidth(0);
        theirs->setCursorWidth(0);
        window.show();
    }

    void setText(const QString &text)
    {
        ours->setText(text);
        theirs->setPlainText(text);
    }

    // The same keys to both, in the way a typist presses them.
    void keys(const std::function<void(QWidget *)> &press)
    {
        press(ours);
        press(theirs);
    }

    // The same caret position in both, given as a place in the text.
    void caretAt(int place)
    {
        keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Home, Qt::ControlModifier); });
        for (int i = 0; i < place; ++i)
            keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Right); });
    }

    int pieces() const { return ours->document()->blockCount(); }
};

QImage shot(QWidget *w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QString expectedText(const QPlainTextEdit *e)
{
    return e->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

// Where the box's second piece starts, as a place in the text.
int firstJoin(const TextBox &box)
{
    return box.document()->firstBlock().length() - 1;
}

using Edit = std::function<void(Boxes &)>;

// Types text key by key; a character with no key of its own comes as text alone, the way
// an input method or another layout sends it.
void type(QWidget *w, const QString &text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 128) {
            QTest::keyClick(w, char(ch.unicode()));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

void typeBoth(Boxes &b, const QString &text)
{
    b.keys([&](QWidget *w) { type(w, text); });
}

} // namespace

void TestTextBox::editsLookAndReadAsOneParagraph_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::newRow("text put in") << Edit([](Boxes &) {});
    QTest::newRow("typed at the end") << Edit([](Boxes &b) {
        b.keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_End, Qt::ControlModifier); });
        typeBoth(b, paragraph(700).mid(13));
    });
    QTest::newRow("typed in the middle") << Edit([](Boxes &b) {
        b.caretAt(333);
        typeBoth(b, QStringLiteral("插入的字 and words"));
    });
    QTest::newRow("backspace in the middle") << Edit([](Boxes &b) {
        b.caretAt(611);
        for (int i = 0; i < 25; ++i)
            b.keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Backspace); });
    });
    QTest::newRow("backspace at a join") << Edit([](Boxes &b) {
        b.caretAt(firstJoin(*b.ours));
        b.keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Backspace); });
        typeBoth(b, QStringLiteral("，"));
    });
    QTest::newRow("punctuation typed at a piece's start") << Edit([](Boxes &b) {
        // A comma may not start a line: the line before gives up its last character.
        b.caretAt(firstJoin(*b.ours));
        typeBoth(b, QStringLiteral("，"));
    });
    QTest::newRow("left across a join, then typed") << Edit([](Boxes &b) {
        b.caretAt(firstJoin(*b.ours));
        b.keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Left); });
        typeBoth(b, QStringLiteral("X"));
    });
    QTest::newRow("enter inside a piece") << Edit([](Boxes &b) {
        b.caretAt(firstJoin(*b.ours) + 40);
        b.keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); });
        typeBoth(b, QStringLiteral("新的一段"));
    });
    QTest::newRow("selection across joins deleted") << Edit([](Boxes &b) {
        b.caretAt(100);
        for (int i = 0; i < 500; ++i)
            b.keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Right, Qt::ShiftModifier); });
        b.keys([](QWidget *w) { QTest::keyClick(w, Qt::Key_Delete); });
    });
    QTest::newRow("scripts, digits, symbols and emoji mixed") << Edit([](Boxes &b) {
        const QString mixed = QStringLiteral("价格是123元，约合45.6美元！Price: 78%% off; "
                                             "日期2026-12-07。“引号”(1)[2]{3} 😑&%#@ 表情😎😎"
                                             "…… ‘单’ ～～ ");
        b.setText(mixed.repeated(30));
        b.caretAt(200);
        typeBoth(b, QStringLiteral("99"));
    });
    QTest::newRow("several paragraphs") << Edit([](Boxes &b) {
        b.setText(paragraph(500) + QStringLiteral("\r\n\r\n") + paragraph(40) +
                  QStringLiteral("\r\n") + paragraph(900));
        b.caretAt(560);
        typeBoth(b, QStringLiteral("改动"));
    });
}

void TestTextBox::editsLookAndReadAsOneParagraph()
{
    QFETCH(Edit, edit);
    Boxes b;
    QVERIFY(QTest::qWaitForWindowExposed(&b.window));
    b.setText(paragraph(1500));
    // Otherwise this would test nothing.
    QVERIFY2(b.pieces() >= 1500 / TextBox::pieceLimit, "a long paragraph is not in pieces");

    edit(b);

    QCOMPARE(b.ours->Text(), expectedText(b.theirs));
    QCOMPARE(b.ours->TextLength(), b.ours->Text().size());
    for (QTextBlock block = b.ours->document()->begin(); block.isValid(); block = block.next())
        QVERIFY2(block.length() - 1 <= TextBox::pieceLimit, "a piece has grown past its limit");
    QVERIFY2(shot(b.ours) == shot(b.theirs), "the pieces show differently from one paragraph");
}

void TestTextBox::selectionCountsNoJoins()
{
    Boxes b;
    b.setText(paragraph(1500));
    const int join = firstJoin(*b.ours);
    b.caretAt(join - 10);
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(b.ours, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(b.ours->SelLength(), 30);

    // Selecting from code counts characters of the text too.
    b.caretAt(join - 10);
    b.ours->setSelLength(30);
    QCOMPARE(b.ours->SelLength(), 30);
    QCOMPARE(b.ours->textCursor().selectedText().remove(QChar::ParagraphSeparator),
             paragraph(1500).mid(join - 10, 30));
    b.ours->setSelLength(0);
    QCOMPARE(b.ours->SelLength(), 0);
}

void TestTextBox::copyLeavesOutJoins()
{
    Boxes b;
    b.setText(paragraph(1500) + QStringLiteral("\r\nnext"));
    b.caretAt(100);
    for (int i = 0; i < 1405; ++i)
        QTest::keyClick(b.ours, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(b.ours, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             paragraph(1500).mid(100) + QStringLiteral("\nnext"));
}

void TestTextBox::undoSkipsReshaping()
{
    Boxes b;
    const QString original = paragraph(1500);
    b.setText(original);
    b.caretAt(400);
    QTest::keyClicks(b.ours, QStringLiteral("abc"));
    QVERIFY(b.ours->Text() != original);
    // Each undo takes something typed back out; none is spent on the pieces alone.
    for (int i = 0; i < 3 && b.ours->Text() != original; ++i) {
        const QString before = b.ours->Text();
        QTest::keyClick(b.ours, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY2(b.ours->Text() != before, "an undo changed nothing");
    }
    QCOMPARE(b.ours->Text(), original);
}

void TestTextBox::changeIsRaisedOncePerEditOnly()
{
    Boxes b;
    int changes = 0;
    b.ours->onChange = [&] { ++changes; };
    b.ours->setText(paragraph(1500));
    QCOMPARE(changes, 1);
    // The same text again is no change, pieces or not.
    b.ours->setText(paragraph(1500));
    QCOMPARE(changes, 1);
    b.caretAt(300);
    changes = 0;
    // Each key rejoins and splits pieces behind it; the window hears one change a key.
    QTest::keyClicks(b.ours, QStringLiteral("abcd"));
    QCOMPARE(changes, 4);
    // Moving over a join changes nothing.
    b.caretAt(firstJoin(*b.ours));
    QTest::keyClick(b.ours, Qt::Key_Left);
    QTest::keyClick(b.ours, Qt::Key_Right);
    QCOMPARE(changes, 4);
}

void TestTextBox::longInputMethodCommitGoesInPieces()
{
    // An input method commits its text at once; the box types it a character at a time, and
    // each character must land in a short piece, or a long commit would lay out an ever
    // longer paragraph at every character.
    Boxes b;
    qsizetype longest = 0;
    b.ours->onChange = [&] {
        const QTextBlock block = b.ours->textCursor().block();
        longest = qMax(longest, qsizetype(block.length() - 1));
    };
    QInputMethodEvent commit;
    commit.setCommitString(paragraph(3000));
    QApplication::sendEvent(b.ours, &commit);
    QCOMPARE(b.ours->Text(), paragraph(3000));
    QVERIFY2(longest <= TextBox::pieceLimit + 1,
             qPrintable(QStringLiteral("a piece reached %1 characters").arg(longest)));
}

QTEST_MAIN(TestTextBox)
#include "test_textbox.moc"
