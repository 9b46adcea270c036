#include "lablink/payloads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace lablink {

namespace {

QString topicSafe(QString text)
{
    for (QChar &c : text) {
        if (c == '/' || c == '+' || c == '#' || c.isSpace())
            c = '_';
    }
    return text;
}

double roundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

} // namespace

QString instrumentIdentity(const QString &serial, const QString &model, int busAddress)
{
    const QString trimmed = serial.trimmed();
    if (!trimmed.isEmpty())
        return topicSafe(QStringLiteral("%1-%2").arg(trimmed).arg(busAddress));
    const QString name = model.trimmed().isEmpty() ? QStringLiteral("unknown") : model.trimmed();
    return topicSafe(QStringLiteral("%1-addr%2").arg(name).arg(busAddress));
}

QString topicBase(const QString &prefix, const QString &identity)
{
    QStringList parts = prefix.split('/', Qt::SkipEmptyParts);
    parts << identity;
    return parts.join('/');
}

QString readingTopic(const QString &base)
{
    return base + QStringLiteral("/reading");
}
QString runTopic(const QString &base)
{
    return base + QStringLiteral("/run");
}
QString planTopic(const QString &base)
{
    return base + QStringLiteral("/plan");
}
QString statusTopic(const QString &base)
{
    return base + QStringLiteral("/status");
}

QString isoTimeWithOffset(const QDateTime &time)
{
    const QDateTime fixed = time.toOffsetFromUtc(time.offsetFromUtc());
    QString text = fixed.toString(Qt::ISODateWithMs);
    if (text.endsWith('Z')) // a zero offset is written as one, like any other
        text.replace(text.size() - 1, 1, QStringLiteral("+00:00"));
    return text;
}

double linkValue(proto::Quantity q, quint8 family, float value)
{
    const int decimals = proto::fileDecimals(q);
    const double scale = proto::toBaseUnit(q, family, 1.0);
    // The conversion's own float noise goes with a second rounding (kWh to Wh: three decimals
    // fewer).
    const int baseDecimals = qMax(0, decimals - int(std::lround(std::log10(scale))));
    return roundTo(proto::toBaseUnit(q, family, roundTo(value, decimals)), baseDecimals);
}

