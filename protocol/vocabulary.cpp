#include "protocol/vocabulary.h"

#include <QCoreApplication>

namespace proto {

namespace {

const QuantityTerms kTerms[kQuantityCount] = {
    {"voltage", QT_TRANSLATE_NOOP("Quantity", "电压"), "V", "V", 1, "V"},
    {"current", QT_TRANSLATE_NOOP("Quantity", "电流"), "A", "A", 1, "A"},
    {"power", QT_TRANSLATE_NOOP("Quantity", "功率"), "W", "W", 1, "W"},
    {"resistance", QT_TRANSLATE_NOOP("Quantity", "电阻"), "Ω", "Ω", 1, "Ω"},
    {"energy", QT_TRANSLATE_NOOP("Quantity", "电量"), "Wh", "KWh", 1000, "Wh"},
    {"capacity", QT_TRANSLATE_NOOP("Quantity", "容量"), "mAh", "Ah", 1000, "mAh"},
    {"cpu_temp", QT_TRANSLATE_NOOP("Quantity", "CPU温度"), "℃", "℃", 1, "°C"},
    {"probe_temp", QT_TRANSLATE_NOOP("Quantity", "探头温度"), "℃", "℃", 1, "°C"},
    {"mos_temp", QT_TRANSLATE_NOOP("Quantity", "MOS温度"), "℃", nullptr, 1, "°C"},
    {"fan_speed", QT_TRANSLATE_NOOP("Quantity", "风扇转速"), "RPM", nullptr, 1, "rpm"},
};

} // namespace

Family familyOfModel(const QString &word)
{
    for (const Model &model : kModels)
        if (word == QLatin1String(model.word))
            return model.family;
    return NoFamily;
}

// Header cells go through the translation table in context "QObject", as the files always have.
const std::array<FileColumn, kHk07FileColumns> kFileColumns = {{
    {Quantity::Voltage, 6, "(电压)VOLTAGE(V),", "(电压)VOLTAGE(V),"},
    {Quantity::Current, 6, "(电流)CURRENT(A),", "(电流)CURRENT(A),"},
    {Quantity::Power, 6, "(功率)POWER(W),", "(功率)POWER(W),"},
    {Quantity::Resistance, 3, "(电阻)RESISTANCE(Ω),", "(电阻)RESISTANCE(Ω),"},
    {Quantity::Energy, 3, "(电量)E_QUANTITY(Wh),", "(电量)E_QUANTITY(KWh),"},
    {Quantity::Capacity, 3, "(容量)E_CAPACITY(mAh),", "(容量)E_CAPACITY(Ah),"},
    {Quantity::NtcTemp, 3, "(探头温度)NTC_TEMP(℃),", "(探头温度)NTC_TEMP(℃),"},
    {Quantity::CpuTemp, 1, "(CPU温度)CPU_TEMP(℃),", "(CPU温度)CPU_TEMP(℃),\n"},
    {Quantity::MosTemp, 3, "(MOS管子温度)MOS_TEMP(℃),", nullptr},
    {Quantity::FanSpeed, 0, "(风扇转速)FAN_SPEED(RPM),\n", nullptr},
}};

const QuantityTerms &terms(Quantity q)
{
    return kTerms[int(q)];
}

bool reports(Quantity q, quint8 family)
{
    return family != Nv05Family || terms(q).nv05Unit != nullptr;
}

int reportedCount(quint8 family)
{
    int count = 0;
    while (count < kQuantityCount && reports(Quantity(count), family))
        ++count;
    return count;
}

int fileDecimals(Quantity q)
{
    for (const FileColumn &column : kFileColumns)
        if (column.quantity == q)
            return column.decimals;
    return 0;
}

const char *unitOf(Quantity q, quint8 family)
{
    if (!reports(q, family))
        return "";
    return family == Nv05Family ? terms(q).nv05Unit : terms(q).unit;
}

double toBaseUnit(Quantity q, quint8 family, double value)
{
    return family == Nv05Family ? value * terms(q).nv05Scale : value;
}

int fileColumnCount(quint8 family)
{
    return family == Nv05Family ? kNv05FileColumns : kHk07FileColumns;
}

} // namespace proto
