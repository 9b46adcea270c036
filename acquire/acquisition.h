#pragma once
// The acquisition: one 500 ms timer drives the cycle read step -> poll -> sample, and each sample
// is emitted once, to whoever subscribes (the recorder; the lab link). It also keeps the run
// session in step with the instrument: the load it reports, a bus scan that finds the same
// instrument (the run goes on) or another one or none (the run is saved), an unplug (saved).
// No widgets here; everything runs on the GUI thread.

#include "record/sample.h"

#include <QObject>
#include <QString>

#include <vector>

class DeviceLink;
class QTimer;

namespace acquire {

class RunSession;

class Acquisition : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 500;

    Acquisition(DeviceLink &link, RunSession &session, QObject *parent = nullptr);

    // The cycle's timer (tests stop it and call step() themselves).
    QTimer *timer() const { return m_timer; }
    void start();

    // A run ends when the instrument switches its load off by itself, and begins when it switches
    // it on while no run records. Besides, a bus scan that finds an instrument begins a run at
    // once (the window, whose run button also starts and stops runs), or only when its load is
    // on (the headless bench).
    void setRunStartsWithLoad(bool withLoad) { m_runStartsWithLoad = withLoad; }

    // One cycle: take the waiting reports, send the next poll request, and sample when the rule
    // says so and the instrument has reported at least once.
    void step();

    // The main handle opened: whatever is found next is a new instrument.
    void deviceOpened();
    // The bus scan ended: the same instrument leaves a running run alone; another instrument or
    // none ends it (saved), and a found instrument begins a new run.
    void scanEnded();
    // The instrument went: a running run is saved and the load is off.
    void deviceLost();

signals:
    void sampled(const Sample &sample);
    // After every cycle, sample or not.
    void stepped();

private:
    struct Identity
    {
        QString serial;
        QString model;
        quint8 address = 0;
        std::vector<quint8> found;
        bool operator==(const Identity &o) const
        {
            return serial == o.serial && model == o.model && address == o.address &&
                   found == o.found;
        }
    };
    Identity currentIdentity() const;
    void followReportedLoad(bool on);

    DeviceLink &m_link;
    RunSession &m_session;
    QTimer *m_timer;
    Identity m_identity;
    bool m_identified = false;
    bool m_runStartsWithLoad = false;
};

} // namespace acquire
