#pragma once
// Runs a test plan on the instrument core, in the window as in the headless bench: each step
// sends the frames the display page would (work mode, set-point, run/stop), and ends on the first
// measurement report that meets its condition, so the next frames go out within one poll cycle of
// the report that crossed. The whole plan is one recorded run; beside its data file go the
// results (same name, ".plan.json"). Stop, a "Stop when" limit, the instrument's own stop or its
// loss turn the load off and end the plan; nothing is sent after it ended.

#include "acquire/test_plan.h"
#include "record/data_file_saver.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>

#include <memory>

namespace usb {
class InstrumentCommands;
}

namespace acquire {

class InstrumentCore;

class PlanRunner : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Completed, // every step ran
        Limit,     // a "Stop when" limit held
        Stopped,   // the user's stop
        Fault      // the instrument stopped by itself or went, or the program is ending
    };

    explicit PlanRunner(InstrumentCore &core, QObject *parent = nullptr);
    ~PlanRunner() override;

    // Starts `plan` on the identified instrument; false with the reason when it cannot run
    // (no instrument, a meter without a load, a plan already running).
    bool start(const plan::Plan &plan, QString *refusal);
    bool running() const { return m_running; }
    const plan::Plan &plan() const { return m_plan; }
    int currentStep() const { return m_stepIndex; }
    // Ends the plan: the load goes off, the run is saved with its results.
    void stop(Outcome outcome, const QString &why);
    void skipStep();

signals:
    void stepStarted(int index);
    // One JSON object per ended step, and one for the plan with the results file's path.
    void stepEnded(const QJsonObject &result);
    void finished(const QJsonObject &result, acquire::PlanRunner::Outcome outcome);

private:
    void examineReport();
    void beginStep(int index);
    void endStep(const QString &reason);
    void runEnded(const SaveOutcome &saved);
    void setLoad(bool on);
    double elapsedSeconds() const;
    double total(proto::Quantity q) const;
    QString limitReached(const plan::Limit &limit) const;

    InstrumentCore &m_core;
    std::unique_ptr<usb::InstrumentCommands> m_commands;
    plan::Plan m_plan;
    bool m_running = false;
    bool m_ending = false;
    int m_stepIndex = -1;
    bool m_secondLevel = false; // the resistance step's second current
    qint64 m_stepStartMs = 0;
    QDateTime m_stepStart;
    double m_capacityAtStart = 0, m_energyAtStart = 0; // mAh, Wh
    double m_firstVolts = 0, m_firstAmps = 0;           // the resistance step's first level
    QJsonArray m_results;
    int m_modeSent = -1;
    Outcome m_outcome = Outcome::Completed;
    QString m_endReason;
};

} // namespace acquire

Q_DECLARE_METATYPE(acquire::PlanRunner::Outcome)
