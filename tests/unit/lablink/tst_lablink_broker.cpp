// The lab link against Debian's mosquitto started by the test: readings and run events as JSON,
// the retained status and the last will, a broker that goes away and comes back, TLS with a
// certificate authority made here, and the refusals a user sees in words.

#include "tests/unit/lablink/broker_fixture.h"
#include "lablink/mqtt_session.h"
#include "lablink/payloads.h"
#include "lablink/publisher.h"

#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using namespace lablink;

namespace {

const QString kPrefix = "lab/bench";

LinkSettings localBroker(int port)
{
    LinkSettings s;
    s.enabled = true;
    s.host = "127.0.0.1";
    s.port = port;
    s.prefix = kPrefix;
    return s;
}

Reading readingNumber(int n)
{
    Reading r;
    r.time = QDateTime::currentDateTime();
    for (int i = 0; i < proto::kQuantityCount; ++i)
        r.values[size_t(i)] = float(n * 100 + i); // whole: no decimals rounded off
    r.workMode = n % 8;
    r.loadOn = n % 2 == 0;
    return r;
}

RunEvent runEvent(RunEvent::Kind kind, const QString &path = QString())
{
    return {kind, QDateTime::currentDateTime(), path, {}, {}};
}

QString eventName(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object().value("event").toString();
}

bool runOpenssl(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start("openssl", args);
    return p.waitForFinished(30000) && p.exitCode() == 0;
}

// A certificate authority in the folder: <name>.pem and <name>.key.
bool makeAuthority(const QDir &dir, const QString &name)
{
    return runOpenssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-keyout", dir.filePath(name + ".key"), "-out",
                       dir.filePath(name + ".pem"), "-days", "1", "-subj", "/CN=" + name});
}

// A server certificate for localhost signed by the authority.
bool makeServerCertificate(const QDir &dir, const QString &authority)
{
    QFile ext(dir.filePath("ext.cnf"));
    if (!ext.open(QIODevice::WriteOnly))
        return false;
    ext.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n");
    ext.close();
    return runOpenssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                       "-keyout", dir.filePath("server.key"), "-out", dir.filePath("server.csr"),
                       "-subj", "/CN=localhost"}) &&
           runOpenssl({"x509", "-req", "-in", dir.filePath("server.csr"), "-CA",
                       dir.filePath(authority + ".pem"), "-CAkey", dir.filePath(authority + ".key"),
                       "-CAcreateserial", "-out", dir.filePath("server.pem"), "-days", "1",
                       "-extfile", ext.fileName()});
}

} // namespace

class TestLabLinkBroker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void readingsEventsAndStatus();
    void brokerAwayAndBack();
    void neverWaitsOnTheNetwork();
    void lastWillWhenKilled();
    void refusalsInWords();
    void tlsWithOwnAuthority();
};

void TestLabLinkBroker::initTestCase()
{
    for (const char *program : {"mosquitto", "mosquitto_sub", "mosquitto_passwd", "openssl"})
        QVERIFY2(!QStandardPaths::findExecutable(program).isEmpty(),
                 "scripts/setup-debian.sh installs the broker and its clients");
}

