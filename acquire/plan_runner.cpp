#include "acquire/plan_runner.h"

#include "acquire/acquire_log.h"
#include "acquire/acquisition.h"
#include "acquire/instrument_core.h"
#include "acquire/run_saving.h"
#include "record/clock.h"
#include "record/recorder.h"
#include "usb/device_link.h"
#include "usb/instrument_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

namespace acquire {

namespace {

constexpr double kFailsafeMarginVolts = 0.1;

QString outcomeName(PlanRunner::Outcome outcome)
{
    switch (outcome) {
    case PlanRunner::Outcome::Completed:
        return QStringLiteral("completed");
    case PlanRunner::Outcome::Limit:
        return QStringLiteral("limit");
    case PlanRunner::Outcome::Stopped:
        return QStringLiteral("stopped");
    case PlanRunner::Outcome::Fault:
        break;
    }
    return QStringLiteral("fault");
}

QString endName(RunSession::End why)
{
    switch (why) {
    case RunSession::End::Unplugged:
    case RunSession::End::InstrumentGone:
        return QStringLiteral("instrument lost");
    case RunSession::End::InstrumentStopped:
        return QStringLiteral("the instrument switched its load off");
    case RunSession::End::Signal:
    case RunSession::End::WindowClosed:
    case RunSession::End::SessionEnded:
        return QStringLiteral("the program is ending");
    case RunSession::End::Stopped:
        return QStringLiteral("stopped");
    default:
        return QStringLiteral("the run ended");
    }
}

QString isoTime(const QDateTime &t)
{
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace

PlanRunner::PlanRunner(InstrumentCore &core, QObject *parent)
    : QObject(parent), m_core(core),
      m_commands(std::make_unique<usb::InstrumentCommands>(
          &core.link(), [&core] { return core.link().currentAddress(); }))
{
    qRegisterMetaType<Outcome>();
    connect(&core.acquisition(), &Acquisition::stepped, this, &PlanRunner::examineReport);
    // The run ending under the plan (the instrument's own stop, its loss, the program closing)
    // ends the plan as a fault.
    connect(&core.session(), &RunSession::finished, this,
            [this](const SaveOutcome &saved, RunSession::End why) {
                if (!m_running || m_ending)
                    return;
                m_ending = true;
                m_outcome = why == RunSession::End::Stopped ? Outcome::Stopped : Outcome::Fault;
                m_endReason = endName(why);
                endStep(m_endReason);
                if (why != RunSession::End::Unplugged && why != RunSession::End::InstrumentGone)
                    setLoad(false);
                runEnded(saved);
            });
}

PlanRunner::~PlanRunner() = default;

bool PlanRunner::start(const plan::Plan &plan, QString *refusal)
{
    const DeviceLink &link = m_core.link();
    if (m_running) {
        *refusal = tr("a plan is already running");
        return false;
    }
    if (!link.deviceOpen() || !proto::knownFamily(link.familyCode())) {
        *refusal = tr("no instrument is identified");
        return false;
    }
    if (link.familyCode() == proto::Nv05Family) {
        *refusal = tr("%1 is a meter without a load: a plan needs an electronic load")
                       .arg(link.modelWord());
        return false;
    }
    m_plan = plan;
    m_results = QJsonArray();
    m_running = true;
    m_ending = false;
    m_modeSent = -1;
    m_outcome = Outcome::Completed;
    m_endReason.clear();
    // The instrument's own cut-off, a little below the plan's lowest voltage, catches the battery
    // should the program die; the plan's own limits act first.
    if (const double volts = plan.lowestVoltage() - kFailsafeMarginVolts; volts > 0)
        m_commands->dischargeStopVoltage(float(volts));
    m_core.session().start();
    m_core.session().recordWithLoadOff(); // the rests are part of the run
    qCInfo(lcAcquire) << "plan started:" << plan.steps.size() << "steps";
    beginStep(0);
    return true;
}

void PlanRunner::setLoad(bool on)
{
    m_core.session().requestLoad(on);
    m_commands->runLoad(on);
}

void PlanRunner::beginStep(int index)
{
    const plan::Step &step = m_plan.steps[index];
    m_stepIndex = index;
    m_secondLevel = false;
    m_stepStartMs = Clock::steadyMs();
    m_stepStart = Clock::now();
    m_capacityAtStart = total(proto::Quantity::Capacity);
    m_energyAtStart = total(proto::Quantity::Energy);
    if (step.kind == plan::Step::Kind::Rest) {
        setLoad(false);
    } else {
        const proto::WorkMode mode = step.kind == plan::Step::Kind::MeasureResistance
                                         ? proto::ModeConstantCurrent
                                         : step.mode;
        // Choosing a mode switches the load off: it is switched on again after the set-point.
        const bool modeChanged = m_modeSent != mode;
        if (modeChanged)
            m_commands->chooseWorkMode(mode);
        m_modeSent = mode;
        m_commands->setPoint(float(step.setPoint));
        if (modeChanged || !m_core.session().loadOn())
            setLoad(true);
    }
    qCInfo(lcAcquire).noquote() << "plan step" << index + 1 << ":" << step.text;
    emit stepStarted(index);
}

// The instrument's running count of q (capacity, energy) in the base unit (mAh, Wh).
double PlanRunner::total(proto::Quantity q) const
{
    const float value = sampleValuesOf(m_core.link().live())[size_t(q)];
    return proto::toBaseUnit(q, m_core.link().familyCode(), value);
}

double PlanRunner::elapsedSeconds() const
{
    return (Clock::steadyMs() - m_stepStartMs) / 1000.0;
}

QString PlanRunner::limitReached(const plan::Limit &limit) const
{
    const proto::LiveValues &v = m_core.link().live();
    // The probe's temperature, or the load's own when no probe is connected.
    const double temperature = v.ntcTemp > -30 ? v.ntcTemp : v.mosTemp;
    const double capacity = total(proto::Quantity::Capacity) - m_capacityAtStart;
    const double energy = total(proto::Quantity::Energy) - m_energyAtStart;
    switch (limit.watch) {
    case plan::Watch::VoltageBelow:
        return v.voltage <= limit.value ? QStringLiteral("voltage %1 V").arg(v.voltage) : QString();
    case plan::Watch::VoltageAbove:
        return v.voltage >= limit.value ? QStringLiteral("voltage %1 V").arg(v.voltage) : QString();
    case plan::Watch::CurrentBelow:
        return v.current <= limit.value ? QStringLiteral("current %1 A").arg(v.current) : QString();
    case plan::Watch::CurrentAbove:
        return v.current >= limit.value ? QStringLiteral("current %1 A").arg(v.current) : QString();
    case plan::Watch::CapacityAbove:
        return capacity >= limit.value ? QStringLiteral("capacity %1 mAh").arg(capacity) : QString();
    case plan::Watch::EnergyAbove:
        return energy >= limit.value ? QStringLiteral("energy %1 Wh").arg(energy) : QString();
    case plan::Watch::TemperatureAbove:
        return temperature >= limit.value ? QStringLiteral("temperature %1 °C").arg(temperature)
                                          : QString();
    }
    return QString();
}

void PlanRunner::examineReport()
{
    const DeviceLink &link = m_core.link();
    if (!m_running || m_ending || !link.lastStepMeasured())
        return;
    for (const plan::Limit &limit : m_plan.stopWhen) {
        const QString reached = limitReached(limit);
        if (!reached.isEmpty()) {
            stop(Outcome::Limit, QStringLiteral("stop when: ") + reached);
            return;
        }
    }
    const plan::Step &step = m_plan.steps[m_stepIndex];
    const proto::LiveValues &v = link.live();
    const double elapsed = elapsedSeconds();
    if (step.kind == plan::Step::Kind::MeasureResistance) {
        if (!m_secondLevel && elapsed >= step.seconds) {
            m_firstVolts = v.voltage;
            m_firstAmps = v.current;
            m_secondLevel = true;
            m_stepStartMs = Clock::steadyMs();
            m_commands->setPoint(float(step.secondSetPoint));
        } else if (m_secondLevel && elapsed >= step.secondSeconds) {
            endStep(QStringLiteral("time"));
        }
        return;
    }
    if (step.seconds > 0 && elapsed >= step.seconds) {
        endStep(QStringLiteral("time"));
        return;
    }
    // A load step's condition is read only from reports of the load running: the first report
    // after a step begins may still show the instrument as it was.
    const bool loadStep = step.kind == plan::Step::Kind::Load;
    if (step.hasLimit && (!loadStep || link.state().deviceRunning)) {
        const QString reached = limitReached(step.limit);
        if (!reached.isEmpty())
            endStep(reached);
    }
}

void PlanRunner::endStep(const QString &reason)
{
    if (m_stepIndex < 0 || m_stepIndex >= m_plan.steps.size())
        return;
    const plan::Step &step = m_plan.steps[m_stepIndex];
    const proto::LiveValues &v = m_core.link().live();
    QJsonObject result{
        {"step", m_stepIndex + 1},
        {"line", step.line},
        {"text", step.text},
        {"start", isoTime(m_stepStart)},
        {"end", isoTime(Clock::now())},
        {"reason", reason},
        {"capacity_mAh", total(proto::Quantity::Capacity) - m_capacityAtStart},
        {"energy_Wh", total(proto::Quantity::Energy) - m_energyAtStart},
    };
    if (step.kind == plan::Step::Kind::MeasureResistance && m_secondLevel) {
        const double deltaAmps = v.current - m_firstAmps;
        if (std::abs(deltaAmps) > 1e-6)
            result.insert("resistance_mOhm", (m_firstVolts - v.voltage) / deltaAmps * 1000);
    }
    m_results.append(result);
    qCInfo(lcAcquire).noquote() << "plan step" << m_stepIndex + 1 << "ended:" << reason;
    emit stepEnded(result);
    if (m_ending)
        return;
    if (m_stepIndex + 1 < m_plan.steps.size())
        beginStep(m_stepIndex + 1);
    else
        stop(Outcome::Completed, QStringLiteral("all steps done"));
}

void PlanRunner::skipStep()
{
    if (m_running && !m_ending)
        endStep(QStringLiteral("skipped"));
}

void PlanRunner::stop(Outcome outcome, const QString &why)
{
    if (!m_running || m_ending)
        return;
    m_ending = true;
    m_outcome = outcome;
    m_endReason = why;
    if (outcome != Outcome::Completed)
        endStep(why);
    setLoad(false);
    const std::optional<SaveOutcome> saved = m_core.session().finish(RunSession::End::Stopped);
    runEnded(saved.value_or(SaveOutcome{}));
}

void PlanRunner::runEnded(const SaveOutcome &saved)
{
    QString resultsPath;
    if (saved.written()) {
        const QFileInfo data(saved.path);
        resultsPath = data.dir().filePath(data.completeBaseName() + ".plan.json");
    } else {
        resultsPath = QDir(programDataFolder().path)
                          .filePath(Clock::now().toString("'Plan_'yyyy_MM_dd_hh_mm_ss'.plan.json'"));
    }
    QJsonObject result{{"plan", m_plan.text},
                       {"outcome", outcomeName(m_outcome)},
                       {"reason", m_endReason},
                       {"data_file", saved.written() ? saved.path : QString()},
                       {"steps", m_results}};
    QSaveFile file(resultsPath);
    if (QDir().mkpath(QFileInfo(resultsPath).path()) && file.open(QIODevice::WriteOnly) &&
        file.write(QJsonDocument(result).toJson()) >= 0 && file.commit()) {
        result.insert("results_file", resultsPath);
    } else {
        qCWarning(lcAcquire).noquote() << "plan results not written:" << resultsPath;
        result.insert("results_file", QString());
    }
    result.remove("steps");
    result.remove("plan");
    m_running = false;
    m_stepIndex = -1;
    qCInfo(lcAcquire).noquote() << "plan ended:" << outcomeName(m_outcome) << m_endReason;
    emit finished(result, m_outcome);
}

} // namespace acquire
