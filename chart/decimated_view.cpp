#include "chart/decimated_view.h"

#include <cmath>

int columnCount(qreal width)
{
    return qMax(1, int(std::ceil(width - 1e-6)));
}

qint64 columnStart(qint64 t0, qint64 t1, qreal width, int c)
{
    if (c >= columnCount(width))
        return t1 + 1;
    return t0 + qint64((double(t1 - t0) * c) / qMax<qreal>(width, 1));
}

void ColumnMemo::begin(quint64 generation)
{
    if (generation != m_generation) {
        m_generation = generation;
        m_last.clear();
    }
    m_next.clear();
}

const ColumnMemo::Column *ColumnMemo::find(qint64 first, qint64 end, int &cursor) const
{
    while (cursor < m_last.size() && m_last[cursor].first < first - kFewRows)
        ++cursor;
    for (int k = cursor; k < m_last.size() && m_last[k].first <= first + kFewRows; ++k) {
        const Column &c = m_last[k];
        if (qAbs(c.end - end) <= kFewRows && qMax(c.first, first) < qMin(c.end, end))
            return &c;
    }
    return nullptr;
}
