#pragma once
// What the lab link publishes: one reading per sample and the run's events. Plain values, so the
// link does not depend on how samples are produced.

#include "protocol/vocabulary.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>

#include <array>

namespace lablink {

struct Reading
{
    QDateTime time;
    proto::SampleValues values{}; // in the family's units (proto::unitOf)
    quint8 family = proto::NoFamily;
    int workMode = 0;
    bool running = false;
};

struct RunEvent
{
    enum Kind
    {
        Started,
        Stopped,
        Saved,
        Interrupted
    };
    Kind kind = Started;
    QDateTime time;
    QString path; // the data file, for Saved
};

} // namespace lablink

Q_DECLARE_METATYPE(lablink::Reading)
Q_DECLARE_METATYPE(lablink::RunEvent)
