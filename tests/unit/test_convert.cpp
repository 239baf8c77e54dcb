#include "values/convert.h"
#include "values/gbk.h"

#include <QRegularExpression>
#include <QTest>

#include <limits>

class TestConvert : public QObject {
    Q_OBJECT
private slots:
    void toInt16_data();
    void toInt16();
    void toInt16Overflow_data();
    void toInt16Overflow();
    void numberToText_data();
    void numberToText();
    void textToNumber_data();
    void textToNumber();
    void formatNumber_data();
    void formatNumber();
    void formatHms_data();
    void formatHms();
    void longTimeShowsTheTimeAlone_data();
    void longTimeShowsTheTimeAlone();
    void daysOfDateTimes();
    void gbkRoundTrip();
};

void TestConvert::toInt16_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("half rounds to even zero") << 0.5 << 0;
    QTest::newRow("1.5 rounds up to even") << 1.5 << 2;
    QTest::newRow("2.5 rounds down to even") << 2.5 << 2;
    QTest::newRow("254.5 to even") << 254.5 << 254;
    QTest::newRow("255 stays") << 255.0 << 255;
    QTest::newRow("negative half to even") << -2.5 << -2;
    QTest::newRow("just under half") << 0.49999 << 0;
    QTest::newRow("upper limit") << 32767.4 << 32767;
    QTest::newRow("lower limit") << -32768.0 << -32768;
}

void TestConvert::toInt16()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(int(convert::toInt16(value)), expected);
    QCOMPARE(int(convert::toInt32(value)), expected);
}

void TestConvert::toInt16Overflow_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("32767.5 rounds to 32768") << 32767.5;
    QTest::newRow("below -32768") << -32769.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
}

void TestConvert::toInt16Overflow()
{
    QFETCH(double, value);
    QVERIFY_THROWS_EXCEPTION(convert::Overflow, convert::toInt16(value));
}

void TestConvert::numberToText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("10 s over 40 chars") << 10.0 / 40 << QStringLiteral(".25");
    QTest::newRow("30 s over 12 chars") << 30.0 / 12 << QStringLiteral("2.5");
    QTest::newRow("20 s over 3 chars") << 20.0 / 3 << QStringLiteral("6.66666666666667");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("whole") << 3.0 << QStringLiteral("3");
    QTest::newRow("large whole") << 40000.0 << QStringLiteral("40000");
    QTest::newRow("negative fraction") << -0.25 << QStringLiteral("-.25");
    QTest::newRow("one third") << 1.0 / 3 << QStringLiteral(".333333333333333");
    QTest::newRow("tiny uses exponent") << 0.00001 << QStringLiteral("1E-05");
    QTest::newRow("small stays plain") << 0.0001 << QStringLiteral(".0001");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN()
                                  << QStringLiteral("NaN");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QStringLiteral("inf");
    QTest::newRow("minus infinity")
        << -std::numeric_limits<double>::infinity() << QStringLiteral("-inf");
}

void TestConvert::numberToText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(convert::numberToText(value), expected);
}

void TestConvert::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("leading digits") << QStringLiteral("12abc") << 12.0;
    QTest::newRow("zero") << QStringLiteral("0") << 0.0;
    QTest::newRow("no digits") << QStringLiteral("abc") << 0.0;
    QTest::newRow("leading blanks") << QStringLiteral("  42") << 42.0;
    QTest::newRow("fraction without 0") << QStringLiteral(".25秒") << 0.25;
    QTest::newRow("negative") << QStringLiteral("-3x") << -3.0;
    QTest::newRow("exponent") << QStringLiteral("1E3") << 1000.0;
    QTest::newRow("dangling exponent") << QStringLiteral("7e") << 7.0;
    QTest::newRow("big count") << QStringLiteral("40000") << 40000.0;
}

void TestConvert::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(convert::textToNumber(text), expected);
}