void TestLabLinkBroker::readingsEventsAndStatus()
{
    Broker broker;
    QVERIFY(broker.start());
    Subscriber sub(broker.port(), kPrefix + "/#");
    QVERIFY(sub.waitReady());
    const QString base = kPrefix + "/SN42";

    Subscriber discovered(broker.port(), "homeassistant/#");
    QVERIFY(discovered.waitReady());
    Publisher publisher;
    QSignalSpy status(&publisher, &Publisher::statusChanged);
    // No instrument identified yet: no connection, so no topic names a guess.
    publisher.start(localBroker(broker.port()), QString());
    QTest::qWait(300);
    QVERIFY(!publisher.isConnected());
    publisher.setIdentity("SN42", {"HK07", "Maker Co", "V1.0.8", proto::Hk07Family});
    QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), 10000);
    QCOMPARE(retainedMessage(broker.port(), base + "/status"), QByteArray("online"));
    QVERIFY(!status.isEmpty());
    QVERIFY(status.last().at(1).toBool());
    QVERIFY(status.last().at(0).toString().contains(QString::number(broker.port())));

    publisher.publishRunEvent(runEvent(RunEvent::Started));
    for (int n = 0; n < 5; ++n)
        publisher.publishReading(readingNumber(n));
    publisher.publishRunEvent(runEvent(RunEvent::Stopped));
    publisher.publishRunEvent(runEvent(RunEvent::Saved, "/data/LoadData_1_1.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(sub.payloadsOn(base + "/reading").size(), 5, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(sub.payloadsOn(base + "/run").size(), 3, 10000);

    const QList<QByteArray> readings = sub.payloadsOn(base + "/reading");
    for (int n = 0; n < 5; ++n) {
        const QJsonObject json = QJsonDocument::fromJson(readings[n]).object();
        const Reading expected = readingNumber(n);
        QCOMPARE(json.value("voltage").toObject().value("value").toDouble(),
                 double(expected.values[0]));
        QCOMPARE(json.value("fan_speed").toObject().value("value").toDouble(),
                 double(expected.values[9]));
        QCOMPARE(json.value("work_mode").toInt(), expected.workMode);
        QCOMPARE(json.value("load_on").toBool(), expected.loadOn);
    }
    const QList<QByteArray> runs = sub.payloadsOn(base + "/run");
    QCOMPARE(eventName(runs[0]), QString("started"));
    QCOMPARE(eventName(runs[1]), QString("stopped"));
    QCOMPARE(eventName(runs[2]), QString("saved"));
    QCOMPARE(QJsonDocument::fromJson(runs[2]).object().value("path").toString(),
             QString("/data/LoadData_1_1.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(publisher.queuedEvents(), 0, 5000); // acknowledged, let go
    QCOMPARE(publisher.droppedReadings(), quint64(0));

    // Home Assistant's discovery: a sensor per quantity and one for the load, retained, each
    // reading a field the reading carries.
    const auto announced = [&discovered] {
        QList<QPair<QString, QByteArray>> configs = discovered.messages();
        configs.erase(std::remove_if(configs.begin(), configs.end(),
                                     [](const auto &m) { return m.first == "test/ready"; }),
                      configs.end());
        return configs;
    };
    QTRY_COMPARE_WITH_TIMEOUT(announced().size(), proto::kQuantityCount + 1, 10000);
    const QJsonObject reading = QJsonDocument::fromJson(readings.first()).object();
    for (const auto &message : announced()) {
        const QJsonObject config = QJsonDocument::fromJson(message.second).object();
        const QString field =
            config.value("value_template").toString().section("value_json.", 1).section(' ', 0, 0);
        QVERIFY2(reading.contains(field.section('.', 0, 0)), qPrintable(message.first));
        QCOMPARE(config.value("state_topic").toString(), base + "/reading");
        QCOMPARE(config.value("availability_topic").toString(), base + "/status");
        const QJsonObject device = config.value("device").toObject();
        QCOMPARE(device.value("manufacturer").toString(), QString("Maker Co"));
        QCOMPARE(device.value("sw_version").toString(), QString("V1.0.8"));
        QCOMPARE(device.value("identifiers").toArray().first().toString(), QString("SN42"));
    }
    const QJsonObject energy =
        QJsonDocument::fromJson(
            retainedMessage(broker.port(), "homeassistant/sensor/SN42/energy/config"))
            .object();
    QCOMPARE(energy.value("device_class").toString(), QString("energy"));
    QCOMPARE(energy.value("state_class").toString(), QString("total_increasing"));
    QCOMPARE(energy.value("unit_of_measurement").toString(), QString("Wh"));
    QVERIFY(!retainedMessage(broker.port(), "homeassistant/binary_sensor/SN42/load_on/config")
                 .isEmpty());

    // Another instrument: the first one is left "offline", and with discovery off nothing new is
    // announced.
    publisher.stop();
    LinkSettings quiet = localBroker(broker.port());
    quiet.discovery = false;
    publisher.start(quiet, "SN43");
    QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(retainedMessage(broker.port(), base + "/status"),
                              QByteArray("offline"), 5000);
    publisher.stop(); // the farewell goes on in the background
    QTRY_COMPARE_WITH_TIMEOUT(retainedMessage(broker.port(), kPrefix + "/SN43/status"),
                              QByteArray("offline"), 5000);
    QCOMPARE(announced().size(), proto::kQuantityCount + 1);
}

void TestLabLinkBroker::brokerAwayAndBack()
{
    Broker broker;
    QVERIFY(broker.start());
    Publisher publisher;
    publisher.start(localBroker(broker.port()), "SN7");
    QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), 10000);

    broker.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!publisher.isConnected(), 10000);
    // While the broker is away: readings beyond the queue are dropped and counted, the run's
    // events are kept; the caller is never held up.
    QElapsedTimer calls;
    calls.start();
    publisher.publishRunEvent(runEvent(RunEvent::Started));
    for (int n = 0; n < Publisher::kReadingCapacity + 30; ++n)
        publisher.publishReading(readingNumber(n));
    publisher.publishRunEvent(runEvent(RunEvent::Stopped));
    QVERIFY(calls.elapsed() < 500);
    QCOMPARE(publisher.queuedReadings(), Publisher::kReadingCapacity);
    QCOMPARE(publisher.droppedReadings(), quint64(30));
    QCOMPARE(publisher.queuedEvents(), 2);
    QVERIFY(!publisher.statusText().isEmpty());

    QVERIFY(broker.start()); // same port
    Subscriber sub(broker.port(), kPrefix + "/#");
    QVERIFY(sub.waitReady());
    QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(sub.payloadsOn(kPrefix + "/SN7/run").size(), 2, 10000);
    const QList<QByteArray> runs = sub.payloadsOn(kPrefix + "/SN7/run");
    QCOMPARE(eventName(runs[0]), QString("started"));
    QCOMPARE(eventName(runs[1]), QString("stopped"));
    // Publishing resumes: a fresh reading arrives.
    Reading fresh = readingNumber(999);
    publisher.publishReading(fresh);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (const QByteArray &r : sub.payloadsOn(kPrefix + "/SN7/reading"))
                if (QJsonDocument::fromJson(r).object().value("voltage").toObject().value(
                        "value") == double(fresh.values[0]))
                    return true;
            return false;
        }(),
        10000);
}

