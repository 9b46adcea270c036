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

namespace {

TypedNumber ranged(double value, double highest, int decimals)
{
    TypedNumber typed;
    typed.lowest = QStringLiteral("0");
    typed.highest = QString::number(highest, 'f', decimals);
    // A value the field would round up past its nines is past them too.
    const double shown = std::round(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    typed.verdict =
        value >= 0 && shown <= highest ? TypedNumber::Accepted : TypedNumber::OutOfRange;
    typed.value = float(value);
    return typed;
}

} // namespace

TypedNumber checkTypedNumber(const QString &text, NumberField field)
{
    const auto value = parseThreshold(text);
    if (!value)
        return {};
    return ranged(double(*value), fieldMaximum(field), field.decimals);
}

TypedNumber checkTypedTime(const QString &text, TimeUnit unit)
{
    const auto value = parseTimeNumber(text);
    if (!value)
        return {};
    return ranged(*value, unit == TimeUnit::Hours ? 99 : 59, 0);
}

} // namespace proto
