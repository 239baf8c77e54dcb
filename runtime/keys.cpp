#include "runtime/keys.h"

#include <QKeyEvent>

namespace keys {

namespace {

// Shifted symbols of the US layout back to the key that types them.
int unshifted(int key)
{
    switch (key) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return key;
    }
}

} // namespace

int keyCode(const QKeyEvent &event)
{
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // Qt's letter keys are already the capitals' codes.
    const int plain = unshifted(key);
    if (plain >= '0' && plain <= '9')
        return keypad ? 96 + (plain - '0') : plain;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 186;
    case Qt::Key_Equal: return keypad ? 0 : 187;
    case Qt::Key_Plus: return keypad ? 107 : 187;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 188;
    case Qt::Key_Minus: return keypad ? 109 : 189;
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Greater: return 190;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 222;
    default: return 0;
    }
}

int shiftState(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers m = event.modifiers();
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

QString characters(const QKeyEvent &event)
{
    const int key = event.key();
    const Qt::KeyboardModifiers m = event.modifiers();
    if (key == Qt::Key_Delete)
        return {};
    if (m & Qt::AltModifier)
        return {};
    if (m & Qt::ControlModifier) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return QString(QChar(char16_t(key - Qt::Key_A + 1)));
        if (key == Qt::Key_Backspace)
            return QString(QChar(char16_t(127)));
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return QString(QChar(char16_t(10)));
        return {};
    }
    switch (key) {
    case Qt::Key_Backspace: return QString(QChar(char16_t(8)));
    case Qt::Key_Return:
    case Qt::Key_Enter: return QString(QChar(char16_t(13)));
    case Qt::Key_Escape: return QString(QChar(char16_t(27)));
    case Qt::Key_Tab: return QString(QChar(char16_t(9)));
    default: break;
    }
    const QString text = event.text();
    if (text.isEmpty() || text.at(0) == QChar(127))
        return {};
    return text;
}

} // namespace keys
