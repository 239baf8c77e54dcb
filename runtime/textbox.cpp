#include "runtime/controls.h"

#include "runtime/keys.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TextBox::TextBox(QWidget *parent, QStringView name, Lines lines, int left, int top, int width,
                 int height)
    : QPlainTextEdit(parent), Placement(this), lines_(lines)
{
    setObjectName(name.toString());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setAcceptDrops(false);
    if (lines == Lines::Single)
        setLineWrapMode(QPlainTextEdit::NoWrap);
    place(left, top, width, height);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (onChange && !drawingPreedit_)
            onChange();
    });
}

QString TextBox::Text() const
{
    QString text = toPlainText();
    if (lines_ == Lines::Multi)
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

QString TextBox::fitToLines(QString text) const
{
    if (lines_ == Lines::Single) {
        // A one-line box keeps what comes before the first line break, as pasting into a
        // one-line edit field does.
        const qsizetype cut = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        if (cut >= 0)
            text.truncate(cut);
        return text;
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void TextBox::setText(const QString &text)
{
    const QString plain = fitToLines(text);
    if (plain == toPlainText())
        return;
    setPlainText(plain);
}

qsizetype TextBox::TextLength() const
{
    const QTextDocument *doc = document();
    const qsizetype chars = doc->characterCount() - 1; // the last block's separator
    if (lines_ == Lines::Single)
        return chars;
    // Each further block is one line break, reported as CR LF: one more than it holds.
    return chars + (doc->blockCount() - 1);
}

int TextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TextBox::setSelLength(int length)
{
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    if (length > 0)
        c.setPosition(qMin(start + length, document()->characterCount() - 1),
                      QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TextBox::SetFocus() { setFocus(Qt::OtherFocusReason); }

void TextBox::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    // Coming back to the program is not the user moving to this box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (onGotFocus)
        onGotFocus();
}

void TextBox::mousePressEvent(QMouseEvent *event)
{
    // Selected text is never dragged out of the box: a move into another program would take
    // it out of the box, a locked one too. A press inside the selection starts afresh.
    // Only with a selection: while an input method composes there is none, and positions in
    // the composition shown at the caret would lie beyond the end of the text.
    QTextCursor c = textCursor();
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier) &&
        c.hasSelection()) {
        const int at = cursorForPosition(event->position().toPoint()).position();
        if (at >= c.selectionStart() && at <= c.selectionEnd()) {
            c.clearSelection();
            setTextCursor(c);
        }
    }
    QPlainTextEdit::mousePressEvent(event);
}

bool TextBox::raiseKeyPress(int &keyAscii)
{
    if (onKeyPress)
        onKeyPress(keyAscii);
    return keyAscii != 0;
}

void TextBox::typeText(const QString &text)
{
    if (locked_ || text.isEmpty())
        return;
    QTextCursor c = textCursor();
    c.insertText(text);
    setTextCursor(c);
    ensureCursorVisible();
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool chord = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !chord) {
        focusNextPrevChild(key == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    event->accept();

    const QString chars = keys::characters(*event);
    // A key that types but has no code of its own (a letter of another layout, text sent as
    // keystrokes) still goes down first, so KeyDown sees every key that can change the text.
    int keyCode = keys::keyCode(*event);
    if (keyCode == 0 && !chars.isEmpty())
        keyCode = keys::packetKey;
    const int pressed = keyCode;
    if (keyCode != 0 && onKeyDown)
        onKeyDown(keyCode, keys::shiftState(*event));
    if (keyCode == 0 && pressed != 0)
        return; // cancelled by the KeyDown handler

    if (chars.isEmpty()) {
        // Keys without a character: editing keys only while unlocked, the rest as usual.
        const bool deletes = key == Qt::Key_Delete;
        const bool pastes = event->matches(QKeySequence::Paste);
        const bool moves = event->matches(QKeySequence::Copy) ||
                           event->matches(QKeySequence::SelectAll) || key == Qt::Key_Left ||
                           key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down ||
                           key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_PageUp ||
                           key == Qt::Key_PageDown;
        if (moves || ((deletes || pastes) && !locked_))
            QPlainTextEdit::keyPressEvent(event);
        return;
    }

    for (QChar ch : chars) {
        int code = ch.unicode();
        if (!raiseKeyPress(code))
            continue;
        switch (code) {
        case 8:
            if (!locked_) {
                QTextCursor c = textCursor();
                if (c.hasSelection())
                    c.removeSelectedText();
                else
                    c.deletePreviousChar();
                setTextCursor(c);
            }
            break;
        case 13:
            if (lines_ == Lines::Multi)
                typeText(QStringLiteral("\n"));
            break;
        // The editing chords the box's menu shows beside its entries do what the menu does.
        case 1:
            if (event->matches(QKeySequence::SelectAll))
                selectAll();
            break;
        case 3: copy(); break;
        case 22:
            if (!locked_)
                paste();
            break;
        case 24:
            if (!locked_)
                cut();
            break;
        case 25: // Ctrl+Y, and Ctrl+Shift+Z: redo where the desktop's keys say so
        case 26:
            if (locked_)
                break;
            if (event->matches(QKeySequence::Redo))
                redo();
            else if (code == 26)
                undo();
            break;
        default:
            // Other control characters insert nothing.
            if (code >= 32 && code != 127)
                typeText(QString(QChar(char16_t(code))));
            break;
        }
    }
}

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu(event->pos());
    // Paste already asks canInsertFromMimeData; the menu's other edits go straight to the
    // text, so a locked box turns them off.
    if (locked_) {
        for (QAction *action : menu->actions()) {
            const QString name = action->objectName();
            if (name == u"edit-undo" || name == u"edit-redo" || name == u"edit-cut" ||
                name == u"edit-delete")
                action->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    // The keys an input method takes go down as 229, also the ones that start or change a
    // composition: a composition starting over a selection removes it, so KeyDown must see
    // that key before.
    const bool composes =
        !locked_ && event->preeditString() != textCursor().block().layout()->preeditAreaText();
    int keyCode = keys::imeProcessKey;
    if ((composes || !commit.isEmpty()) && onKeyDown)
        onKeyDown(keyCode, 0);
    if (!commit.isEmpty() && keyCode != 0) {
        for (QChar ch : commit) {
            int code = ch.unicode();
            if (raiseKeyPress(code) && code >= 32 && code != 127)
                typeText(QString(QChar(char16_t(code))));
        }
    }
    // Let the box draw what the input method is still composing. Qt reports that as a change
    // of the text, though the text stays as it is.
    QInputMethodEvent preedit(locked_ || keyCode == 0 ? QString() : event->preeditString(),
                              event->attributes());
    drawingPreedit_ = true;
    QPlainTextEdit::inputMethodEvent(&preedit);
    drawingPreedit_ = false;
    event->accept();
}

bool TextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return !locked_ && source->hasText();
}

void TextBox::insertFromMimeData(const QMimeData *source)
{
    if (locked_ || !source->hasText())
        return;
    typeText(fitToLines(source->text()));
}
