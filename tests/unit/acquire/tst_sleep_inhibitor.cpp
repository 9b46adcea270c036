// Sleep inhibition while a run records, against a private bus: a stand-in for logind records each
// Inhibit call and hands out the write end of a pipe, whose read end sees EOF once the program has
// closed its copy.

#include "acquire/instrument_core.h"
#include "acquire/sleep_inhibitor.h"
#include "protocol/vocabulary.h"
#include "record/recorder.h"
#include "settings/settings_file.h"
#include "tests/support/temp_workdir.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using acquire::RunSession;

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");

class FakeLogin : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~FakeLogin() override { forget(); }
    void forget()
    {
        for (int fd : std::as_const(readEnds))
            ::close(fd);
        readEnds.clear();
        calls.clear();
        answerLate = false;
    }
    // Sends the answers held back while answerLate was set.
    void answer(QDBusConnection &bus)
    {
        for (const QDBusMessage &reply : std::as_const(m_heldBack))
            bus.send(reply);
        m_heldBack.clear();
    }
    QList<QStringList> calls;
    QVector<int> readEnds;
    bool answerLate = false;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why,
                                    const QString &mode)
    {
        calls << QStringList{what, who, why, mode};
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return QDBusUnixFileDescriptor();
        readEnds << fds[0];
        const QDBusUnixFileDescriptor writeEnd(fds[1]); // a copy travels to the caller
        ::close(fds[1]);
        if (!answerLate)
            return writeEnd;
        setDelayedReply(true);
        m_heldBack << message().createReply(QVariant::fromValue(writeEnd));
        return QDBusUnixFileDescriptor();
    }

private:
    QList<QDBusMessage> m_heldBack;
};

// True while some process still holds the pipe's write end open.
bool writerHolds(int readEnd)
{
    pollfd p{readEnd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

QStringList g_sleepLog;
QtMessageHandler g_previousHandler = nullptr;

void collectSleepLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.contains(QLatin1String("may sleep")))
        g_sleepLog << text;
    g_previousHandler(type, context, text);
}

} // namespace

class TestSleepInhibitor : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void runHoldsTheDescriptor_data();
    void runHoldsTheDescriptor();
    void unavailable_data();
    void unavailable();

private:
    QProcess m_daemon;
    QString m_address;
    std::optional<QDBusConnection> m_bus;
    FakeLogin m_login;
};

void TestSleepInhibitor::initTestCase()
{
    m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    QVERIFY2(m_daemon.waitForStarted(), "dbus-daemon is missing (scripts/setup-debian.sh)");
    QVERIFY(m_daemon.waitForReadyRead(5000));
    m_address = QString::fromLatin1(m_daemon.readLine().trimmed());
    // The core asks the system bus: this one.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLatin1());
    m_bus = QDBusConnection::connectToBus(m_address, "fake-login");
    QVERIFY(m_bus->isConnected());
    QVERIFY(m_bus->registerObject("/org/freedesktop/login1", &m_login,
                                  QDBusConnection::ExportAllSlots));
    g_previousHandler = qInstallMessageHandler(collectSleepLog);
}

void TestSleepInhibitor::cleanupTestCase()
{
    qInstallMessageHandler(g_previousHandler);
    QDBusConnection::disconnectFromBus("fake-login");
    m_daemon.kill();
    m_daemon.waitForFinished();
}

void TestSleepInhibitor::init()
{
    m_login.forget();
    g_sleepLog.clear();
}

void TestSleepInhibitor::cleanup()
{
    m_bus->unregisterService(kLogin);
}

void TestSleepInhibitor::runHoldsTheDescriptor_data()
{
    QTest::addColumn<int>("end"); // RunSession::End; -1: a new run replaces a run with rows
    QTest::addColumn<bool>("beforeAnswer"); // the run ends before logind has answered
    QTest::newRow("stopped") << int(RunSession::End::Stopped) << false;
    QTest::newRow("instrument lost") << int(RunSession::End::Unplugged) << false;
    QTest::newRow("signal") << int(RunSession::End::Signal) << false;
    QTest::newRow("window closed") << int(RunSession::End::WindowClosed) << false;
    QTest::newRow("ended before the answer") << int(RunSession::End::Stopped) << true;
    QTest::newRow("a new run follows") << -1 << false;
}

// A recording run holds logind's descriptor, and however the run ends it is closed.
void TestSleepInhibitor::runHoldsTheDescriptor()
{
    QFETCH(int, end);
    QFETCH(bool, beforeAnswer);
    TempWorkDir workDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(workDir.file("xdg-data")));
    SettingsFile().write("save_path", workDir.file("Data"));
    QVERIFY(m_bus->registerService(kLogin));

    acquire::InstrumentCore core;
    acquire::SleepInhibitor &inhibitor = core.sleepInhibitor();
    QSignalSpy held(&inhibitor, &acquire::SleepInhibitor::heldChanged);
    RunSession &session = core.session();
    session.start();
    if (beforeAnswer) {
        m_login.answerLate = true;
        QTRY_COMPARE(m_login.calls.size(), 1);
        session.finish(RunSession::End(end));
        m_login.answer(*m_bus);
    } else {
        QTRY_VERIFY(inhibitor.held());
        QCOMPARE(m_login.calls.size(), 1);
        const QStringList expected{"sleep:idle", QCoreApplication::applicationName(),
                                   "Recording a run", "block"};
        QCOMPARE(m_login.calls.first(), expected);
        QVERIFY(writerHolds(m_login.readEnds.first()));
        if (end < 0) {
            Sample row;
            row.family = proto::Hk07Family;
            core.recorder().record(row);
            session.start(); // saves the first run, then asks again for the second
            QTRY_COMPARE(m_login.calls.size(), 2);
            QTRY_VERIFY(inhibitor.held());
            QTRY_VERIFY(!writerHolds(m_login.readEnds.first()));
            QVERIFY(writerHolds(m_login.readEnds.last()));
        }
        session.finish(end < 0 ? RunSession::End::Stopped : RunSession::End(end));
    }
    QTRY_VERIFY(!inhibitor.asking());
    QVERIFY(!inhibitor.held());
    QVERIFY(!m_login.readEnds.isEmpty());
    for (int readEnd : std::as_const(m_login.readEnds))
        QTRY_VERIFY(!writerHolds(readEnd));
    // Held and released once a run (never held when the answer came after the end).
    QCOMPARE(held.size(), beforeAnswer ? 0 : end < 0 ? 4 : 2);
    QVERIFY(g_sleepLog.isEmpty());
}

void TestSleepInhibitor::unavailable_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("logged");
    QTest::newRow("no logind") << m_address << "no logind";
    QTest::newRow("no system bus") << "unix:path=/nonexistent/bus"
                                   << "no system bus";
}

// Without logind or without a bus, runs go on unguarded and the log says so once.
void TestSleepInhibitor::unavailable()
{
    QFETCH(QString, address);
    QFETCH(QString, logged);
    acquire::SleepInhibitor inhibitor(
        QDBusConnection::connectToBus(address, QTest::currentDataTag()));
    for (int run = 0; run < 2; ++run) {
        inhibitor.inhibit("Recording a run");
        QTRY_VERIFY(!inhibitor.asking());
        QVERIFY(!inhibitor.held());
        inhibitor.release();
    }
    QCOMPARE(g_sleepLog.size(), 1);
    QVERIFY2(g_sleepLog.first().contains(logged), qPrintable(g_sleepLog.first()));
    QVERIFY(m_login.calls.isEmpty());
}

QTEST_GUILESS_MAIN(TestSleepInhibitor)
#include "tst_sleep_inhibitor.moc"
