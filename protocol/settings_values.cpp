#include "protocol/settings_values.h"

#include <cmath>

namespace proto {

float calibrationFactor(int sliderValue)
{
    return float(sliderValue) / 1000.0f;
}

int calibrationSliderValue(float factor)
{
    if (!std::isfinite(factor))
        return 0;
    const double scaled = std::round(double(factor) * 1000.0);
    if (scaled > 1e9 || scaled < -1e9)
        return scaled > 0 ? 1000000000 : -1000000000;
    return int(scaled);
}

QString calibrationText(float factor)
{
    return QString::number(double(factor), 'f', 3);
}

int shuntIndexFromCode(uint8_t code)
{
    if (code == 30)
        return 0;
    if (code == 10)
        return 7;
    if (code <= 7)
        return code;
    return -1;
}

std::optional<float> parseThreshold(const QString &text)
{
    bool ok = false;
    const float value = text.toFloat(&ok);
    // "nan" and "inf" parse, but no instrument threshold can be either.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseTimeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace proto
