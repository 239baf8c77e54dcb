#include "controls.h"

#include "keys.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Marks a block that continues the paragraph of the block before it: a piece of a long
// paragraph, not a paragraph of its own.
constexpr int continuesProperty = QTextFormat::UserProperty + 1;

bool continues(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(continuesProperty);
}

// The block's layout as the box shows it, laid out now if it was not yet.
QTextLayout *laidOut(const QTextBlock &block)
{
    block.document()->documentLayout()->blockBoundingRect(block);
    return block.layout();
}

// Characters after which a line always ends.
bool isForcedBreak(QChar ch)
{
    switch (ch.unicode()) {
    case 0x000B: case 0x000C: case 0x0085: case QChar::LineSeparator:
    case QChar::ParagraphSeparator: return true;
    default: return false;
    }
}

// The script of the first (or last) character in `text` that has one of its own.
QChar::Script strongScript(QStringView text, bool last)
{
    const qsizetype n = text.size();
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype i = last ? n - 1 - k : k;
        char32_t ch = text[i].unicode();
        if (QChar::isLowSurrogate(ch) && i > 0 && text[i - 1].isHighSurrogate())
            ch = QChar::surrogateToUcs4(text[i - 1], text[i]);
        else if (QChar::isHighSurrogate(ch) && i + 1 < n && text[i + 1].isLowSurrogate())
            ch = QChar::surrogateToUcs4(text[i], text[i + 1]);
        const QChar::Script script = QChar::script(ch);
        if (script > QChar::Script_Common)
            return script;
    }
    return QChar::Script_Common;
}

// Qt gives punctuation, digits and symbols the script of the text before them, or at the
// start of a paragraph that of the text after them; the script picks the font. A piece may
// start with a character of a script of its own, or where both give the same script: it
// then draws its first characters as the paragraph did.
bool scriptCarriesOver(QStringView before, QStringView after)
{
    if (after.isEmpty())
        return false;
    const qsizetype firstLength = after.front().isHighSurrogate() && after.size() > 1 ? 2 : 1;
    if (strongScript(after.first(firstLength), false) != QChar::Script_Common)
        return true;
    const QChar::Script next = strongScript(after, false);
    return next != QChar::Script_Common && strongScript(before, true) == next;
}

// Right-to-left text takes its direction from the start of its paragraph; such paragraphs
// stay whole.
bool hasRightToLeft(const QString &text)
{
    for (QChar ch : text) {
        switch (ch.direction()) {
        case QChar::DirR: case QChar::DirAL: case QChar::DirRLE: case QChar::DirRLO:
        case QChar::DirRLI: return true;
        default: break;
        }
    }
    return false;
}

// What the text holds for a run of document characters: as QTextDocument::toPlainText.
void appendPlain(QString &text, QStringView chars)
{
    for (QChar ch : chars) {
        switch (ch.unicode()) {
        case QChar::LineSeparator:
        case QChar::ParagraphSeparator: text += QLatin1Char('\n'); break;
        case QChar::Nbsp: text += QLatin1Char(' '); break;
        default: text += ch; break;
        }
    }
}

} // namespace

TextBox::TextBox(QWidget *parent, const QString &name, Lines lines, int left, int top,
                 int width, int height)
    : QPlainTextEdit(parent), Placement(this), lines_(lines)
{
    setObjectName(name);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    if (lines == Lines::Single)
        setLineWrapMode(QPlainTextEdit::NoWrap);
    setAccessibleName(name);
    place(left, top, width, height);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int from, int removed, int added) {
                // The count of joins changes only when text goes or blocks come and go.
                const int blocks = document()->blockCount();
                if (removed > 0 || blocks != blockCount_)
                    joinsKnown_ = false;
                blockCount_ = blocks;
                if (reshaping_ || lines_ != Lines::Multi)
                    return;
                if (dirtyFrom_ < 0) {
                    dirtyFrom_ = from;
                    dirtyTo_ = from + added;
                    return;
                }
                if (dirtyTo_ >= from)
                    dirtyTo_ = qMax(from, dirtyTo_ + added - removed);
                dirtyFrom_ = qMin(dirtyFrom_, from);
                dirtyTo_ = qMax(dirtyTo_, from + added);
            });
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        // Reshaping pieces changes nothing in the text.
        if (onChange && !reshaping_ && !silent_)
            onChange();
    });
}