// Stopping, restarting and destroying the link return at once whatever the network does: a
// connection hanging on an unreachable broker is abandoned; an open one says its farewell in the
// background within a second, before the next connection opens, so that the broker's last word
// is the new connection's "online". (Bounds are loose: a blocking connect took minutes.)
void TestLabLinkBroker::neverWaitsOnTheNetwork()
{
    UnreachableBroker unreachable;
    QVERIFY(unreachable.port() > 0);
    Broker broker;
    QVERIFY(broker.start());
    const QString status = kPrefix + "/SN9/status";
    auto publisher = std::make_unique<Publisher>();
    qint64 longest = 0;
    const auto timed = [&longest](auto call) {
        QElapsedTimer took;
        took.start();
        call();
        longest = std::max(longest, took.elapsed());
    };
    for (int i = 0; i < 3; ++i) {
        timed([&] { publisher->start(localBroker(unreachable.port()), "SN9"); });
        QTest::qWait(300); // connecting, with no answer to come
        QVERIFY(!publisher->isConnected());
        timed([&] { publisher->stop(); });
    }
    timed([&] { publisher->start(localBroker(broker.port()), "SN9"); });
    QTRY_VERIFY_WITH_TIMEOUT(publisher->isConnected(), 10000);
    publisher->publishRunEvent(runEvent(RunEvent::Started));
    timed([&] { publisher->start(localBroker(broker.port()), "SN9"); }); // stops first
    QVERIFY(!publisher->isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(publisher->isConnected(), 10000);
    QCOMPARE(retainedMessage(broker.port(), status), QByteArray("online"));
    QTRY_COMPARE_WITH_TIMEOUT(publisher->queuedEvents(), 0, 5000);
    QVERIFY2(longest < 500, qPrintable(QString::number(longest)));

    // Destroyed while connected, as at exit: the farewell within a second.
    QElapsedTimer destruction;
    destruction.start();
    publisher.reset();
    QVERIFY2(destruction.elapsed() < 1500, qPrintable(QString::number(destruction.elapsed())));
    QCOMPARE(retainedMessage(broker.port(), status), QByteArray("offline"));
    // Destroyed while hanging on the unreachable one: nothing to wait for.
    publisher = std::make_unique<Publisher>();
    publisher->start(localBroker(unreachable.port()), "SN9");
    QTest::qWait(300);
    destruction.restart();
    publisher.reset();
    QVERIFY2(destruction.elapsed() < 500, qPrintable(QString::number(destruction.elapsed())));
}

void TestLabLinkBroker::lastWillWhenKilled()
{
    Broker broker;
    QVERIFY(broker.start());
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(LABLINK_CHILD), {QString::number(broker.port()), kPrefix, "WILL1"});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).contains("connected"), 10000);
    QCOMPARE(retainedMessage(broker.port(), kPrefix + "/WILL1/status"), QByteArray("online"));
    child.kill();
    QVERIFY(child.waitForFinished());
    QTRY_COMPARE_WITH_TIMEOUT(retainedMessage(broker.port(), kPrefix + "/WILL1/status"),
                              QByteArray("offline"), 10000);
}

