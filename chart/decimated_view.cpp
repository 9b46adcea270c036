#include "decimated_view.h"

qint64 columnStart(qint64 t0, qint64 t1, int columns, int c)
{
    if (c >= columns)
        return t1 + 1;
    return t0 + qint64((double(t1 - t0) * c) / columns);
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
    const Column *found = nullptr;
    for (int k = cursor; k < m_last.size() && m_last[k].first <= first; ++k) {
        const Column &c = m_last[k];
        if (c.end <= end && end - c.end <= kFewRows)
            found = &c;
    }
    return found;
}