void TestConvert::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    const QString speed = QStringLiteral("##");
    const QString percent = QStringLiteral("###.0");
    QTest::newRow("7.5 rounds half up") << 7.5 << speed << QStringLiteral("8");
    QTest::newRow("0.4 shows nothing") << 0.4 << speed << QString();
    QTest::newRow("0.5 shows 1") << 0.5 << speed << QStringLiteral("1");
    QTest::newRow("2.5 away from zero") << 2.5 << speed << QStringLiteral("3");
    QTest::newRow("30") << 30.0 << speed << QStringLiteral("30");
    QTest::newRow("more digits than the mask") << 1234.0 << speed << QStringLiteral("1234");
    QTest::newRow("zero percent") << 0.0 << percent << QStringLiteral(".0");
    QTest::newRow("29 of 30") << 29.0 / 30 * 100 << percent << QStringLiteral("96.7");
    QTest::newRow("28 of 30") << 28.0 / 30 * 100 << percent << QStringLiteral("93.3");
    QTest::newRow("1 of 30") << 1.0 / 30 * 100 << percent << QStringLiteral("3.3");
    QTest::newRow("all") << 100.0 << percent << QStringLiteral("100.0");
    QTest::newRow("half") << 50.0 << percent << QStringLiteral("50.0");
    QTest::newRow("below a tenth") << 0.04 << percent << QStringLiteral(".0");
    QTest::newRow("zero digit in whole part")
        << 0.5 << QStringLiteral("0.00") << QStringLiteral("0.50");
    // No caption is built from these today; they read as the number text does.
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << percent
                                  << QStringLiteral("NaN");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << speed
                              << QStringLiteral("inf");
}

void TestConvert::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(convert::formatNumber(value, mask), expected);
}

void TestConvert::formatHms_data()
{
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("expected");
    QTest::newRow("75 seconds") << 75.0 / 86400 << QStringLiteral("00:01:15");
    QTest::newRow("zero") << 0.0 << QStringLiteral("00:00:00");
    QTest::newRow("time of day") << 46000.5 + 61.0 / 86400 << QStringLiteral("12:01:01");
    QTest::newRow("just before midnight") << 86399.0 / 86400 << QStringLiteral("23:59:59");
}

void TestConvert::formatHms()
{
    QFETCH(double, days);
    QFETCH(QString, expected);
    QCOMPARE(convert::formatHms(days), expected);
}

void TestConvert::longTimeShowsTheTimeAlone_data()
{
    QTest::addColumn<QLocale>("locale");
    for (const QLocale &l :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
        QTest::newRow(qPrintable(l.name())) << l;
}

void TestConvert::longTimeShowsTheTimeAlone()
{
    QFETCH(QLocale, locale);
    const QString text = convert::longTime(QTime(21, 5, 7), locale);
    // Hours, minutes, seconds in order; on a 12-hour clock with the locale's PM (in capitals
    // where the format says so). Then nothing left of the time zone: no brackets, no letter
    // stuck to the digits, no punctuation at the end.
    const bool pm = text.contains(locale.pmText(), Qt::CaseInsensitive);
    const QString rest = QString(text).remove(locale.pmText(), Qt::CaseInsensitive).trimmed();
    const auto unicode = QRegularExpression::UseUnicodePropertiesOption;
    QList<int> numbers;
    for (const QString &n :
         rest.split(QRegularExpression(QStringLiteral("\\D+"), unicode), Qt::SkipEmptyParts))
        numbers << locale.toInt(n);
    QCOMPARE(numbers, QList<int>({pm ? 9 : 21, 5, 7}));
    const QRegularExpression debris(
        QStringLiteral("[()\\[\\]（）【】]|[A-Za-z]\\d|\\d[A-Za-z]|[\\p{P}\\s]$"), unicode);
    QVERIFY2(!rest.contains(debris), qPrintable(text));
}

void TestConvert::daysOfDateTimes()
{
    const QDateTime start(QDate(2026, 12, 7), QTime(23, 59, 30));
    const QDateTime end = start.addSecs(75);
    const double a = convert::toDays(start);
    const double b = convert::toDays(end);
    QCOMPARE(convert::wholeSeconds(a, b), 75);
    QCOMPARE(convert::formatHms(b - a), QStringLiteral("00:01:15"));
    QCOMPARE(convert::formatHms(a), QStringLiteral("23:59:30"));
    QCOMPARE(convert::toDays(QDateTime(QDate(1899, 12, 31), QTime(12, 0))), 1.5);
}

void TestConvert::gbkRoundTrip()
{
    // 总分:120 is two 2-byte characters, a colon and three digits.
    const QByteArray bytes = gbk::encode(QStringLiteral("总分:120"));
    QCOMPARE(bytes, QByteArray("\xd7\xdc\xb7\xd6:120"));
    QCOMPARE(gbk::decode(bytes), QStringLiteral("总分:120"));
    QCOMPARE(gbk::decode(QByteArray("\xd7")), QString(QChar::ReplacementCharacter));
}

QTEST_MAIN(TestConvert)
#include "test_convert.moc"
