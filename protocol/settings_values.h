#pragma once
// Conversions between the settings pages' controls and what the instrument takes and reports:
// calibration factors, the meters' shunt codes, and the numbers typed into the threshold fields.

#include "protocol/frames.h"
#include "protocol/number_format.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace proto {

// Calibration sliders run 500..2000 for the factors 0.500..2.000.
float calibrationFactor(int sliderValue);
// The slider position of a reported factor. Rounded, not truncated: a factor sent from the
// slider comes back as the nearest float, often just below the thousandth it was set to.
int calibrationSliderValue(float factor);
// Factor label text: fixed notation with three decimals.
QString calibrationText(float factor);

// The meters report their shunt size in the hours byte: 30 (30 A) and 10 (1000 A) are codes of
// their own, any other code up to 7 is the item index itself. Returns the item index 0..7, or
// -1 for a code that names no item.
int shuntIndexFromCode(uint8_t code);

// A threshold as typed (decimal, '.' as point); empty when it is not a finite number.
std::optional<float> parseThreshold(const QString &text);
// Hours or minutes as typed (base-10 integer); empty when it is not one.
std::optional<int> parseTimeNumber(const QString &text);

// A number typed for the instrument, checked against what the instrument can hold: a threshold
// or set-point is finite, not negative and fits the field that shows it; a time limit is 0..99
// hours or 0..59 minutes (the frame carries one byte). Nothing else may be sent.
struct TypedNumber
{
    enum Verdict
    {
        Accepted,
        Malformed, // not a number at all
        OutOfRange
    };
    Verdict verdict = Malformed;
    float value = 0;         // when accepted
    QString lowest, highest; // the range, as the user would type its ends
};
TypedNumber checkTypedNumber(const QString &text, NumberField field);
TypedNumber checkTypedTime(const QString &text, TimeUnit unit);

} // namespace proto
