#pragma once
// The run: the one place that says whether a run is being recorded, and whether the instrument's
// load is on. Pages and the chart read it and follow its signals; only the acquisition and the
// user's run button (through start/finish and the load requests) change it.
//
// Nothing clears a recorded run without saving it: a new run saves a running run's unsaved rows
// first, and a run ends (stop, unplug, another instrument, window closed, signal, session end)
// only through finish(), which saves it once. A run that has been saved is not saved again.
// A save that fails is tried again after a few seconds, then less and less often (space may come
// back), and once more when the next run starts. Rows that are still unsaved then, and that no
// journal keeps, are cleared only with the user's word (the clear question); without it, the new
// run continues the table.

#include "record/data_file_saver.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class Recorder;
Q_DECLARE_METATYPE(SaveOutcome)

namespace acquire {

class RunSession : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Idle,
        Running,
        Saving
    };
    enum class End
    {
        Stopped,        // the run button
        NewRun,         // a new run began while this one ran
        Unplugged,      // the instrument's cable went
        InstrumentGone, // a bus scan found another instrument, or none
        WindowClosed,
        Signal,           // SIGTERM, SIGINT, SIGHUP
        SessionEnded,     // the desktop session is ending
        InstrumentStopped // the instrument switched its load off by itself
    };
    Q_ENUM(End)

    // The save a finished run gets: the recorded run's data file, or why not.
    using Saver = std::function<SaveOutcome()>;
    // Asks whether unsaved rows that no journal keeps may go; the text says what would be lost.
    using ClearQuestion = std::function<bool(qint64 rows)>;

    static constexpr int kLongestRetryMs = 60000;

    explicit RunSession(Recorder &recorder, QObject *parent = nullptr);

    void setSaver(Saver saver) { m_saver = std::move(saver); }
    // Without a question (the headless bench) such rows are never cleared.
    void setClearQuestion(ClearQuestion question) { m_clearQuestion = std::move(question); }
    bool retryingSave() const;

    State state() const { return m_state; }
    bool running() const { return m_state == State::Running; }
    // The instrument's load as it last reported it, or as the user last asked for it.
    bool loadOn() const { return m_loadOn; }

    // A new run: a running run with unsaved rows is finished (saved) first; then the recorded
    // table empties (see the clear question) and started() lets the chart begin a new window.
    void start();
    // Ends a running run and saves it. Nothing (no outcome) when no run is running, or when an
    // empty run ends other than by the run button.
    std::optional<SaveOutcome> finish(End why);

    // The load as the instrument reported it.
    void setLoadOn(bool on);
    // The load as the user asked for it. The next reports may still show the load as it was: up
    // to two measurement reports that disagree are the request's lag (reportLagsRequest() says
    // true and counts them), until one agrees.
    void requestLoad(bool on);
    bool reportLagsRequest(bool reportedOn);
    bool loadRequestPending() const { return m_laggingReports > 0; }
    // The instrument answered a start by asking the battery-test question: the request is
    // taken, and the load stays off until the user's answer starts it. The run goes on.
    void instrumentAsks();
    // For this run only (a test plan's rests): rows are recorded while the load is off too.
    void recordWithLoadOff() { m_recordsWithLoadOff = true; }
    bool recordsWithLoadOff() const { return m_recordsWithLoadOff; }

signals:
    void stateChanged(acquire::RunSession::State state);
    void loadChanged(bool on);
    void started();
    // After every finish that saved or tried to: what the status line and the log tell.
    void finished(const SaveOutcome &outcome, acquire::RunSession::End why);
    // A finished run whose save had failed is now in its data file.
    void savedOnRetry(const SaveOutcome &outcome);

private:
    void setState(State state);
    SaveOutcome save();
    void retrySave();

    Recorder &m_recorder;
    Saver m_saver;
    ClearQuestion m_clearQuestion;
    QTimer *m_saveRetry;
    QString m_lastFailure; // the reason of the last failed retry, told once
    State m_state = State::Idle;
    bool m_loadOn = false;
    int m_laggingReports = 0;
    bool m_recordsWithLoadOff = false;
};

} // namespace acquire
