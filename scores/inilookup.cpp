#include "scores/inilookup.h"

namespace scores {

namespace {

// A GBK lead byte: it and the byte after it are one character.
bool isLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// Width of the character starting at i; a lead byte cut off at the end stands alone.
qsizetype charWidth(QByteArrayView s, qsizetype i)
{
    return isLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Blanks are never the second byte of a character, so trimming cannot split one.
QByteArrayView trimmed(QByteArrayView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Names compare case-insensitively for ASCII letters only: the second byte of a Chinese
// character may look like a letter and must match exactly.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size();) {
        const qsizetype width = charWidth(a, i);
        if (width == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
        } else if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
        i += width;
    }
    return true;
}

QByteArray boundedValue(QByteArrayView value)
{
    const qsizetype nul = value.indexOf('\0');
    if (nul >= 0)
        value = value.first(nul);
    qsizetype length = 0;
    while (length < value.size()) {
        const qsizetype width = charWidth(value, length);
        if (length + width > maxValueBytes)
            break;
        length += width;
    }
    return value.first(length).toByteArray();
}

} // namespace

QByteArray iniLookup(QByteArrayView file, QByteArrayView section, QByteArrayView key)
{
    if (key.isEmpty())
        return {};
    if (file.startsWith("\xEF\xBB\xBF"))
        file = file.sliced(3);

    bool inSection = false;
    qsizetype pos = 0;
    while (pos < file.size()) {
        // CR and LF are never the second byte of a character.
        qsizetype end = pos;
        while (end < file.size() && file[end] != '\n' && file[end] != '\r')
            ++end;
        const QByteArrayView line = trimmed(file.sliced(pos, end - pos));
        pos = end + 1;

        if (line.isEmpty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            qsizetype close = 1;
            while (close < line.size() && line[close] != ']')
                close += charWidth(line, close);
            inSection = sameName(trimmed(line.sliced(1, close - 1)), section);
            continue;
        }
        if (!inSection)
            continue;
        // '=' is never the second byte of a character either.
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0 || !sameName(trimmed(line.first(equals)), key))
            continue;
        return boundedValue(trimmed(line.sliced(equals + 1)));
    }
    return {};
}

} // namespace scores
