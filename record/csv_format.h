#pragma once
// The text of the data files: fixed-point numbers, local time stamps, the header blocks and rows
// of both instrument families. Rows are formatted into a caller's buffer so that writing a day of
// samples allocates nothing per row.

#include "record/sample_store.h"

#include <QByteArray>
#include <QtGlobal>

#include <string>

namespace csv {

// v with `decimals` (0…9) digits after '.', rounded half away from zero, '-' when v is below
// zero even if it rounds to zero, no grouping: the same text as QString::number(v, 'f', decimals).
// Appends to out.
void appendFixed(std::string &out, float v, int decimals);

// "yyyy-MM-dd_hh:mm:ss" of an instant in local time. Keeps the zone offset of the last quarter
// hour asked for, so consecutive samples cost arithmetic only.
class LocalTimeText
{
public:
    void append(std::string &out, qint64 msecsSinceEpoch);

private:
    qint64 m_blockStart = 0;
    qint64 m_blockEnd = 0; // empty block: nothing cached yet
    int m_offsetSecs = 0;
};

// The family's header block, through the translation table (context QObject), in UTF-8.
// Empty for an unknown family.
QByteArray headerBlock(quint8 familyCode);

// One data row per call: time, the family's columns with their decimals, the translated ","
// between cells and the translated "\n" at the end.
class RowFormat
{
public:
    explicit RowFormat(quint8 familyCode);
    void append(std::string &out, qint64 msecsSinceEpoch, const proto::SampleValues &values);

private:
    quint8 m_family;
    std::string m_separator;
    std::string m_lineEnd;
    LocalTimeText m_time;
};

} // namespace csv
