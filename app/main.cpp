#include "crash_reporter.h"
#include "link_settings.h"
#include "main_dialog.h"
#include "run_session.h"
#include "simulated_bus.h"
#include "termination_signals.h"
#include "window_fit.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPalette>
#include <QTextCodec>
#include <QTextStream>

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
    app.setPalette(QPalette(QColor(text.mid(20, 7))));
    app.setStyleSheet(text);
    file.close();
}

// "--demo" or "--demo=SPEC" attaches the simulated instrument instead of real hardware.
bool demoRequested(const QStringList &arguments, QString *spec)
{
    for (const QString &argument : arguments) {
        if (argument == "--demo")
            return true;
        if (argument.startsWith("--demo=")) {
            *spec = argument.mid(7);
            return true;
        }
    }
    return false;
}

// For the start-up benchmark: USB_TESTER_QUIT_AFTER_PAINT=1 prints the time from main() to the
// window's first paint and quits.
class FirstPaintProbe : public QObject
{
public:
    explicit FirstPaintProbe(const QElapsedTimer &sinceMain) : m_sinceMain(sinceMain) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("first-paint-ms %.1f epoch-ms %lld\n", m_sinceMain.nsecsElapsed() / 1e6,
                        QDateTime::currentMSecsSinceEpoch());
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer &m_sinceMain;
    bool m_done = false;
};

} // namespace

int main(int argc, char *argv[])
{
    crash::installCrashReporter();
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf-8"));
    applyStyleSheet(app);
    installFontSubstitutes();
    app.setFont(QFont("Microsoft Yahei", 9));

    std::unique_ptr<sim::SimulatedBus> simulator;
    QString demoSpec;
    if (demoRequested(app.arguments(), &demoSpec)) {
        sim::BusConfig config;
        QString error;
        if (!sim::parseDemoOption(demoSpec, config, &error)) {
            std::fprintf(stderr, "usb-tester: bad --demo value '%s': %s\n", qPrintable(demoSpec),
                         qPrintable(error));
            return 2;
        }
        simulator = std::make_unique<sim::SimulatedBus>(config);
        hid::setBackend(simulator.get());
    }

    lablink::LinkSettings labLink = lablink::loadLinkSettings();
    QString labLinkError;
    if (!lablink::settingsFromArguments(app.arguments(), &labLink, &labLinkError)) {
        std::fprintf(stderr, "usb-tester: %s\n", qPrintable(labLinkError));
        return 2;
    }

    int result = 0;
    {
        MainDialog dialog;
        dialog.startLabLink(labLink);
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
        result = app.exec();
    }
    hid::setBackend(nullptr);
    return result;
}
