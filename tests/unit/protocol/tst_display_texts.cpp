// What the display page shows for a work mode and a device family: title and where it goes,
// set-point caption and unit, the family's energy and capacity units.

#include "protocol/display_texts.h"

#include <QtTest>

using Label = DisplayTexts::TitleLabel;
Q_DECLARE_METATYPE(DisplayTexts::TitleLabel)

class TstDisplayTexts : public QObject
{
    Q_OBJECT
private slots:
    void workModeSetsTitleCaptionAndUnit_data();
    void workModeSetsTitleCaptionAndUnit();
    void familyPicksEnergyAndCapacityUnits();
};

void TstDisplayTexts::workModeSetsTitleCaptionAndUnit_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("family");
    QTest::addColumn<Label>("label");
    QTest::addColumn<QString>("title"); // empty: none
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("setPoint"); // for a set-point of 1.5

    const struct
    {
        int mode, family;
        Label label;
        const char *title, *caption, *unit, *setPoint;
    } rows[] = {
        {0, 1, Label::Display, "恒电流模式", "Is:", "A", "01.5000"},
        {0, 4, Label::Display, "数据图表展示", "Is:", "A", "01.5000"},
        {0, 0, Label::Unchanged, "恒电流模式", "Is:", "A", "01.5000"}, // not identified yet
        {1, 1, Label::Display, "恒电压模式", "Vs:", "V", "001.50"},
        {2, 4, Label::Display, "恒电阻模式", "Rs:", "Ω", "0001.50"},
        {3, 1, Label::Display, "恒功率模式", "Ps:", "W", "0001.5"},
        {4, 1, Label::Six, "测内阻", "Is:", "A", "01.5000"},
        {5, 1, Label::Six, "测电源", "Is:", "A", "01.5000"},
        {6, 1, Label::Six, "测线组", "Is:", "A", "01.5000"},
        {7, 1, Label::Display, "充放充", "Is:", "A", "01.5000"},
        {8, 1, Label::Display, "充放充放充", "Is:", "A", "01.5000"},
        {9, 1, Label::Six, "充放电循环测试", "", "", "01.5000"},
        {10, 1, Label::Unchanged, "", "", "", ""},
        {255, 4, Label::Unchanged, "", "", "", ""},
    };
    for (const auto &r : rows)
        QTest::addRow("mode %d family %d", r.mode, r.family)
            << r.mode << r.family << r.label << QString::fromUtf8(r.title)
            << QString::fromUtf8(r.caption) << QString::fromUtf8(r.unit) << r.setPoint;
}

void TstDisplayTexts::workModeSetsTitleCaptionAndUnit()
{
    QFETCH(int, mode);
    QFETCH(int, family);
    QFETCH(Label, label);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    QFETCH(QString, unit);
    QFETCH(QString, setPoint);
    proto::LiveValues v;
    v.workMode = uint8_t(mode);
    v.setPoint = 1.5f;
    const DisplayTexts t = displayTexts(v, quint8(family));
    QCOMPARE(t.titleLabel, label);
    QCOMPARE(QString::fromUtf8(t.title), title);
    QCOMPARE(QString::fromUtf8(t.caption), caption); // null: caption and unit are kept
    QCOMPARE(QString::fromUtf8(t.unit), unit);
    QCOMPARE(t.setPoint, setPoint);
}

void TstDisplayTexts::familyPicksEnergyAndCapacityUnits()
{
    proto::LiveValues v;
    v.energy = 12.34f;
    v.capacity = 250;
    const DisplayTexts hk07 = displayTexts(v, 1), nv05 = displayTexts(v, 4);
    QCOMPARE(QString(hk07.energyUnit) + hk07.capacityUnit, QString("whmAh"));
    QCOMPARE(QString(nv05.energyUnit) + nv05.capacityUnit, QString("KWhAh"));
    QVERIFY(nv05.energyUnitPointSize < hk07.energyUnitPointSize);
    QCOMPARE(hk07.energy + " " + hk07.capacity, QString("00012.3 000250"));
    QCOMPARE(nv05.energy + " " + nv05.capacity, QString("012.340 250.000")); // digits by size
}

QTEST_GUILESS_MAIN(TstDisplayTexts)
#include "tst_display_texts.moc"
