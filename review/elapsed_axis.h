#pragma once
// Tick marks of the elapsed-time axis: a round step (1 s … 1 d) that gives at most `maxTicks`
// marks between t0 and t1, each labelled like the summary's durations.

#include <QString>
#include <QVector>

namespace review {

struct ElapsedTick
{
    qint64 ms;
    QString text;
};

QVector<ElapsedTick> elapsedTicks(qint64 t0, qint64 t1, int maxTicks);

} // namespace review
