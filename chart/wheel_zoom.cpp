#include "wheel_zoom.h"

TimeWindow wheelZoomWindow(quint32 minSecs, quint32 maxSecs, double ratio, int delta)
{
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