QString TextBox::Text() const
{
    if (lines_ == Lines::Single)
        return toPlainText();
    QString text = textBetween(0, document()->characterCount() - 1);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

QString TextBox::textBetween(int from, int to) const
{
    QString text;
    text.reserve(to - from);
    QTextBlock block = document()->findBlock(from);
    while (block.isValid()) {
        const int start = qMax(from, block.position());
        const int end = qMin(to, block.position() + block.length() - 1);
        if (end > start)
            appendPlain(text, QStringView(block.text()).mid(start - block.position(),
                                                             end - start));
        const QTextBlock next = block.next();
        if (!next.isValid() || next.position() > to)
            break;
        if (!continues(next))
            text += QLatin1Char('\n');
        block = next;
    }
    return text;
}

int TextBox::joinsBetween(int from, int to) const
{
    int joins = 0;
    for (QTextBlock b = document()->findBlock(from).next(); b.isValid() && b.position() <= to;
         b = b.next())
        joins += continues(b) ? 1 : 0;
    return joins;
}

int TextBox::joinCount() const
{
    if (!joinsKnown_) {
        joins_ = lines_ == Lines::Multi ? joinsBetween(0, document()->characterCount()) : 0;
        joinsKnown_ = true;
    }
    return joins_;
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
    const QString current = lines_ == Lines::Single
                                ? toPlainText()
                                : textBetween(0, document()->characterCount() - 1);
    if (plain == current)
        return;
    setPlainText(plain);
    reshape();
}

qsizetype TextBox::TextLength() const
{
    const QTextDocument *doc = document();
    const qsizetype chars = doc->characterCount() - 1; // the last block's separator
    if (lines_ == Lines::Single)
        return chars;
    // A join is a block separator that is not in the text; every other one is a line
    // break, reported as CR LF: one more than it holds.
    const int joins = joinCount();
    return chars - joins + (doc->blockCount() - 1 - joins);
}

int TextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart() -
           joinsBetween(c.selectionStart(), c.selectionEnd());
}

void TextBox::setSelLength(int length)
{
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    if (length > 0) {
        // `length` characters of the text on from the start, stepping over joins.
        const int end = document()->characterCount() - 1;
        QTextBlock block = document()->findBlock(start);
        int at = start;
        int left = length;
        while (left > 0 && at < end) {
            const int blockEnd = block.position() + block.length() - 1;
            if (at < blockEnd) {
                const int step = qMin(left, blockEnd - at);
                at += step;
                left -= step;
                continue;
            }
            block = block.next();
            if (!continues(block))
                --left;
            at = block.position();
        }
        c.setPosition(at, QTextCursor::KeepAnchor);
    }
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
    settleCaret(-1, false, nullptr);
}

void TextBox::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    settleCaret(-1, false, nullptr);
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
    const int start = c.selectionStart();
    // A line break typed inside a piece starts a paragraph: the blocks it makes take the
    // piece's mark, which comes off again in the same undo step.
    const bool breaksPiece = text.contains(QLatin1Char('\n')) &&
                             continues(document()->findBlock(start));
    if (breaksPiece)
        c.beginEditBlock();
    c.insertText(text);
    if (breaksPiece) {
        for (QTextBlock b = document()->findBlock(start).next();
             b.isValid() && b.position() <= c.position(); b = b.next()) {
            QTextBlockFormat format = b.blockFormat();
            format.clearProperty(continuesProperty);
            QTextCursor(b).setBlockFormat(format);
        }
        c.endEditBlock();
    }
    setTextCursor(c);
    // Before the next character of a long input-method commit goes in.
    reshape();
    ensureCursorVisible();
}

