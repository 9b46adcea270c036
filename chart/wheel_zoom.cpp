#include "chart/wheel_zoom.h"

TimeWindow wheelZoomWindow(quint32 minSecs, quint32 maxSecs, double ratio, int delta)
{
    // At the narrowest width a further step in has nothing to narrow: centring again on a
    // pointer off the middle would only shift the window by the truncated second, step by step.
    if (delta > 0 && maxSecs >= minSecs && maxSecs - minSecs == kNarrowestWindowSecs)
        return {minSecs, maxSecs};
    const double tmin = minSecs;
    const double tmax = maxSecs;
    const double centre = tmin + (tmax - tmin) * ratio;
    double left = centre - tmin;
    double right = tmax - centre;
    if (delta > 0) {
        if (left > 1 && right > 1) {
            left /= 1.5;
            right /= 1.5;
        } else {
            left = right = 1;
        }
    } else {
        left *= 1.5;
        right *= 1.5;
    }
    // Conversion to an integer truncates toward zero.
    return {qint64(centre - left), qint64(centre + right)};
}
