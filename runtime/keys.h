#pragma once

#include <QString>

class QKeyEvent;

// The one translation from Qt key events to what the handlers see: a key code for KeyDown and,
// for a key that produces one, a character code for KeyPress.
namespace keys {

// Key code of the physical key: a letter is its capital (65..90) whatever Shift and Caps
// Lock say; digits 48..57; Delete 46, Enter 13, Backspace 8, Escape 27; keypad digits 96..105.
// 0 for a key the handlers have no code for.
int keyCode(const QKeyEvent &event);

// Shift state as a bit set: 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(const QKeyEvent &event);

// The character codes the key produces, one per UTF-16 code unit, or empty for a key that
// produces none (arrows, Delete, function keys, Alt chords). Ctrl+letter gives 1..26,
// Ctrl+Backspace 127, Enter 13, Backspace 8, Escape 27.
QString characters(const QKeyEvent &event);

// Key code raised for text committed by an input method.
constexpr int imeProcessKey = 229;

// Key code raised for a key that types a character but has no code of its own.
constexpr int packetKey = 231;

} // namespace keys
