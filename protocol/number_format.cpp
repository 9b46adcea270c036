#include "protocol/number_format.h"

#include <cmath>

namespace proto {

QString formatFixed(double value, int width, int decimals)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const bool negative = value < 0;
    QString digits = QString::number(std::fabs(value), 'f', decimals < 0 ? 0 : decimals);
    const int padding = width - digits.size() - (negative ? 1 : 0);
    if (padding > 0)
        digits.prepend(QString(padding, QLatin1Char('0')));
    if (negative)
        digits.prepend(QLatin1Char('-'));
    return digits;
}

QString formatFixed(double value, NumberField field)
{
    return formatFixed(value, field.width, field.decimals);
}

NumberField setPointField(uint8_t workMode)
{
    switch (workMode) {
    case 1:
        return {6, 2};
    case 2:
        return {7, 2};
    case 3:
        return {6, 1};
    default:
        return {7, 4};
    }
}

double fieldMaximum(NumberField field)
{
    const int integerDigits = field.decimals > 0 ? field.width - field.decimals - 1 : field.width;
    const double scale = std::pow(10.0, field.decimals);
    return (std::pow(10.0, integerDigits) * scale - 1) / scale;
}

QString formatNv05Amount(double value)
{
    if (value < 1000)
        return formatFixed(value, 7, 3);
    if (value < 10000)
        return formatFixed(value, 7, 2);
    if (value < 100000)
        return formatFixed(value, 7, 1);
    return formatFixed(value, 6, 0);
}

QString formatNtc(double value)
{
    // The instrument reports far below -30 when no probe is plugged in.
    if (value < -30)
        return QStringLiteral("--.-");
    return formatFixed(value, 4, 1);
}

QString formatSetPoint(uint8_t workMode, double value)
{
    if (workMode > 9)
        return QString();
    return formatFixed(value, setPointField(workMode));
}

} // namespace proto
