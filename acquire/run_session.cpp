#include "acquire/run_session.h"

#include "acquire/acquire_log.h"
#include "record/recorder.h"

namespace acquire {

RunSession::RunSession(Recorder &recorder, QObject *parent)
    : QObject(parent), m_recorder(recorder), m_saveRetry(new QTimer(this))
{
    qRegisterMetaType<SaveOutcome>();
    m_saveRetry->setInterval(Recorder::kRetryMs);
    connect(m_saveRetry, &QTimer::timeout, this, &RunSession::retrySave);
}

bool RunSession::retryingSave() const
{
    return m_saveRetry->isActive();
}

void RunSession::start()
{
    if (running() && m_recorder.hasUnsavedRows())
        finish(End::NewRun);
    if (m_saveRetry->isActive())
        retrySave(); // the last chance before the table empties
    m_saveRetry->stop();
    const qint64 unsaved = m_recorder.unsavedRows();
    if (m_recorder.clearLosesNothing() || (m_clearQuestion && m_clearQuestion(unsaved))) {
        m_recorder.clear();
    } else {
        qCWarning(lcAcquire).noquote()
            << unsaved << "unsaved rows kept: the new run continues the table that holds them";
    }
    setState(State::Running);
    emit started();
}

SaveOutcome RunSession::save()
{
    if (m_saver)
        return m_saver();
    SaveOutcome outcome;
    outcome.result = SaveOutcome::Result::Failed;
    outcome.reason = QStringLiteral("no data folder to save to");
    return outcome;
}

void RunSession::retrySave()
{
    if (running() || !m_recorder.hasUnsavedRows()) {
        m_saveRetry->stop(); // a new run carries the rows on, or an export saved them
        return;
    }
    m_recorder.catchUpJournal();
    const SaveOutcome outcome = save();
    if (!outcome.written()) {
        if (outcome.reason != m_lastFailure)
            qCWarning(lcAcquire).noquote() << "run still not saved:" << outcome.reason;
        m_lastFailure = outcome.reason;
        // A disk that stays full is asked less often, down to once a minute.
        m_saveRetry->setInterval(qMin(m_saveRetry->interval() * 2, kLongestRetryMs));
        return;
    }
    m_saveRetry->stop();
    qCInfo(lcAcquire).noquote() << "run saved on a retry:" << outcome.path;
    emit savedOnRetry(outcome);
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
    m_recorder.catchUpJournal();
    const SaveOutcome outcome = save();
    setState(State::Idle);
    m_lastFailure = outcome.reason;
    if (outcome.result == SaveOutcome::Result::Failed && m_recorder.hasUnsavedRows())
        m_saveRetry->start(Recorder::kRetryMs);
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

void RunSession::instrumentAsks()
{
    m_laggingReports = 0;
    setLoadOn(false);
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
