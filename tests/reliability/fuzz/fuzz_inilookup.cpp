// libFuzzer target for the score-file reader, scores::iniLookup.
//
// Input layout: the section name up to the first LF, the key up to the second LF, and the
// file's bytes after it (a name holding LF could never match a line anyway, since lines end
// there). Every seed in corpus/ is a score file behind the two lines "config" and "label1".
//
// Each input is checked three ways:
// - iniLookup against a plain second reading of the lookup rules written in module1.h, so a
//   change to either that leaves them disagreeing on some file shows up here;
// - what any returned value must be: at most maxValueBytes long, without CR, LF or NUL, and
//   taken whole from the file;
// - the writer and the reader together: for a caption c made from the same bytes, the file
//   scorefile::contents(c) reads back as exactly c (also with LF line ends, a byte order mark
//   or other letter case in the names). This holds for every caption the game can show and,
//   more widely, for any text that
//     * GBK can represent (encoding then decoding gives it back),
//     * holds no CR, LF or NUL (the file is line-based and the reader stops at NUL),
//     * neither starts nor ends with a space or a tab (the reader trims blanks around values),
//     * takes at most maxValueBytes bytes in GBK (a longer one comes back cut at that limit,
//       which is checked too).
#include "scores/module1.h"
#include "scores/scorefile.h"
#include "values/gbk.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace {

void fail(const char *what, std::string_view detail = {})
{
    std::fprintf(stderr, "iniLookup property broken: %s %.*s\n", what, int(detail.size()),
                 detail.data());
    std::abort();
}

// --- A second reading of the rules, kept as plain as possible.

bool isLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Splits s into characters: a lead byte and the byte after it, or one byte.
size_t width(std::string_view s, size_t i) { return isLead(s[i]) && i + 1 < s.size() ? 2 : 1; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i += width(a, i)) {
        if (width(a, i) == 2 ? a.substr(i, 2) != b.substr(i, 2) : lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string reference(std::string_view file, std::string_view section, std::string_view key)
{
    if (key.empty())
        return {};
    if (file.substr(0, 3) == "\xEF\xBB\xBF")
        file.remove_prefix(3);
    bool inSection = false;
    while (!file.empty()) {
        const size_t end = file.find_first_of("\r\n");
        const std::string_view line = trim(file.substr(0, end));
        file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            size_t close = 1;
            while (close < line.size() && line[close] != ']')
                close += width(line, close);
            inSection = sameName(trim(line.substr(1, close - 1)), section);
            continue;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos || eq == 0 ||
            !sameName(trim(line.substr(0, eq)), key))
            continue;
        std::string_view value = trim(line.substr(eq + 1));
        value = value.substr(0, value.find('\0'));
        size_t n = 0;
        while (n < value.size() && n + width(value, n) <= size_t(scores::maxValueBytes))
            n += width(value, n);
        return std::string(value.substr(0, n));
    }
    return {};
}

std::string_view view(const QByteArray &b) { return {b.constData(), size_t(b.size())}; }

// --- The writer and the reader together.

QString captionFrom(std::string_view bytes)
{
    QString c = gbk::decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    c.remove(QLatin1Char('\r'));
    c.remove(QLatin1Char('\n'));
    c.remove(QChar(u'\0'));
    qsizetype begin = 0;
    qsizetype end = c.size();
    while (begin < end && (c[begin] == u' ' || c[begin] == u'\t'))
        ++begin;
    while (end > begin && (c[end - 1] == u' ' || c[end - 1] == u'\t'))
        --end;
    return c.mid(begin, end - begin);
}

void checkRoundTrip(const QString &caption)
{
    const QByteArray encoded = gbk::encode(caption);
    if (gbk::decode(encoded) != caption)
        return; // GBK cannot hold it
    QByteArray file = scorefile::contents(caption);
    QByteArray lf = file;
    lf.replace("\r\n", "\n");
    const QByteArray variants[] = {file, lf, "\xEF\xBB\xBF" + file};
    const std::pair<const char *, const char *> names[] = {{"config", "label1"},
                                                           {"CONFIG", "Label1"}};
    for (const QByteArray &bytes : variants) {
        for (const auto &[section, key] : names) {
            const QByteArray value = scores::iniLookup(bytes, section, key);
            const QString back = gbk::decode(value);
            if (encoded.size() <= scores::maxValueBytes) {
                if (back != caption)
                    fail("a written caption reads back differently:", view(encoded));
            } else if (value.size() < scores::maxValueBytes - 1 || !encoded.startsWith(value)) {
                fail("a long caption is not cut at the limit:", view(value));
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const size_t first = input.find('\n');
    const size_t second = first == std::string_view::npos ? first : input.find('\n', first + 1);
    const std::string_view section = input.substr(0, first);
    const std::string_view key = first == std::string_view::npos
                                     ? std::string_view()
                                     : input.substr(first + 1, second - first - 1);
    const std::string_view file =
        second == std::string_view::npos ? std::string_view() : input.substr(second + 1);

    const QByteArray value =
        scores::iniLookup(QByteArrayView(file.data(), qsizetype(file.size())),
                          QByteArrayView(section.data(), qsizetype(section.size())),
                          QByteArrayView(key.data(), qsizetype(key.size())));
    const std::string_view got = view(value);

    if (got != reference(file, section, key))
        fail("iniLookup disagrees with the rules; it returned:", got);
    if (value.size() > scores::maxValueBytes)
        fail("value longer than the limit");
    if (got.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        fail("value holds a line break or NUL:", got);
    if (!got.empty() && file.find(got) == std::string_view::npos)
        fail("value is not taken from the file:", got);
    (void)gbk::decode(value);

    checkRoundTrip(captionFrom(file));
    checkRoundTrip(captionFrom(input));
    return 0;
}
