// What the settings pages convert between their controls and the instrument's numbers.

#include "protocol/settings_values.h"

#include <QtTest>

using namespace proto;

class TestSettingsValues : public QObject
{
    Q_OBJECT

private slots:
    void calibrationRoundTripsEverySliderPosition()
    {
        // Whatever the slider sends must come back to the same position and factor text.
        for (int value = 500; value <= 2000; ++value) {
            const float sent = calibrationFactor(value);
            QCOMPARE(calibrationSliderValue(sent), value);
            QCOMPARE(calibrationText(sent), QString::number(value / 1000.0, 'f', 3));
        }
        QCOMPARE(calibrationSliderValue(0.9996f), 1000);
        QCOMPARE(calibrationSliderValue(std::numeric_limits<float>::quiet_NaN()), 0);
        QCOMPARE(calibrationSliderValue(1e30f), 1000000000);
    }

    void shuntCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("index");
        QTest::newRow("30 A") << 30 << 0;
        QTest::newRow("1000 A") << 10 << 7;
        QTest::newRow("100 A") << 1 << 1;
        QTest::newRow("600 A") << 6 << 6;
        QTest::newRow("index 0 as such") << 0 << 0;
        QTest::newRow("index 7 as such") << 7 << 7;
        QTest::newRow("no item") << 8 << -1;
        QTest::newRow("no item, high") << 255 << -1;
    }
    void shuntCodes()
    {
        QFETCH(int, code);
        QFETCH(int, index);
        QCOMPARE(shuntIndexFromCode(uint8_t(code)), index);
    }

    void typedNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isThreshold");
        QTest::addColumn<bool>("isTime");
        QTest::addColumn<double>("value");
        QTest::newRow("decimal") << "12.5" << true << false << 12.5;
        QTest::newRow("padded as shown") << "012.5" << true << false << 12.5;
        QTest::newRow("integer") << "05" << true << true << 5.0;
        QTest::newRow("over a byte") << "300" << true << true << 300.0;
        QTest::newRow("negative") << "-3" << true << true << -3.0;
        QTest::newRow("letters") << "abc" << false << false << 0.0;
        QTest::newRow("trailing letter") << "12.5V" << false << false << 0.0;
        QTest::newRow("comma as point") << "12,5" << false << false << 0.0;
        QTest::newRow("empty") << "" << false << false << 0.0;
        QTest::newRow("not a number") << "nan" << false << false << 0.0;
        QTest::newRow("infinite") << "inf" << false << false << 0.0;
    }
    void typedNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, isThreshold);
        QFETCH(bool, isTime);
        QFETCH(double, value);
        const auto threshold = parseThreshold(text);
        QCOMPARE(threshold.has_value(), isThreshold);
        if (isThreshold)
            QCOMPARE(double(*threshold), value);
        const auto time = parseTimeNumber(text);
        QCOMPARE(time.has_value(), isTime);
        if (isTime)
            QCOMPARE(double(*time), value);
    }

    // What the instrument can hold: the field's nines (a value that would round past them is
    // out too), never negative; hours 0..99, minutes 0..59.
    void typedRanges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width"); // 0: hours, -1: minutes
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("highest");
        const int ok = TypedNumber::Accepted, out = TypedNumber::OutOfRange;
        QTest::newRow("voltage top") << "999.9" << 5 << 1 << ok << "999.9";
        QTest::newRow("voltage rounds past top") << "999.96" << 5 << 1 << out << "999.9";
        QTest::newRow("voltage negative") << "-0.1" << 5 << 1 << out << "999.9";
        QTest::newRow("current top") << "99.99" << 5 << 2 << ok << "99.99";
        QTest::newRow("current past") << "100" << 5 << 2 << out << "99.99";
        QTest::newRow("power 1e30") << "1e30" << 4 << 0 << out << "9999";
        QTest::newRow("set-point CC") << "99.9999" << 7 << 4 << ok << "99.9999";
        QTest::newRow("letters") << "1e" << 4 << 0 << int(TypedNumber::Malformed) << "";
        QTest::newRow("hours 99") << "99" << 0 << 0 << ok << "99";
        QTest::newRow("hours 300") << "300" << 0 << 0 << out << "99";
        QTest::newRow("hours 256") << "256" << 0 << 0 << out << "99";
        QTest::newRow("hours -1") << "-1" << 0 << 0 << out << "99";
        QTest::newRow("minutes 59") << "59" << -1 << 0 << ok << "59";
        QTest::newRow("minutes 60") << "60" << -1 << 0 << out << "59";
    }
    void typedRanges()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, decimals);
        QFETCH(int, verdict);
        QFETCH(QString, highest);
        const TypedNumber typed =
            width > 0 ? checkTypedNumber(text, {width, decimals})
                      : checkTypedTime(text, width == 0 ? TimeUnit::Hours : TimeUnit::Minutes);
        QCOMPARE(int(typed.verdict), verdict);
        QCOMPARE(typed.highest, highest);
        if (verdict == TypedNumber::Accepted)
            QCOMPARE(typed.value, text.toFloat());
    }
};

QTEST_GUILESS_MAIN(TestSettingsValues)
#include "tst_settings_values.moc"
