#include "app/headless_bench.h"

#include "acquire/acquisition.h"
#include "acquire/instrument_core.h"
#include "acquire/lab_link_feed.h"
#include "acquire/plan_runner.h"
#include "acquire/run_saving.h"
#include "app/crash_notice.h"
#include "app/termination_signals.h"
#include "usb/bus_scan.h"
#include "usb/device_link.h"
#include "usb/hid_seam.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>

#include <cstdio>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

using acquire::InstrumentCore;
using acquire::RunSession;

HeadlessBench::HeadlessBench(QObject *parent)
    : QObject(parent), m_core(new InstrumentCore(this))
{
    m_core->acquisition().setRunStartsWithLoad(true);
    const DeviceLink &link = m_core->link();
    connect(&m_core->session(), &RunSession::started, this, [&link] {
        qCInfo(lcApp).noquote() << "run started on" << acquire::identityOf(link);
    });
    connect(&m_core->session(), &RunSession::finished, this, [](const SaveOutcome &outcome) {
        if (outcome.written())
            qCInfo(lcApp).noquote() << "run saved:" << outcome.path;
    });

    connect(m_core, &InstrumentCore::connected, this, [](const QString &name) {
        qCInfo(lcApp).noquote() << "instrument connected:" << name;
    });
    connect(m_core, &InstrumentCore::openFailed, this, [] {
        qCWarning(lcApp).noquote()
            << "instrument cannot be opened:" << hid::backend().lastOpenError();
    });
    connect(m_core, &InstrumentCore::identified, this, [this, &link] {
        const int found = m_core->busScan().instruments().size();
        if (found == 0)
            qCWarning(lcApp) << "no instrument answered on the bus";
        else
            qCInfo(lcApp).noquote() << "instrument" << acquire::identityOf(link) << "of" << found
                                    << "on the bus";
    });
    connect(m_core, &InstrumentCore::lost, this,
            [] { qCWarning(lcApp) << "instrument unplugged; waiting for it to come back"; });
}

void HeadlessBench::start(const lablink::LinkSettings &labLink)
{
    logUnseenCrash();
    qCInfo(lcApp).noquote() << "headless: runs are saved in" << acquire::programDataFolder().path;
    for (const RecoveredRun &run : m_core->recoverEarlierRuns())
        qCInfo(lcApp).noquote() << "run recovered from" << run.journal << ":"
                                << run.save.labelText();
    m_core->startLabLink(labLink);
    if (!m_core->start())
        qCInfo(lcApp) << "waiting for the instrument";
}

void HeadlessBench::finish(RunSession::End why)
{
    m_core->finish(why);
}

namespace {

constexpr int kPlanFault = 3;

void printJsonLine(const QJsonObject &object)
{
    std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).append('\n').constData(),
               stdout);
    std::fflush(stdout);
}

bool readPlan(const QString &path, plan::Plan *plan)
{
    QFile file(path);
    QString error;
    if (!file.open(QIODevice::ReadOnly))
        error = file.errorString();
    else if (plan::parsePlan(QString::fromUtf8(file.readAll()), plan, &error))
        return true;
    std::fprintf(stderr, "usb-tester: %s: %s\n", qPrintable(path), qPrintable(error));
    return false;
}

} // namespace

// The plan begins once the instrument is identified and ends the bench with its outcome.
void HeadlessBench::runPlan(const plan::Plan &plan)
{
    acquire::PlanRunner *runner = &m_core->plans();
    connect(runner, &acquire::PlanRunner::stepEnded, this, printJsonLine);
    connect(runner, &acquire::PlanRunner::finished, this,
            [this](const QJsonObject &result, acquire::PlanRunner::Outcome outcome) {
                printJsonLine(result);
                const bool normal = outcome == acquire::PlanRunner::Outcome::Completed ||
                                    outcome == acquire::PlanRunner::Outcome::Limit;
                finish(RunSession::End::Stopped);
                QCoreApplication::exit(normal ? 0 : kPlanFault);
            });
    connect(m_core, &InstrumentCore::identified, runner, [this, runner, plan] {
        if (runner->running() || m_planStarted)
            return;
        QString refusal;
        m_planStarted = true;
        if (!runner->start(plan, &refusal)) {
            qCWarning(lcApp).noquote() << "plan refused:" << refusal;
            finish(RunSession::End::Stopped);
            QCoreApplication::exit(kPlanFault);
        }
    });
}

void HeadlessBench::endPlan(int signal)
{
    if (m_core->plans().running())
        m_core->plans().stop(acquire::PlanRunner::Outcome::Fault,
                           QStringLiteral("signal %1").arg(signal));
}

int runHeadlessBench(const lablink::LinkSettings &labLink, const QString &planFile)
{
    plan::Plan plan;
    if (!planFile.isEmpty() && !readPlan(planFile, &plan))
        return kPlanFault;
    HeadlessBench bench;
    TerminationSignals terminations;
    const bool withPlan = !planFile.isEmpty();
    QObject::connect(&terminations, &TerminationSignals::received, &bench,
                     [&bench, withPlan](int n) {
                         qCInfo(lcApp) << "signal" << n << "received: saving the run and ending";
                         bench.endPlan(n); // the load goes off first
                         bench.finish(RunSession::End::Signal);
                         QCoreApplication::exit(withPlan ? kPlanFault : 0);
                     });
    if (withPlan)
        bench.runPlan(plan);
    bench.start(labLink);
    return QCoreApplication::exec();
}
