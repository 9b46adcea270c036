#include "acquire/sleep_inhibitor.h"

#include "acquire/acquire_log.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QThread>

#include <memory>

namespace acquire {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

SleepInhibitor::SleepInhibitor(QObject *parent) : QObject(parent) {}

SleepInhibitor::SleepInhibitor(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

SleepInhibitor::~SleepInhibitor() = default;

void SleepInhibitor::inhibit(const QString &why)
{
    m_wanted = true;
    m_why = why;
    if (held() || asking())
        return;
    if (m_bus)
        ask();
    else
        connectToSystemBus();
}

// Connecting waits for the bus's greeting: a thread of its own waits, not the GUI thread.
void SleepInhibitor::connectToSystemBus()
{
    m_connecting = true;
    auto bus = std::make_shared<std::optional<QDBusConnection>>();
    QThread *connector = QThread::create([bus] { *bus = QDBusConnection::systemBus(); });
    connect(connector, &QThread::finished, this, [this, bus] {
        m_connecting = false;
        m_bus = *bus;
        if (m_wanted)
            ask();
    });
    connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connector->start();
}

void SleepInhibitor::ask()
{
    if (!m_bus->isConnected()) {
        tellUnavailable(QStringLiteral("no system bus"), m_bus->lastError().message());
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QCoreApplication::applicationName() << m_why
         << QStringLiteral("block");
    m_pending = new QDBusPendingCallWatcher(m_bus->asyncCall(call), this);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this, &SleepInhibitor::answered);
}

void SleepInhibitor::answered(QDBusPendingCallWatcher *call)
{
    m_pending = nullptr;
    call->deleteLater(); // its copy of the descriptor goes with it
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
    if (reply.isError()) {
        tellUnavailable(reply.error().type() == QDBusError::ServiceUnknown
                            ? QStringLiteral("no logind")
                            : QStringLiteral("logind refused"),
                        reply.error().message());
        return;
    }
    if (!m_wanted || !reply.value().isValid())
        return; // the run ended before the answer came
    m_held = reply.value();
    qCDebug(lcAcquire) << "sleep inhibited while the run records";
    emit heldChanged(true);
}

void SleepInhibitor::release()
{
    m_wanted = false;
    if (!held())
        return;
    m_held = QDBusUnixFileDescriptor();
    qCDebug(lcAcquire) << "sleep allowed again";
    emit heldChanged(false);
}

void SleepInhibitor::tellUnavailable(const QString &what, const QString &detail)
{
    if (m_toldUnavailable)
        return;
    m_toldUnavailable = true;
    qCWarning(lcAcquire).noquote()
        << QStringLiteral("the computer may sleep during runs: %1 (%2)").arg(what, detail);
}

} // namespace acquire
