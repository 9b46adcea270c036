#include "acquire/run_session.h"

#include "acquire/acquire_log.h"
#include "record/recorder.h"

namespace acquire {

RunSession::RunSession(Recorder &recorder, QObject *parent) : QObject(parent), m_recorder(recorder)
{
    qRegisterMetaType<SaveOutcome>();
}

void RunSession::start()
{
    if (running() && m_recorder.hasUnsavedRows())
        finish(End::NewRun);
    m_recorder.clear();
    setState(State::Running);
    emit started();
}

std::optional<SaveOutcome> RunSession::finish(End why)
{
    if (!running())
        return std::nullopt;
    m_recordsWithLoadOff = false;
    // An empty run that ends by itself has nothing to tell; a stop says "No data."
    if (why != End::Stopped && m_recorder.rowCount() == 0) {
        setState(State::Idle);
        return std::nullopt;
    }
    setState(State::Saving);
    SaveOutcome outcome;
    if (m_saver) {
        outcome = m_saver();
    } else {
        outcome.result = SaveOutcome::Result::Failed;
        outcome.reason = QStringLiteral("no data folder to save to");
    }
    setState(State::Idle);
    qCInfo(lcAcquire).noquote() << "run ended" << QVariant::fromValue(why).toString() << ":"
                                << outcome.labelText();
    if (!outcome.written() && !outcome.reason.isEmpty())
        qCWarning(lcAcquire).noquote() << "run not saved:" << outcome.reason;
    emit finished(outcome, why);
    return outcome;
}

void RunSession::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void RunSession::requestLoad(bool on)
{
    // The reply to a poll sent before the request, and one more for a slow instrument.
    m_laggingReports = 2;
    setLoadOn(on);
}

bool RunSession::reportLagsRequest(bool reportedOn)
{
    if (m_laggingReports == 0)
        return false;
    if (reportedOn == m_loadOn)
        m_laggingReports = 0;
    else
        --m_laggingReports;
    return true;
}

void RunSession::setLoadOn(bool on)
{
    if (on == m_loadOn)
        return;
    m_loadOn = on;
    emit loadChanged(on);
}

} // namespace acquire