void TextBox::undoTyping()
{
    // Reshaping leaves steps on the undo stack that change nothing in the text: undo goes
    // on past them to the user's last edit, and Change is raised once.
    const QString before = Text();
    silent_ = true;
    bool changed = false;
    while (!changed && document()->isUndoAvailable()) {
        undo();
        changed = Text() != before;
    }
    silent_ = false;
    reshape();
    settleCaret(-1, false, nullptr);
    if (changed && onChange)
        onChange();
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
                           key == Qt::Key_Home || key == Qt::Key_End ||
                           key == Qt::Key_PageUp || key == Qt::Key_PageDown;
        if (moves || ((deletes || pastes) && !locked_)) {
            const int before = textCursor().position();
            QPlainTextEdit::keyPressEvent(event);
            if (moves)
                settleCaret(before, key == Qt::Key_Left || key == Qt::Key_Right, event);
        }
        reshape();
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
                if (c.hasSelection()) {
                    c.removeSelectedText();
                } else {
                    // At a piece's start the character before is the last of the piece
                    // before, not the join.
                    if (c.atBlockStart() && continues(c.block()))
                        c.movePosition(QTextCursor::PreviousCharacter);
                    c.deletePreviousChar();
                }
                setTextCursor(c);
            }
            break;
        case 13:
            if (lines_ == Lines::Multi)
                typeText(QStringLiteral("\n"));
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
        case 26:
            if (!locked_)
                undoTyping();
            break;
        default:
            // Other control characters insert nothing.
            if (code >= 32 && code != 127)
                typeText(QString(QChar(char16_t(code))));
            break;
        }
    }
    reshape();
    settleCaret(-1, false, nullptr);
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
    // Let the box draw what the input method is still composing.
    QInputMethodEvent preedit(locked_ || keyCode == 0 ? QString() : event->preeditString(),
                              event->attributes());
    QPlainTextEdit::inputMethodEvent(&preedit);
    event->accept();
    reshape();
    settleCaret(-1, false, nullptr);
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

QMimeData *TextBox::createMimeDataFromSelection() const
{
    const QTextCursor c = textCursor();
    if (joinsBetween(c.selectionStart(), c.selectionEnd()) == 0)
        return QPlainTextEdit::createMimeDataFromSelection();
    auto *data = new QMimeData;
    data->setText(textBetween(c.selectionStart(), c.selectionEnd()));
    return data;
}

// --- Pieces of long paragraphs

void TextBox::reshape()
{
    if (dirtyFrom_ < 0)
        return;
    QTextDocument *doc = document();
    const int end = doc->characterCount() - 1;
    // Follows the end of the edited range through the splits and joins below.
    QTextCursor until(doc);
    until.setPosition(qBound(0, dirtyTo_, end));
    const int from = qBound(0, dirtyFrom_, end);
    QTextBlock block = doc->findBlock(from);
    dirtyFrom_ = dirtyTo_ = -1;
    if (lines_ != Lines::Multi)
        return;
    // An edit in a piece's first line (or just after it) can move the line break that ends
    // the piece before.
    if (continues(block)) {
        const QTextLayout *layout = laidOut(block);
        if (layout->lineCount() == 0 ||
            from - block.position() <= layout->lineAt(0).textLength())
            block = block.previous();
    }

    reshaping_ = true;
    // A piece split or joined ends somewhere new: checked again up to there.
    const auto checkUpTo = [&until](int position) {
        until.setPosition(qMax(until.position(), position));
    };
    // Each round splits, joins or moves on; the bound only guards against a layout that
    // disagrees with itself.
    for (int rounds = 4 * doc->blockCount() + 64; block.isValid() && rounds > 0; --rounds) {
        if (block.length() - 1 > pieceLimit) {
            QTextCursor pieceEnd(doc);
            pieceEnd.setPosition(block.position() + block.length() - 1);
            if (splitLongPiece(block)) {
                checkUpTo(pieceEnd.position());
                block = doc->findBlock(block.position());
                continue;
            }
        }
        const QTextBlock next = block.next();
        if (continues(next) && !endsOnLineBreak(block, next)) {
            joinWithNext(block);
            block = doc->findBlock(block.position());
            checkUpTo(block.position() + block.length() - 1);
            continue;
        }
        // Past the edit, a piece that still ends on a line break leaves the rest as it was.
        if (!next.isValid() || next.position() > until.position())
            break;
        block = next;
    }
    reshaping_ = false;
}

