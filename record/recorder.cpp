#include "recorder.h"

#include "live_values.h"

SampleValues sampleValuesOf(const proto::LiveValues &v)
{
    return {v.voltage, v.current, v.power,   v.resistance, v.energy,
            v.capacity, v.cpuTemp, v.ntcTemp, v.mosTemp,    v.fanSpeed};
}

Recorder::Recorder(QObject *parent) : QObject(parent) {}

void Recorder::record(const QDateTime &when, const SampleValues &values)
{
    m_store.append(when.toMSecsSinceEpoch(), values);
    emit rowRecorded(m_store.size() - 1);
}

void Recorder::clear()
{
    m_store.clear();
    emit cleared();
}
