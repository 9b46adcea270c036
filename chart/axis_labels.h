#pragma once
// Value-axis labels: n + 1 evenly spaced category labels placed on their values ("0.00V" …
// "20.00V"), and the growth rule that lifts an axis above a reading.

#include <QString>
#include <QVector>

namespace QtCharts {
class QCategoryAxis;
}
using QtCharts::QCategoryAxis;

struct AxisLabel
{
    QString text;
    double value;
};

// The labels of min … max in n steps; the step is computed in single precision.
QVector<AxisLabel> axisLabels(const QString &unit, int n, int decimals, double max, double min);

// The top an axis grows to so that `top` lies inside it: ceil(top + 1).
double grownAxisTop(double top);

// The time axis's label format for a window of spanMs across tickCount ticks: whole seconds
// while the ticks lie a second or more apart, milliseconds when closer, so that no two ticks
// read alike.
QString timeAxisFormat(double spanMs, int tickCount);

void clearAxisLabels(QCategoryAxis *axis);
// Appends the labels of axisLabels(); existing labels stay.
void fillAxisLabels(QCategoryAxis *axis, const QString &unit, int n, int decimals, double max,
                    double min);
// Only if max > min: the axis shows min … max with fresh labels. Returns whether it applied.
bool applyAxisRange(QCategoryAxis *axis, const QString &unit, int n, int decimals, double min,
                    double max);
// The axis becomes 0 … grownAxisTop(top) with fresh labels.
void growAxis(QCategoryAxis *axis, const QString &unit, int n, int decimals, double top);
// A default range: cleared labels, min … max, ten ticks, labels in ten steps.
void setDefaultAxisRange(QCategoryAxis *axis, const QString &unit, int decimals, double min,
                         double max);
