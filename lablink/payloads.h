#pragma once
// Topics and JSON payloads of the lab link. Pure: tested without a broker.

#include "lablink/reading.h"

#include <QByteArray>
#include <QString>

namespace lablink {

// The instrument's name in topics: its serial number, or model and bus address without one
// ("HK07-addr1"). Characters MQTT reserves in topics ('/', '+', '#') become '_'.
QString instrumentIdentity(const QString &serial, const QString &model, int busAddress);

// "<prefix>/<identity>"; an empty prefix gives "<identity>", extra slashes are dropped.
QString topicBase(const QString &prefix, const QString &identity);
QString readingTopic(const QString &base);
QString runTopic(const QString &base);
QString statusTopic(const QString &base);

// ISO 8601 with milliseconds and the offset from UTC ("2026-12-07T15:04:05.250+01:00").
QString isoTimeWithOffset(const QDateTime &time);

QByteArray readingJson(const Reading &reading);
QByteArray runEventJson(const RunEvent &event);
QString runEventName(RunEvent::Kind kind);

} // namespace lablink
