#pragma once
// The recorded run: one row per chart sample, kept in the sample store that the chart draws from.
// The chart tick calls record(); a run start and a device identification call clear().

#include "sample_store.h"

#include <QDateTime>
#include <QObject>

namespace proto {
struct LiveValues;
}

// The ten recorded quantities of a measurement, in the table's order.
SampleValues sampleValuesOf(const proto::LiveValues &live);

class Recorder : public QObject
{
    Q_OBJECT
public:
    explicit Recorder(QObject *parent = nullptr);

    const SampleStore &store() const { return m_store; }
    qint64 rowCount() const { return m_store.size(); }

    void record(const QDateTime &when, const SampleValues &values);
    void clear();

signals:
    void rowRecorded(qint64 row);
    void cleared();

private:
    SampleStore m_store;
};
