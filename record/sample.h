#pragma once
// One sample as the acquisition takes it: the ten recorded quantities, in the units of the
// instrument's family, with two times, one from a clock that never steps (to order samples) and
// one from the wall clock (for the data files).

#include "record/sample_store.h"

#include <QMetaType>

struct Sample
{
    qint64 steadyMs = 0;
    qint64 wallMs = 0;
    proto::SampleValues values{};
    quint8 family = 0; // proto::Family of the instrument that reported it
    quint8 workMode = 0;
    bool loadOn = false; // the instrument's load as last reported or requested
};
Q_DECLARE_METATYPE(Sample)
