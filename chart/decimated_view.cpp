#include "decimated_view.h"

qint64 columnStart(qint64 t0, qint64 t1, int columns, int c)
{
    if (c >= columns)
        return t1 + 1;
    return t0 + qint64((double(t1 - t0) * c) / columns);
}
