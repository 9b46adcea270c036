#pragma once
// Topics and JSON payloads of the lab link. Pure: tested without a broker.

#include "lablink/reading.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace lablink {

// The instrument's name in topics: its serial number and bus address ("A1B2C3D4E5-2"; the
// instruments on one cable share the serial), or model and bus address without a serial
// ("HK07-addr1"). Characters MQTT reserves in topics ('/', '+', '#') become '_'.
QString instrumentIdentity(const QString &serial, const QString &model, int busAddress);

// "<prefix>/<identity>"; an empty prefix gives "<identity>", extra slashes are dropped.
QString topicBase(const QString &prefix, const QString &identity);
QString readingTopic(const QString &base);
QString runTopic(const QString &base);
QString planTopic(const QString &base);
QString statusTopic(const QString &base);

// ISO 8601 with milliseconds and the offset from UTC ("2026-12-07T15:04:05.250+01:00").
QString isoTimeWithOffset(const QDateTime &time);

// A value as the lab link publishes it: rounded to the decimals the data file gives it in the
// family's unit, then converted to the one unit every family is published in.
double linkValue(proto::Quantity q, quint8 family, float value);

QByteArray readingJson(const Reading &reading);
QByteArray runEventJson(const RunEvent &event);
// {"event":"step ended","time":...} followed by the event's details.
QByteArray planEventJson(const PlanEvent &event);

// Home Assistant's discovery messages (to be retained) for one instrument: a sensor per quantity
// its family reports, "homeassistant/sensor/<identity>/<key>/config", and a binary sensor for the
// load, each reading its state from the reading topic and its availability from the status topic.
struct RetainedMessage
{
    QString topic;
    QByteArray payload;
};
QVector<RetainedMessage> discoveryMessages(const QString &discoveryPrefix, const QString &base,
                                           const QString &identity, const DeviceInfo &device);
QString runEventName(RunEvent::Kind kind);
QString planEventName(PlanEvent::Kind kind);

} // namespace lablink
