// libFuzzer target for the score-file reader, scores::iniLookup.
//
// Input layout: the section name up to the first LF, the key up to the second LF, and the
// file's bytes after it (a name holding LF could never match a line anyway, since lines end
// there). Every seed in corpus/ is a score file behind the two lines "config" and "label1".
//
// Each input is checked two ways (the rules themselves are the unit tests' table):
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
#include "scores/inilookup.h"
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
    QByteArray file = scorefile::contents(caption).value_or(QByteArray());
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