void TestLabLinkBroker::refusalsInWords()
{
    BrokerOptions options;
    options.passwordUser = "bench";
    options.password = "right";
    Broker broker(options);
    QVERIFY(broker.start());

    LinkSettings s = localBroker(broker.port());
    s.user = "bench";
    s.password = "right";
    QCOMPARE(probeBroker(s, 5000), QString());

    const struct
    {
        const char *what;
        QString host;
        int port;
        QString password;
        QString words;
    } cases[] = {
        {"wrong password", "127.0.0.1", broker.port(), "wrong", "not authorised"},
        {"nobody listens", "127.0.0.1", freePort(), "right", "connection refused"},
        {"unknown host", "no-such-host.invalid", broker.port(), "right", "host name not found"},
    };
    for (const auto &c : cases) {
        s.host = c.host;
        s.port = c.port;
        s.password = c.password;
        QElapsedTimer took;
        took.start();
        const QString answer = probeBroker(s, 5000);
        QVERIFY2(answer.contains(c.words), qPrintable(QString(c.what) + ": " + answer));
        QVERIFY2(took.elapsed() < 8000, c.what);
        QVERIFY2(!answer.contains("wrong") && !answer.contains("right"), c.what); // no password
    }
}

void TestLabLinkBroker::tlsWithOwnAuthority()
{
    QTemporaryDir pki;
    const QDir dir(pki.path());
    QVERIFY(makeAuthority(dir, "lab-ca"));
    QVERIFY(makeAuthority(dir, "other-ca"));
    QVERIFY(makeServerCertificate(dir, "lab-ca"));
    BrokerOptions options;
    options.caFile = dir.filePath("lab-ca.pem");
    options.certFile = dir.filePath("server.pem");
    options.keyFile = dir.filePath("server.key");
    Broker broker(options);
    QVERIFY2(broker.start(), qPrintable(broker.log()));

    LinkSettings s = localBroker(broker.port());
    s.host = "localhost";
    s.tls = true;
    s.caFile = dir.filePath("other-ca.pem");
    const QString refused = probeBroker(s, 5000);
    QVERIFY2(refused.contains("TLS") && refused.contains("certificate verify failed"),
             qPrintable(refused));
    s.caFile = dir.filePath("missing.pem");
    QVERIFY(probeBroker(s, 5000).contains("CA file"));

    s.caFile = dir.filePath("lab-ca.pem");
    QCOMPARE(probeBroker(s, 5000), QString());
    Publisher publisher;
    publisher.start(s, "TLS1");
    QTRY_VERIFY_WITH_TIMEOUT(publisher.isConnected(), 10000);
    publisher.publishRunEvent(runEvent(RunEvent::Interrupted));
    QTRY_COMPARE_WITH_TIMEOUT(publisher.queuedEvents(), 0, 10000); // acknowledged over TLS
}

QTEST_GUILESS_MAIN(TestLabLinkBroker)
#include "tst_lablink_broker.moc"
