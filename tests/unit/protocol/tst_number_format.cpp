// Fixed-point texts of the display page.

#include "protocol/number_format.h"

#include <QtTest>

#include <limits>

using namespace proto;

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void fixed_data();
    void fixed();
    void nv05Amount_data();
    void nv05Amount();
    void ntc_data();
    void ntc();
    void setPoint_data();
    void setPoint();
};

void TestNumberFormat::fixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("padded") << 5.1 << 7 << 2 << "0005.10";
    QTest::newRow("wider than field") << -30.0 << 4 << 1 << "-30.0";
    QTest::newRow("zeros after the sign") << -1.5 << 7 << 3 << "-01.500";
    QTest::newRow("exact width") << 12.345 << 6 << 3 << "12.345";
    QTest::newRow("rounds") << 2.0456 << 7 << 3 << "002.046";
    QTest::newRow("rounding carries a digit") << 9.9996 << 6 << 3 << "10.000";
    QTest::newRow("no decimals") << 2400.4 << 4 << 0 << "2400";
    QTest::newRow("no decimals padded") << 7.0 << 4 << 0 << "0007";
    QTest::newRow("zero") << 0.0 << 7 << 4 << "00.0000";
    QTest::newRow("negative zero has no sign") << -0.0 << 5 << 1 << "000.0";
    QTest::newRow("large") << 123456789.0 << 4 << 1 << "123456789.0";
    QTest::newRow("no field") << 3.25 << 0 << 2 << "3.25";
}

void TestNumberFormat::fixed()
{
    QFETCH(double, value);
    QFETCH(int, width);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(formatFixed(value, width, decimals), text);
}

void TestNumberFormat::nv05Amount_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("999.5") << 999.5 << "999.500";
    QTest::newRow("small") << 1.25 << "001.250";
    QTest::newRow("1000") << 1000.0 << "1000.00";
    QTest::newRow("9999.99") << 9999.99 << "9999.99";
    QTest::newRow("10000") << 10000.0 << "10000.0";
    QTest::newRow("12345.6") << 12345.6 << "12345.6";
    QTest::newRow("100000") << 100000.0 << "100000";
    QTest::newRow("123456") << 123456.0 << "123456";
    QTest::newRow("0") << 0.0 << "000.000";
}

void TestNumberFormat::nv05Amount()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatNv05Amount(value), text);
}

void TestNumberFormat::ntc_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("-30.0 shown unpadded") << -30.0 << "-30.0";
    QTest::newRow("-30.1 means no probe") << -30.1 << "--.-";
    QTest::newRow("far below") << -273.0 << "--.-";
    QTest::newRow("5.0") << 5.0 << "05.0";
    QTest::newRow("25.46") << 25.46 << "25.5";
    QTest::newRow("-5.0") << -5.0 << "-5.0";
    QTest::newRow("stored as float") << double(-30.0f) << "-30.0";
}

void TestNumberFormat::ntc()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatNtc(value), text);
}

void TestNumberFormat::setPoint_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("CC") << 0 << 1.5 << "01.5000";
    QTest::newRow("CV") << 1 << 12.5 << "012.50";
    QTest::newRow("CR") << 2 << 8.25 << "0008.25";
    QTest::newRow("CP") << 3 << 60.0 << "0060.0";
    QTest::newRow("internal resistance") << 4 << 0.1 << "00.1000";
    QTest::newRow("cycle test") << 9 << 2.0 << "02.0000";
    QTest::newRow("mode 10 empty") << 10 << 2.0 << "";
    QTest::newRow("mode 12 empty") << 12 << 2.0 << "";
    QTest::newRow("mode 255 empty") << 255 << 2.0 << "";
}

void TestNumberFormat::setPoint()
{
    QFETCH(int, mode);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatSetPoint(uint8_t(mode), value), text);
}

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "tst_number_format.moc"
