#include "chart/axis_labels.h"

#include <QCategoryAxis>

#include <cmath>

using namespace QtCharts;

QVector<AxisLabel> axisLabels(const QString &unit, int n, int decimals, double max, double min)
{
    QVector<AxisLabel> labels;
    if (n <= 0)
        return labels;
    const float step = (float(max) - float(min)) / float(n);
    labels.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        const double value = double(float(min) + float(i) * step);
        labels.append({QString::number(value, 'f', decimals) + unit, value});
    }
    return labels;
}

double grownAxisTop(double top)
{
    return std::ceil(top + 1.0);
}

QString timeAxisFormat(double spanMs, int tickCount)
{
    const double step = spanMs / qMax(1, tickCount - 1);
    return step < 1000 ? QStringLiteral("hh:mm:ss.zzz") : QStringLiteral("hh:mm:ss");
}

void clearAxisLabels(QCategoryAxis *axis)
{
    const QStringList labels = axis->categoriesLabels();
    for (const QString &label : labels)
        axis->remove(label);
}

void fillAxisLabels(QCategoryAxis *axis, const QString &unit, int n, int decimals, double max,
                    double min)
{
    // The first category starts where the axis starts, so its label sits on the minimum.
    axis->setStartValue(min);
    for (const AxisLabel &label : axisLabels(unit, n, decimals, max, min))
        axis->append(label.text, label.value);
}

namespace {
// Fresh labels for min … max: the axis' old ones removed, ten ticks, `n` label steps.
void relabelAxis(QCategoryAxis *axis, const QString &unit, int n, int decimals, double min,
                 double max)
{
    clearAxisLabels(axis);
    axis->setRange(min, max);
    axis->setTickCount(10);
    fillAxisLabels(axis, unit, n, decimals, max, min);
}
} // namespace

bool applyAxisRange(QCategoryAxis *axis, const QString &unit, int n, int decimals, double min,
                    double max)
{
    if (!(max > min))
        return false;
    relabelAxis(axis, unit, n, decimals, min, max);
    return true;
}

void growAxis(QCategoryAxis *axis, const QString &unit, int n, int decimals, double top)
{
    relabelAxis(axis, unit, n, decimals, 0, grownAxisTop(top));
}

void setDefaultAxisRange(QCategoryAxis *axis, const QString &unit, int decimals, double min,
                         double max)
{
    relabelAxis(axis, unit, 10, decimals, min, max);
}