QByteArray readingJson(const Reading &reading)
{
    QJsonObject object;
    object.insert("time", isoTimeWithOffset(reading.time));
    // Every family's values in one set of units, so that a dashboard needs no per-model rules.
    for (int i = 0; i < proto::kQuantityCount; ++i) {
        const auto q = proto::Quantity(i);
        if (!proto::reports(q, reading.family))
            continue;
        const proto::QuantityTerms &terms = proto::terms(q);
        QJsonObject quantity;
        quantity.insert("value", linkValue(q, reading.family, reading.values[size_t(i)]));
        quantity.insert("unit", QString::fromUtf8(terms.linkUnit));
        object.insert(terms.key, quantity);
    }
    object.insert("work_mode", reading.workMode);
    object.insert("load_on", reading.loadOn);
    object.insert("recording", reading.recording);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString runEventName(RunEvent::Kind kind)
{
    switch (kind) {
    case RunEvent::Started:
        return QStringLiteral("started");
    case RunEvent::Stopped:
        return QStringLiteral("stopped");
    case RunEvent::Saved:
        return QStringLiteral("saved");
    case RunEvent::Interrupted:
        return QStringLiteral("interrupted");
    case RunEvent::NotSaved:
        return QStringLiteral("not saved");
    }
    return QString();
}

QByteArray runEventJson(const RunEvent &event)
{
    QJsonObject object;
    object.insert("event", runEventName(event.kind));
    object.insert("time", isoTimeWithOffset(event.time));
    if (event.kind == RunEvent::Saved)
        object.insert("path", event.path);
    if (event.kind == RunEvent::NotSaved)
        object.insert("reason", event.reason);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString planEventName(PlanEvent::Kind kind)
{
    switch (kind) {
    case PlanEvent::PlanStarted:
        return QStringLiteral("plan started");
    case PlanEvent::StepStarted:
        return QStringLiteral("step started");
    case PlanEvent::StepEnded:
        return QStringLiteral("step ended");
    case PlanEvent::PlanEnded:
        return QStringLiteral("plan ended");
    }
    return QString();
}

QByteArray planEventJson(const PlanEvent &event)
{
    QJsonObject object = event.details;
    object.insert("event", planEventName(event.kind));
    object.insert("time", isoTimeWithOffset(event.time));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

namespace {

// Home Assistant's classes for the quantities it has one for.
const char *deviceClassOf(proto::Quantity q)
{
    switch (q) {
    case proto::Quantity::Voltage:
        return "voltage";
    case proto::Quantity::Current:
        return "current";
    case proto::Quantity::Power:
        return "power";
    case proto::Quantity::Energy:
        return "energy";
    case proto::Quantity::CpuTemp:
    case proto::Quantity::NtcTemp:
    case proto::Quantity::MosTemp:
        return "temperature";
    default:
        return nullptr;
    }
}

// "cpu_temp" -> "Cpu temp"
QString titleOf(const char *key)
{
    QString title = QString::fromLatin1(key).replace('_', ' ');
    title[0] = title[0].toUpper();
    return title;
}

QJsonObject discoveryBase(const QString &base, const QString &identity, const DeviceInfo &device,
                          const QString &name, const QString &what)
{
    QJsonObject config;
    config.insert("name", name);
    config.insert("unique_id", identity + '_' + what);
    config.insert("object_id", identity + '_' + what);
    config.insert("state_topic", readingTopic(base));
    config.insert("availability_topic", statusTopic(base));
    config.insert("payload_available", "online");
    config.insert("payload_not_available", "offline");
    QJsonObject block;
    block.insert("identifiers", QJsonArray{identity});
    block.insert("name", QStringLiteral("%1 %2").arg(device.model, identity));
    block.insert("model", device.model);
    block.insert("manufacturer", device.maker);
    block.insert("sw_version", device.firmware);
    config.insert("device", block);
    return config;
}

} // namespace

QVector<RetainedMessage> discoveryMessages(const QString &discoveryPrefix, const QString &base,
                                           const QString &identity, const DeviceInfo &device)
{
    const QString root = topicBase(discoveryPrefix, QString());
    QVector<RetainedMessage> messages;
    for (int i = 0; i < proto::kQuantityCount; ++i) {
        const auto q = proto::Quantity(i);
        if (!proto::reports(q, device.family))
            continue;
        const proto::QuantityTerms &terms = proto::terms(q);
        QJsonObject config = discoveryBase(base, identity, device, titleOf(terms.key), terms.key);
        config.insert("value_template", QStringLiteral("{{ value_json.%1.value }}").arg(terms.key));
        config.insert("unit_of_measurement", QString::fromUtf8(terms.linkUnit));
        if (const char *deviceClass = deviceClassOf(q))
            config.insert("device_class", deviceClass);
        const bool accumulates = q == proto::Quantity::Energy || q == proto::Quantity::Capacity;
        config.insert("state_class", accumulates ? "total_increasing" : "measurement");
        messages.append({QStringLiteral("%1sensor/%2/%3/config").arg(root, identity, terms.key),
                         QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }
    QJsonObject load = discoveryBase(base, identity, device, QStringLiteral("Load"), "load_on");
    load.insert("value_template", QStringLiteral("{{ 'ON' if value_json.load_on else 'OFF' }}"));
    load.insert("device_class", "running");
    messages.append({QStringLiteral("%1binary_sensor/%2/load_on/config").arg(root, identity),
                     QJsonDocument(load).toJson(QJsonDocument::Compact)});
    return messages;
}

} // namespace lablink
