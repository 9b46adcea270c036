#pragma once
// A test's own wall and steady clocks, installed for its lifetime: advance() moves both, as time
// passing does; stepWall() moves only the wall clock, as NTP or a user changing the time does.

#include "record/clock.h"

#include <QDateTime>

class FakeClock
{
public:
    explicit FakeClock(QDateTime start = QDateTime::currentDateTime()) : wall(std::move(start))
    {
        Clock::setSource([this] { return wall; });
        Clock::setSteadySource([this] { return steadyMs; });
    }
    ~FakeClock()
    {
        Clock::setSource({});
        Clock::setSteadySource({});
    }
    FakeClock(const FakeClock &) = delete;
    FakeClock &operator=(const FakeClock &) = delete;

    void advance(qint64 ms)
    {
        wall = wall.addMSecs(ms);
        steadyMs += ms;
    }
    void stepWall(qint64 ms) { wall = wall.addMSecs(ms); }

    QDateTime wall;
    qint64 steadyMs = 1000000;
};
