#pragma once
// The instrument core: everything between the USB cable and a saved data file, built once and
// presented by the window and by the headless bench alike. It owns the link, the bus scan, the
// connection watcher, the acquisition, the run session with its recorder and saver, the recovery
// of journals left by a crash, the lab link with its feed, the test-plan runner, and
// the request that the computer stay awake while a run records. It runs the connection's life
// cycle: the watcher sees the instrument -> the link opens -> the bus is scanned -> the model is
// identified and the run follows -> the instrument is lost. A face only presents its signals.

#include "acquire/run_session.h"
#include "record/journal_recovery.h"

#include <QObject>
#include <QString>
#include <QVector>

class ConnectionWatcher;
class DeviceLink;
class Recorder;
namespace lablink {
class Publisher;
struct LinkSettings;
} // namespace lablink
namespace usb {
class BusScan;
}

namespace acquire {

class Acquisition;
class LabLinkFeed;
class PlanRunner;
class SleepInhibitor;

class InstrumentCore : public QObject
{
    Q_OBJECT
public:
    explicit InstrumentCore(QObject *parent = nullptr);
    ~InstrumentCore() override;

    DeviceLink &link() const { return *m_link; }
    usb::BusScan &busScan() const { return *m_scan; }
    ConnectionWatcher &watcher() const { return *m_watcher; }
    Recorder &recorder() const { return *m_recorder; }
    RunSession &session() const { return *m_session; }
    Acquisition &acquisition() const { return *m_acquisition; }
    lablink::Publisher &labLink() const { return *m_labLink; }
    PlanRunner &plans() const { return *m_plans; }
    SleepInhibitor &sleepInhibitor() const { return *m_sleep; }

    // Journals that a crash left become data files; the list says how each went.
    QVector<RecoveredRun> recoverEarlierRuns();
    // The watcher and the acquisition start. Returns false when no instrument could be opened at
    // once; one found later is announced by connected() as usual.
    bool start();
    // (Re)starts the lab link with these settings; disabled settings leave it stopped.
    void startLabLink(const lablink::LinkSettings &settings);
    // A new bus scan (after an open, or asked for by the user).
    void scanBus();
    // A running run is saved (and told to the lab link), the threads end and the lab link goes.
    void finish(RunSession::End why);
    // Ends the watcher and waits for a bus scan in progress; safe to call twice.
    void stopWorkers();

signals:
    // The watcher found the instrument (its product name); the link opens next.
    void connected(const QString &name);
    // The link could not open it (hid::backend() says why).
    void openFailed();
    void scanStarted();
    // The bus scan ended, or the user chose another instrument of those found, and its model is
    // known (or not: proto::NoFamily); the run has followed.
    void identified(quint8 family);
    // The instrument went; a running run has been saved.
    void lost();

private:
    void openInstrument(const QString &name);
    void identifyInstrument();
    void instrumentLeft();

    DeviceLink *m_link;
    usb::BusScan *m_scan;
    ConnectionWatcher *m_watcher;
    Recorder *m_recorder;
    RunSession *m_session;
    Acquisition *m_acquisition;
    lablink::Publisher *m_labLink;
    LabLinkFeed *m_feed;
    PlanRunner *m_plans;
    SleepInhibitor *m_sleep;
};

} // namespace acquire
