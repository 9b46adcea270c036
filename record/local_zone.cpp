#include "record/local_zone.h"

#include <cstdlib>
#include <ctime>

namespace {
void setZone(const QByteArray &value)
{
    // Only TZ's value changes once it exists, which other threads' lookups of TZ can meet safely.
    ::setenv("TZ", value.constData(), 1);
    ::tzset();
}
} // namespace

LocalZonePin::LocalZonePin(const QByteArray &zoneFile, QObject *parent)
    : QObject(parent)
{
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    m_zoneFile = zoneFile;
    setZone(':' + m_zoneFile);
    connect(&m_refresh, &QTimer::timeout, this, &LocalZonePin::refresh);
}

void LocalZonePin::refreshEvery(int intervalMs)
{
    if (pinned())
        m_refresh.start(intervalMs);
}

LocalZonePin::~LocalZonePin()
{
    if (!pinned())
        return;
    ::unsetenv("TZ");
    ::tzset();
}

void LocalZonePin::refresh()
{
    if (!pinned())
        return;
    // The library reads the file only when TZ differs from what it last read: the same file under
    // a second spelling, then under the first again.
    setZone(":/." + m_zoneFile);
    setZone(':' + m_zoneFile);
}
