#include "app/crash_notice.h"
#include "app/command_line.h"
#include "crash/crash_reporter.h"
#include "app/first_paint_probe.h"
#include "app/headless_bench.h"
#include "app/journal_prefix.h"
#include "app/lab_link_wiring.h"
#include "lablink/link_settings.h"
#include "record/file_name_codec.h"
#include "record/local_zone.h"
#include "app/main_dialog.h"
#include "acquire/run_session.h"
#include "review/run_viewer.h"
#include "review/summary_lines.h"
#include "sim/simulated_bus.h"
#include "app/termination_signals.h"
#include "ui/window_fit.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPalette>
#include <QRegularExpression>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <memory>

Q_LOGGING_CATEGORY(lcMain, "app.main")

namespace {

void applyStyleSheet(QApplication &app)
{
    QFile file(":/qss/psblack.css");
    if (!file.open(QFile::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromLatin1(bytes.constData(),
                                             int(qstrnlen(bytes.constData(), uint(bytes.size()))));
    // The base colour the style sheet names in its QPalette rule also paints what it never styles.
    const QRegularExpressionMatch base =
        QRegularExpression("QPalette\\{background:(#[0-9A-Fa-f]{6})").match(text);
    if (base.hasMatch())
        app.setPalette(QPalette(QColor(base.captured(1))));
    app.setStyleSheet(text);
    file.close();
}

// The simulated instrument of --demo=SETUP as the HID backend; false after a bad SETUP (told,
// with the usage).
bool installSimulator(const CommandLine &commandLine, std::unique_ptr<sim::SimulatedBus> *simulator)
{
    if (!commandLine.demo)
        return true;
    sim::BusConfig config;
    QString error;
    if (!sim::parseDemoOption(commandLine.demoSetup, config, &error)) {
        std::fprintf(stderr, "usb-tester: bad --demo value '%s': %s\n\n%s",
                     qPrintable(commandLine.demoSetup), qPrintable(error),
                     qPrintable(commandLine.usage));
        return false;
    }
    if (simulator) {
        *simulator = std::make_unique<sim::SimulatedBus>(config);
        hid::setBackend(simulator->get());
    }
    return true;
}

// The lab link's settings: the settings file's, with the command line's broker over them.
bool labLinkSettings(const CommandLine &commandLine, lablink::LinkSettings *settings)
{
    *settings = lablink::loadLinkSettings();
    QString error;
    if (lablink::applyBrokerOptions(commandLine.mqttUrl, commandLine.mqttCa, settings, &error))
        return true;
    std::fprintf(stderr, "usb-tester: %s\n\n%s", qPrintable(error), qPrintable(commandLine.usage));
    return false;
}

void applyVerbosity(const CommandLine &commandLine)
{
    if (commandLine.verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true\nqt.*.debug=false"));
}

int printSummaries(const CommandLine &commandLine)
{
    const auto print = [](std::FILE *stream) {
        return [stream](const QByteArray &line) {
            std::fwrite(line.constData(), 1, size_t(line.size()), stream);
        };
    };
    const int status = review::summariseFiles(
        commandLine.runFiles,
        commandLine.json ? review::SummaryFormat::JsonLines : review::SummaryFormat::Csv,
        print(stdout), print(stderr));
    std::fflush(stdout);
    return status;
}

// The whole command line is checked before any GUI object exists: help, version, a wrong option
// or value, the summary and the headless bench need no display, and a wrong option never gets as
// far as a display connection that could abort. True when the program is done, with its status.
bool ranWithoutDisplay(int argc, char *argv[], int *status)
{
    int count = argc;
    QCoreApplication core(count, argv); // the parser's help text needs one
    const CommandLine early =
        parseCommandLine(core.arguments(), QStringLiteral(USB_TESTER_VERSION));
    if (!early.run) {
        std::fputs(qPrintable(early.text), early.exitCode == 0 ? stdout : stderr);
        *status = early.exitCode;
        return true;
    }
    if (early.headless) {
        core.setApplicationVersion(QStringLiteral(USB_TESTER_VERSION));
        applyVerbosity(early);
        if (!early.runFiles.isEmpty())
            std::fputs("usb-tester: --headless opens no recorded runs; files ignored\n", stderr);
        std::unique_ptr<sim::SimulatedBus> simulator;
        lablink::LinkSettings labLink;
        *status = 2;
        if (installSimulator(early, &simulator) && labLinkSettings(early, &labLink))
            *status = runHeadlessBench(labLink, early.planFile);
        hid::setBackend(nullptr);
        return true;
    }
    if (early.summary) {
        *status = printSummaries(early);
        return true;
    }
    lablink::LinkSettings labLink;
    if (installSimulator(early, nullptr) && labLinkSettings(early, &labLink))
        return false;
    *status = 2;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    crash::installCrashReporter();
#ifdef SIGXFSZ
    // Past a file size limit (ulimit -f) a write then fails with EFBIG, which the recorder handles
    // like a full disk, instead of the signal ending the program silently and unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    LocalZonePin localZone; // before any thread starts
    QElapsedTimer sinceMain;
    sinceMain.start();
    // The debug log stays off unless asked for (--verbose, or QT_LOGGING_RULES, which wins).
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    // Before any argument or file name is decoded.
    FileNameCodec::install();
    app::prefixLogForJournal();
    int status = 0;
    if (ranWithoutDisplay(argc, argv, &status))
        return status;
    QApplication app(argc, argv);
    const CommandLine commandLine =
        parseCommandLine(app.arguments(), QStringLiteral(USB_TESTER_VERSION));
    if (!commandLine.run) {
        std::fputs(qPrintable(commandLine.text), commandLine.exitCode == 0 ? stdout : stderr);
        return commandLine.exitCode;
    }
    applyVerbosity(commandLine);
    localZone.refreshEvery();
    app.setApplicationVersion(QStringLiteral(USB_TESTER_VERSION));
    applyStyleSheet(app);
    installFontSubstitutes();
    app.setFont(QFont("Microsoft Yahei", 9));

    std::unique_ptr<sim::SimulatedBus> simulator;
    lablink::LinkSettings labLink;
    if (!installSimulator(commandLine, &simulator) || !labLinkSettings(commandLine, &labLink))
        return 2;

    int result = 0;
    {
        MainDialog dialog;
        dialog.labLink().start(labLink);
        // Ended from outside (kill, logout, shutdown) or by the desktop session: the running run
        // is saved as a stop saves it, and the program ends normally.
        using End = acquire::RunSession::End;
        TerminationSignals terminations;
        QObject::connect(&terminations, &TerminationSignals::received, &dialog, [&dialog](int n) {
            qCInfo(lcMain) << "signal" << n << "received: saving the run and ending";
            dialog.runSession().finish(End::Signal);
            QCoreApplication::exit(0);
        });
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &dialog,
                         [&dialog] { dialog.runSession().finish(End::SessionEnded); });
        FirstPaintProbe probe(sinceMain);
        if (qEnvironmentVariableIsSet("USB_TESTER_QUIT_AFTER_PAINT"))
            dialog.installEventFilter(&probe);
        dialog.show();
        showCrashNotice(&dialog);
        if (!commandLine.runFiles.isEmpty())
            review::showRunViewer(&dialog, commandLine.runFiles);
        result = app.exec();
    }
    hid::setBackend(nullptr);
    return result;
}
