#include "review/elapsed_axis.h"

#include "review/run_summary.h"

#include <iterator>

namespace review {

QVector<ElapsedTick> elapsedTicks(qint64 t0, qint64 t1, int maxTicks)
{
    static const qint64 kSteps[] = {
        1000,     2000,     5000,     10000,    15000,     30000,     60000,
        120000,   300000,   600000,   900000,   1800000,   3600000,   7200000,
        10800000, 21600000, 43200000, 86400000, 172800000, 432000000, 864000000,
    };
    QVector<ElapsedTick> ticks;
    if (t1 <= t0 || maxTicks < 1)
        return ticks;
    qint64 step = kSteps[std::size(kSteps) - 1];
    for (qint64 candidate : kSteps) {
        if ((t1 - t0) / candidate + 1 <= maxTicks) {
            step = candidate;
            break;
        }
    }
    // First multiple of the step at or after t0 (t0 may lie before the run's start).
    qint64 ms = t0 >= 0 ? (t0 + step - 1) / step * step : -((-t0) / step * step);
    for (; ms <= t1; ms += step)
        ticks.append({ms, ms < 0 ? QStringLiteral("-") + elapsedText(-ms) : elapsedText(ms)});
    return ticks;
}

} // namespace review
