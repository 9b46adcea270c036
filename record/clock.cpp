#include "record/clock.h"

#include <QElapsedTimer>

namespace {
Clock::Source &source()
{
    static Clock::Source s;
    return s;
}

Clock::SteadySource &steadySource()
{
    static Clock::SteadySource s;
    return s;
}
} // namespace

QDateTime Clock::now()
{
    const Clock::Source &s = source();
    return s ? s() : QDateTime::currentDateTime();
}

void Clock::setSource(Source s)
{
    source() = std::move(s);
}

qint64 Clock::steadyMs()
{
    const Clock::SteadySource &s = steadySource();
    if (s)
        return s();
    QElapsedTimer timer;
    timer.start();
    return timer.msecsSinceReference();
}

void Clock::setSteadySource(SteadySource s)
{
    steadySource() = std::move(s);
}
