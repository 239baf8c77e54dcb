#include "values/convert.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace convert {

namespace {

template <typename Int> Int toInt(double value)
{
    // nearbyint follows the default rounding mode, round-to-nearest-even.
    const double r = std::nearbyint(value);
    if (!(r >= double(std::numeric_limits<Int>::min()) &&
          r <= double(std::numeric_limits<Int>::max())))
        throw Overflow();
    return Int(r);
}

} // namespace

std::int16_t toInt16(double value) { return toInt<std::int16_t>(value); }
std::int32_t toInt32(double value) { return toInt<std::int32_t>(value); }

QString numberToText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    if (value == 0)
        return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(value, 'f', 0);

    QString text = QString::number(value, 'g', 15).toUpper();
    // Drop the 0 before the point: "0.25" -> ".25", "-0.25" -> "-.25".
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    return text;
}

double textToNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isDigit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    while (isDigit(i)) {
        ++i;
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0;
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (isDigit(j)) {
            while (isDigit(j))
                ++j;
            end = j;
        }
    }
    bool ok = false;
    const double v = text.mid(start, end - start).toString().toDouble(&ok);
    return ok ? v : 0;
}

QString formatNumber(double value, QStringView mask)
{
    const qsizetype point = mask.indexOf(u'.');
    const QStringView intMask = point < 0 ? mask : mask.left(point);
    const QStringView fracMask = point < 0 ? QStringView() : mask.mid(point + 1);
    const int decimals = int(fracMask.size());

    // Round halves away from zero at the mask's decimals, on the decimal text of the value
    // so that 0.5-ish binary fractions round the way they read.
    const double scaled = std::round(std::fabs(value) * std::pow(10.0, decimals));
    // Too large for the digits below, infinite or not a number: the plain number text.
    if (!(scaled < 9e18))
        return numberToText(value);
    const auto whole = static_cast<std::uint64_t>(scaled);
    std::uint64_t pow10 = 1;
    for (int k = 0; k < decimals; ++k)
        pow10 *= 10;
    const std::uint64_t intPart = whole / pow10;
    const std::uint64_t fracPart = whole % pow10;

    int minIntDigits = 0;
    for (QChar c : intMask)
        if (c == u'0')
            ++minIntDigits;
    QString intText = intPart == 0 ? QString() : QString::number(intPart);
    while (intText.size() < minIntDigits)
        intText.prepend(u'0');

    QString fracText;
    if (decimals > 0) {
        fracText = QString::number(fracPart).rightJustified(decimals, u'0');
        // Trailing '#' decimals show only significant digits.
        qsizetype keep = decimals;
        while (keep > 0 && fracMask[keep - 1] == u'#' && fracText[keep - 1] == u'0')
            --keep;
        fracText.truncate(keep);
    }

    QString text = intText;
    if (point >= 0)
        text += u'.' + fracText;
    if (value < 0 && whole != 0)
        text.prepend(u'-');
    return text;
}

double toDays(const QDateTime &dateTime)
{
    const QDate epoch(1899, 12, 30);
    const qint64 days = epoch.daysTo(dateTime.date());
    const double secondsOfDay = dateTime.time().msecsSinceStartOfDay() / 1000.0;
    return double(days) + secondsOfDay / 86400.0;
}

QString formatHms(double days)
{
    const double fraction = std::fabs(days) - std::floor(std::fabs(days));
    qint64 seconds = std::llround(fraction * 86400.0) % 86400;
    const int h = int(seconds / 3600);
    const int m = int(seconds / 60 % 60);
    const int s = int(seconds % 60);
    return QStringLiteral("%1:%2:%3")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}

std::int64_t wholeSeconds(double startDays, double endDays)
{
    return std::llround((endDays - startDays) * 86400.0);
}

namespace {

// The locale's long time format less its time zone ("t"), and less what joined the zone to
// the time: the brackets round it and the comma or space before or after it. CLDR's day
// period "B" (上午, 下午 in Taiwan), which Qt does not know, becomes Qt's AM/PM.
QString timeOnlyFormat(const QString &longFormat)
{
    QString format;
    bool quoted = false;
    for (QChar ch : longFormat) {
        if (ch == u'\'')
            quoted = !quoted;
        if (quoted || (ch != u't' && ch != u'B'))
            format += ch;
        else if (ch == u'B')
            format += QStringLiteral("AP");
    }
    format.remove(QStringLiteral("()"));
    format.remove(QStringLiteral("[]"));
    // Spaces and punctuation at either end, but not the quote that closes a literal.
    const auto loose = [](QChar ch) { return ch != u'\'' && (ch.isSpace() || ch.isPunct()); };
    while (!format.isEmpty() && loose(format.back()))
        format.chop(1);
    while (!format.isEmpty() && loose(format.front()))
        format.remove(0, 1);
    return format.contains(u's') ? format : QStringLiteral("HH:mm:ss");
}

} // namespace

QString longTime(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, timeOnlyFormat(locale.timeFormat(QLocale::LongFormat)));
}

QString longTime(const QTime &time) { return longTime(time, QLocale::system()); }

QString chr(int code) { return QString(QChar(char16_t(code))); }

} // namespace convert
