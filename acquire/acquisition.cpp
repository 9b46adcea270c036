#include "acquire/acquisition.h"

#include "acquire/acquire_log.h"
#include "record/clock.h"
#include "usb/device_link.h"
#include "record/recorder.h"
#include "acquire/run_session.h"
#include "acquire/sampling_rule.h"

#include <QTimer>

namespace acquire {

Acquisition::Acquisition(DeviceLink &link, RunSession &session, QObject *parent)
    : QObject(parent), m_link(link), m_session(session), m_timer(new QTimer(this))
{
    qRegisterMetaType<Sample>();
    m_timer->setInterval(kPeriodMs);
    connect(m_timer, &QTimer::timeout, this, &Acquisition::step);
}

void Acquisition::start()
{
    m_timer->start();
}

void Acquisition::step()
{
    m_link.readStep(); // the pages redraw through reportsApplied
    if (m_link.lastStepMeasured())
        followReportedLoad(m_link.state().deviceRunning);
    m_link.pollTick();
    const TickState state{m_link.tickCounter(), m_session.running(),
                          // rows only from reports that show the load as requested
                          (m_session.loadOn() && !m_session.loadRequestPending()) ||
                              m_session.recordsWithLoadOff(),
                          m_link.familyCode(), m_link.scanBusy()};
    if (m_link.measured() && shouldSample(state)) {
        Sample sample;
        sample.steadyMs = Clock::steadyMs();
        sample.wallMs = Clock::now().toMSecsSinceEpoch();
        sample.values = sampleValuesOf(m_link.live());
        sample.family = m_link.familyCode();
        sample.workMode = m_link.live().workMode;
        sample.loadOn = m_session.loadOn();
        emit sampled(sample);
    }
    emit stepped();
}

Acquisition::Identity Acquisition::currentIdentity() const
{
    const proto::BusState &bus = m_link.state().bus;
    return {m_link.serialString(), m_link.modelWord(), bus.currentAddress, bus.foundAddresses};
}

void Acquisition::deviceOpened()
{
    m_identified = false;
}

void Acquisition::scanEnded()
{
    const Identity now = currentIdentity();
    const bool found = !now.found.empty();
    if (m_identified && found && now == m_identity) {
        qCDebug(lcAcquire) << "bus scan found the same instrument; the run goes on";
        return;
    }
    if (!found)
        m_session.setLoadOn(false); // nobody answers: no load to claim
    m_session.finish(RunSession::End::InstrumentGone);
    m_identity = now;
    m_identified = found;
    if (found && (!m_runStartsWithLoad || m_session.loadOn()))
        m_session.start();
}

// The instrument's own change of its load (its button, timer, cut-off voltage or a protection)
// starts or ends the run, in the window as on the bench. A report that only lags behind the
// user's request, or an instrument asking the battery-test question before it starts, is no
// such change.
void Acquisition::followReportedLoad(bool on)
{
    const proto::LiveValues &live = m_link.live();
    if (!on && live.popupCountdown != 0 && live.popupType != 0) {
        m_session.instrumentAsks();
        return;
    }
    if (m_session.reportLagsRequest(on) || on == m_session.loadOn())
        return;
    m_session.setLoadOn(on);
    if (on && !m_session.running())
        m_session.start();
    else if (!on)
        m_session.finish(RunSession::End::InstrumentStopped);
}

void Acquisition::deviceLost()
{
    m_identified = false;
    m_session.setLoadOn(false);
    m_session.finish(RunSession::End::Unplugged);
}

} // namespace acquire
