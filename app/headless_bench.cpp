#include "app/headless_bench.h"

#include "acquire/acquisition.h"
#include "acquire/instrument_core.h"
#include "acquire/lab_link_feed.h"
#include "acquire/run_saving.h"
#include "app/termination_signals.h"
#include "usb/bus_scan.h"
#include "usb/device_link.h"
#include "usb/hid_seam.h"

#include <QCoreApplication>
#include <QLoggingCategory>

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

int runHeadlessBench(const lablink::LinkSettings &labLink)
{
    HeadlessBench bench;
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &bench, [&bench](int n) {
        qCInfo(lcApp) << "signal" << n << "received: saving the run and ending";
        bench.finish(RunSession::End::Signal);
        QCoreApplication::exit(0);
    });
    bench.start(labLink);
    return QCoreApplication::exec();
}
