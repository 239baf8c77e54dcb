#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace scores {

// The longest value a lookup returns, in bytes of the file (GBK).
constexpr qsizetype maxValueBytes = 9'999;

// How much of a file the reader looks at. The score file is a few dozen bytes; the cap keeps
// a huge or binary file at that path from stalling the program or filling its memory.
constexpr qsizetype maxFileBytes = 1 << 20;

// The value stored under `key` in `section` of an INI file's bytes, or empty when the
// section or key is missing. Pure: bytes in, bytes out. Everything is GBK (code page 936),
// so a byte 0x81..0xFE starts a two-byte character and its second byte is never read as
// markup (']' and the ASCII letters can be second bytes).
//
// The rules, chosen to read back what the score writer produces and the hand-edited files
// people make of it:
// - A UTF-8 byte order mark at the very start is skipped.
// - Lines end at LF, CR LF or a lone CR.
// - Blanks (spaces, tabs) around section names, keys and values are ignored.
// - A line whose first non-blank byte is ';' or '#' is a comment. There are no comments
//   after a value: "a ; b" is a value, as a caption may hold any text.
// - "[name]" opens a section; the name runs to the first ']' (or the end of the line) and
//   anything after the ']' is ignored.
// - "key=value" splits at the first '='; a line without '=' or with an empty key is ignored,
//   as are keys before the first section.
// - Section and key names compare without regard to the case of ASCII letters.
// - The first matching key wins, in file order; a section that appears twice is searched in
//   both places.
// - Quotes are part of the value. A NUL byte ends the value.
// - A value longer than maxValueBytes is cut there, never between the two bytes of a
//   character.
QByteArray iniLookup(QByteArrayView file, QByteArrayView section, QByteArrayView key);

} // namespace scores
