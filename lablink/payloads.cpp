#include "lablink/payloads.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

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

} // namespace

QString instrumentIdentity(const QString &serial, const QString &model, int busAddress)
{
    const QString trimmed = serial.trimmed();
    if (!trimmed.isEmpty())
        return topicSafe(trimmed);
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
        quantity.insert("value", proto::toBaseUnit(q, reading.family, reading.values[size_t(i)]));
        quantity.insert("unit", QString::fromUtf8(terms.linkUnit));
        object.insert(terms.key, quantity);
    }
    object.insert("work_mode", reading.workMode);
    object.insert("running", reading.running);
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
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace lablink
