#pragma once
// A test plan: a battery or supply test written in plain words, one step per line, which the
// plan runner drives through the load's own modes. The text is the format:
//
//     Stop when voltage below 2.8 V or temperature above 60 °C
//     Discharge at 0.5 A for 10 seconds
//     Measure resistance at 0.2 A for 10 s then 1 A for 1 s
//     Discharge at 5 W for 30 minutes or until 3.2 V
//     Hold at 3.3 V until 0.05 A
//     Rest for 10 minutes
//     Repeat 3 times:
//         Discharge at 2 A for 1 minute
//         Rest for 1 minute
//
// '#' starts a comment; keywords are English and case-insensitive. The set-point's unit chooses
// the mode (A or mA constant current, W or mW constant power, ohm or Ω constant resistance; Hold
// at … V constant voltage). A condition's unit says what is watched: V (voltage falls to it; for
// Hold, A: current falls to it), mAh, Ah or Wh (counted from the step's start), °C (temperature
// rises to it).

#include "protocol/vocabulary.h"

#include <QString>
#include <QVector>

namespace plan {

// What a limit watches, in the units the lab link uses (V, A, mAh, Wh, °C).
enum class Watch
{
    VoltageBelow,
    VoltageAbove,
    CurrentBelow,
    CurrentAbove,
    CapacityAbove, // counted from the step's start
    EnergyAbove,   // counted from the step's start
    TemperatureAbove
};

struct Limit
{
    Watch watch;
    double value;
};

struct Step
{
    enum class Kind
    {
        Load,              // a set-point in one of the load's modes
        Rest,              // load off
        MeasureResistance, // two current levels; the resistance from the voltage step
    };
    Kind kind = Kind::Load;
    proto::WorkMode mode = proto::ModeConstantCurrent;
    double setPoint = 0; // A, W, Ω or V by mode; the first level of a resistance step
    double seconds = 0;  // 0: no time limit
    bool hasLimit = false;
    Limit limit{Watch::VoltageBelow, 0};
    double secondSetPoint = 0, secondSeconds = 0; // the resistance step's second level
    int line = 0;                                 // in the plan's text, from 1
    QString text;                                 // the line as written, trimmed
};

struct Plan
{
    QString text;
    QVector<Limit> stopWhen; // the whole plan ends when one holds
    QVector<Step> steps;     // repeats laid out in full
    // The lowest voltage any limit watches for, or 0: the instrument's own cut-off as a failsafe.
    double lowestVoltage() const;
};

// Parses `text`; on a fault returns false with `error` naming the line and what is wrong.
bool parsePlan(const QString &text, Plan *plan, QString *error);

} // namespace plan
