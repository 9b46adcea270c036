#pragma once
// Keeps the computer awake while a run records: logind's Inhibit ("sleep:idle", mode "block")
// hands back a file descriptor, and sleep stays blocked for as long as it is open. The call is
// asynchronous, so a slow or absent bus never holds up the GUI thread. Without a system bus or
// without logind the run goes on as before; the log says so once.

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;

namespace acquire {

class SleepInhibitor : public QObject
{
    Q_OBJECT
public:
    // Asks the system bus, connected to (on a thread of its own) at the first inhibit().
    explicit SleepInhibitor(QObject *parent = nullptr);
    // Asks logind on `bus` (tests use a private bus).
    SleepInhibitor(const QDBusConnection &bus, QObject *parent = nullptr);
    ~SleepInhibitor() override;

    // Asks not to sleep, `why` being shown to the user by the desktop. Does nothing while held
    // or asked already.
    void inhibit(const QString &why);
    // Closes the descriptor; an answer still on its way is dropped when it comes.
    void release();
    bool held() const { return m_held.isValid(); }
    // A request is on its way.
    bool asking() const { return m_connecting || m_pending != nullptr; }

signals:
    void heldChanged(bool held);

private:
    void connectToSystemBus();
    void ask();
    void answered(QDBusPendingCallWatcher *call);
    void tellUnavailable(const QString &what, const QString &detail);

    std::optional<QDBusConnection> m_bus;
    QDBusUnixFileDescriptor m_held;
    QString m_why;
    bool m_connecting = false;
    QDBusPendingCallWatcher *m_pending = nullptr;
    bool m_wanted = false;
    bool m_toldUnavailable = false;
};

} // namespace acquire
