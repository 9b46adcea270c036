#pragma once
// The instrument's domain, defined once: its families, its work modes and the ten recorded
// quantities with their names, units, decimals and data-file columns. The recorder, the data
// files, the chart, the viewer, the lab link and the simulated instrument all take them from here.

#include "protocol/codes.h"

#include <QString>
#include <QtGlobal>

#include <array>

namespace proto {

// Instrument families, by the code the program and its data files use for them.
enum Family : quint8
{
    NoFamily = 0,
    Hk07Family = 1, // electronic loads
    Nv05Family = 4  // power meters: no load, no mode to choose
};
constexpr bool knownFamily(quint8 code)
{
    return code == Hk07Family || code == Nv05Family;
}

// The models, by the word that names them (the USB product string's second word, or an address
// reply's model field), and their families.
struct Model
{
    const char *word;
    Family family;
};
inline constexpr Model kModels[] = {{"HK07", Hk07Family}, {"HK09", Hk07Family},
                                    {"MR310", Hk07Family}, {"MR820", Hk07Family},
                                    {"NV05", Nv05Family}, {"NV15", Nv05Family},
                                    {"NV17", Nv05Family}};
// The family of a model word (exact, case-sensitive); NoFamily for an unknown one.
Family familyOfModel(const QString &word);

// Work modes, by the number the instrument reports for them; choosing mode m sends the command
// code CmdModeConstantCurrent + m.
enum WorkMode : quint8
{
    ModeConstantCurrent = 0,
    ModeConstantVoltage = 1,
    ModeConstantResistance = 2,
    ModeConstantPower = 3,
    ModeInternalResistance = 4,
    ModePowerSourceTest = 5,
    ModeCableTest = 6,
    ModeChargeDischargeCharge = 7,
    ModeChargeDischargeChargeDischargeCharge = 8,
    ModeCycleTest = 9,
    ModeDeveloping = 10, // the "more functions" tile: the load does nothing
    WorkModeCount = 11
};
constexpr Command modeCommand(WorkMode mode)
{
    return Command(CmdModeConstantCurrent + mode);
}
// The battery tests: before the load starts, the instrument asks the user a question.
constexpr bool isBatteryTest(quint8 mode)
{
    return mode == ModeChargeDischargeCharge || mode == ModeChargeDischargeChargeDischargeCharge;
}

// The ten recorded quantities, in the order of the recorded table.
enum class Quantity : int
{
    Voltage,
    Current,
    Power,
    Resistance,
    Energy,
    Capacity,
    CpuTemp,
    NtcTemp,
    MosTemp,
    FanSpeed,
};
constexpr int kQuantityCount = 10;
using SampleValues = std::array<float, kQuantityCount>;

struct QuantityTerms
{
    const char *key;      // in lab-link messages
    const char *name;     // shown, through the translation table (context "Quantity")
    const char *unit;     // as the HK07 family reports it
    const char *nv05Unit; // as the NV05 family reports it; null where it reports none
    // Factor from the NV05 family's unit to the HK07 family's (kWh to Wh, Ah to mAh).
    double nv05Scale;
    const char *linkUnit; // the HK07 family's unit as lab-link messages write it
};
const QuantityTerms &terms(Quantity q);

// The unit a family reports q in ("" when it does not report q); baseUnit() is the one unit
// every family's value converts to with toBaseUnit().
const char *unitOf(Quantity q, quint8 family);
inline const char *baseUnit(Quantity q)
{
    return terms(q).unit;
}
double toBaseUnit(Quantity q, quint8 family, double value);
// The family reports q at all (the NV05 family has no load transistor and no fan); the ones it
// does not report are the last in the table's order, so it reports the first reportedCount().
bool reports(Quantity q, quint8 family);
int reportedCount(quint8 family);

// The data files' value columns, in file order, with their decimals and header cells; the NV05
// family writes the first eight.
struct FileColumn
{
    Quantity quantity;
    int decimals;
    const char *hk07Header;
    const char *nv05Header;
};
constexpr int kHk07FileColumns = 10;
constexpr int kNv05FileColumns = 8;
extern const std::array<FileColumn, kHk07FileColumns> kFileColumns;
int fileColumnCount(quint8 family);
// The decimals q is written with in the data files.
int fileDecimals(Quantity q);

} // namespace proto