bool TextBox::splitLongPiece(const QTextBlock &block)
{
    // Cuts where lines of the paragraph start, every half limit or so, so each piece keeps
    // the lines it had.
    const QString text = block.text();
    if (hasRightToLeft(text))
        return false;
    const QTextLayout *layout = laidOut(block);
    QList<int> cuts;
    int last = 0;
    for (int i = 1; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const int start = line.textStart();
        if (start - last < pieceLimit / 2)
            continue;
        // The piece ahead of the cut must end there when laid out on its own, and the one
        // after it must start as the paragraph's line does.
        if (isForcedBreak(text.at(start - 1)) ||
            !scriptCarriesOver(QStringView(text).mid(last, start - last),
                               QStringView(text).mid(start)) ||
            !breaksAt(text.mid(last, start - last + line.textLength() + 1), start - last,
                      line.width()))
            continue;
        cuts.append(start);
        last = start;
    }
    if (cuts.isEmpty())
        return false;
    QTextBlockFormat format = block.blockFormat();
    format.setProperty(continuesProperty, true);
    const int base = block.position();
    QTextCursor c(document());
    // From the last cut back, so the earlier positions stay where they were; as one edit, so
    // the box lays the text out once, not at every cut.
    c.beginEditBlock();
    for (qsizetype i = cuts.size() - 1; i >= 0; --i) {
        c.setPosition(base + cuts[i]);
        c.insertBlock(format);
    }
    c.endEditBlock();
    return true;
}

bool TextBox::endsOnLineBreak(const QTextBlock &piece, const QTextBlock &next) const
{
    // An empty piece would show as an empty line.
    if (piece.length() <= 1 || next.length() <= 1)
        return false;
    const QString text = piece.text();
    const QString nextText = next.text();
    if (isForcedBreak(text.back()) || !scriptCarriesOver(text, nextText))
        return false;
    const QTextLayout *nextLayout = laidOut(next);
    if (nextLayout->lineCount() == 0)
        return false;
    // The piece followed by the next one's first line: the paragraph breaks the line
    // exactly at the join, or the join is out of place.
    const QTextLine first = nextLayout->lineAt(0);
    return breaksAt(text + nextText.left(first.textLength() + 1), text.size(), first.width());
}

bool TextBox::breaksAt(const QString &text, int at, qreal width) const
{
    // Lays the text out as the box lays out a paragraph.
    QTextLayout probe(text, document()->defaultFont());
    probe.setTextOption(document()->defaultTextOption());
    probe.beginLayout();
    bool breaks = false;
    for (QTextLine line = probe.createLine(); line.isValid(); line = probe.createLine()) {
        line.setLineWidth(width);
        if (line.textStart() >= at) {
            breaks = line.textStart() == at;
            break;
        }
    }
    probe.endLayout();
    return breaks;
}

void TextBox::joinWithNext(const QTextBlock &piece)
{
    QTextCursor c(document());
    c.setPosition(piece.position() + piece.length() - 1);
    c.deleteChar();
}

void TextBox::settleCaret(int before, bool horizontal, QKeyEvent *repeat)
{
    QTextCursor c = textCursor();
    if (!c.atBlockEnd() || !continues(c.block().next()))
        return;
    if (horizontal && repeat && c.position() < before) {
        // Left from a piece's start reached the end of the piece before, the same place in
        // the text: one step more.
        QPlainTextEdit::keyPressEvent(repeat);
        return;
    }
    c.setPosition(c.block().next().position(),
                  c.hasSelection() ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(c);
}
