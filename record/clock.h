#pragma once
// The time source of the chart tick and the recorder. Tests give their own clock so that minutes
// of samples run without waiting minutes and hour stamps are chosen, not waited for.

#include <QDateTime>

#include <functional>

class Clock
{
public:
    using Source = std::function<QDateTime()>;

    // The process-wide clock: the system's local time unless a test installed another source.
    static QDateTime now();
    static void setSource(Source source); // an empty source restores the system clock
};
