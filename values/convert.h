#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <stdexcept>

class QLocale;

// The value rules every caption in the program is built from. Pure functions: no widgets,
// no clock.
namespace convert {

// A number that does not fit its integer type or a counter's range: the program's one
// overflow error, "溢出" (UTF-8). The dispatcher shows it and ends the program.
struct Overflow : std::overflow_error {
    Overflow() : std::overflow_error("溢出") {}
};

// Float to 16-bit / 32-bit integer, rounding to nearest with ties to even (1.5 -> 2,
// 2.5 -> 2). Out of range (or NaN) throws Overflow.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// A number as it appears when joined to text: whole numbers as plain digits, anything else
// in the shortest form of at most 15 significant digits without a 0 before the point
// (0.25 -> ".25", 20/3 -> "6.66666666666667").
QString numberToText(double value);
inline QString numberToText(std::int64_t value) { return QString::number(value); }
inline QString numberToText(int value) { return QString::number(value); }

// The leading decimal number of a text; empty or non-numeric text reads as 0 ("12abc" -> 12).
double textToNumber(QStringView text);

// Number masks built of '#', '0' and '.': '#' shows a significant digit only, '0' always a
// digit; the value is first rounded to the mask's decimals, halves away from zero.
// 0 under "###.0" -> ".0", 96.666 -> "96.7"; 7.5 under "##" -> "8", 0.4 -> "".
QString formatNumber(double value, QStringView mask);

// Date-times as days since 1899-12-30, the time of day as the fraction; the difference of
// two is a duration in days.
double toDays(const QDateTime &dateTime);

// "hh:mm:ss" of a date-time's time of day, or of a duration shorter than a day.
QString formatHms(double days);

// Whole seconds between two date-times given in days (end - start), rounded to the nearest
// second so that clock readings taken to the second compare exactly.
std::int64_t wholeSeconds(double startDays, double endDays);

// The time of day in the locale's long time format, without a date or a time zone.
QString longTime(const QTime &time, const QLocale &locale);
QString longTime(const QTime &time);

// The one-character text of a character code.
QString chr(int code);

} // namespace convert
