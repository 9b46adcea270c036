#pragma once
// The time sources of the acquisition and the recorder: the wall clock that stamps the data files
// and a steady clock that only moves forward, which orders the samples and the chart. Tests give
// their own sources so that minutes of samples run without waiting minutes, hour stamps are
// chosen rather than waited for, and the wall clock can be stepped under a running run.

#include <QDateTime>

#include <functional>

class Clock
{
public:
    using Source = std::function<QDateTime()>;
    using SteadySource = std::function<qint64()>;

    // The process-wide wall clock: the system's local time unless a test installed another source.
    static QDateTime now();
    static void setSource(Source source); // an empty source restores the system clock

    // Milliseconds on a clock that never steps (the system's monotonic clock by default).
    static qint64 steadyMs();
    static void setSteadySource(SteadySource source); // empty: the system's monotonic clock
};
