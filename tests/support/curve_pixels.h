#pragma once
// What a user sees of a curve drawn over many samples: in every pixel column of the plot the
// curve's ink lies between the highest and lowest sample of that column and its neighbours (the
// line joining two columns runs between them), and the ink of the column and its neighbours
// reaches the column's own highest and lowest sample (a column's extremes may be drawn where its
// first and last sample lie, a pixel apart). Samples and ink are in the picture's pixels; columns with no sample, and the plot's
// first and last column (where the line comes from outside the window), are not judged.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

// An empty text if the curve looks as its samples do, else what is wrong where.
inline QString curveOutsideItsSamples(const QImage &picture, const QRectF &plot,
                                      const QVector<QPointF> &samples,
                                      const std::function<bool(QRgb)> &isInk, int tolerance = 2)
{
    const int left = int(std::ceil(plot.left()));
    const int columns = int(plot.right()) - left;
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    QVector<double> top(columns, none), bottom(columns, none);
    for (const QPointF &p : samples) {
        const int c = int(std::floor(p.x())) - left;
        if (c < 0 || c >= columns)
            continue;
        top[c] = std::isnan(top[c]) ? p.y() : std::min(top[c], p.y());
        bottom[c] = std::isnan(bottom[c]) ? p.y() : std::max(bottom[c], p.y());
    }
    QVector<int> inkTop(columns, picture.height()), inkBottom(columns, -1);
    for (int c = 1; c + 1 < columns; ++c) {
        if (std::isnan(top[c]) || std::isnan(top[c - 1]) || std::isnan(top[c + 1]))
            continue;
        const double high = std::min({top[c - 1], top[c], top[c + 1]}) - tolerance;
        const double low = std::max({bottom[c - 1], bottom[c], bottom[c + 1]}) + tolerance;
        for (int y = int(plot.top()); y < int(plot.bottom()); ++y) {
            if (!isInk(picture.pixel(left + c, y)))
                continue;
            if (y < high || y > low)
                return QStringLiteral("column %1: ink at y %2 outside %3 … %4")
                    .arg(left + c).arg(y).arg(high).arg(low);
            inkTop[c] = std::min(inkTop[c], y);
            inkBottom[c] = std::max(inkBottom[c], y);
        }
    }
    int judged = 0;
    for (int c = 2; c + 2 < columns; ++c) {
        if (inkBottom[c - 1] < 0 || inkBottom[c] < 0 || inkBottom[c + 1] < 0)
            continue;
        const int reachTop = std::min({inkTop[c - 1], inkTop[c], inkTop[c + 1]});
        const int reachBottom = std::max({inkBottom[c - 1], inkBottom[c], inkBottom[c + 1]});
        if (reachTop > top[c] + tolerance || reachBottom < bottom[c] - tolerance)
            return QStringLiteral("column %1: ink %2 … %3 misses samples %4 … %5")
                .arg(left + c).arg(reachTop).arg(reachBottom).arg(top[c]).arg(bottom[c]);
        ++judged;
    }
    if (judged < columns / 2)
        return QStringLiteral("only %1 of %2 columns could be judged").arg(judged).arg(columns);
    return QString();
}
