#pragma once
// What the lab link publishes: one reading per sample and the run's events. Plain values, so the
// link does not depend on how samples are produced.

#include <QDateTime>
#include <QMetaType>
#include <QString>

#include <array>

namespace lablink {

// The ten quantities in the recorded table's order: voltage, current, power, resistance, energy,
// capacity, processor, probe and load-transistor temperatures, fan speed.
constexpr int kQuantityCount = 10;

struct Reading
{
    QDateTime time;
    std::array<float, kQuantityCount> values{};
    int workMode = 0;
    bool running = false;
};

struct RunEvent
{
    enum Kind
    {
        Started,
        Stopped,
        Saved,
        Interrupted
    };
    Kind kind = Started;
    QDateTime time;
    QString path; // the data file, for Saved
};

} // namespace lablink

Q_DECLARE_METATYPE(lablink::Reading)
Q_DECLARE_METATYPE(lablink::RunEvent)
