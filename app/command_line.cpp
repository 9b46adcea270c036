#include "app/command_line.h"

#include <QCommandLineParser>

#include <algorithm>
#include <iterator>

namespace {

// Qt's own options, which QGuiApplication and QApplication take out of the arguments: the first
// parse, made before either exists, passes over them as they will.
const char *const kQtOptionsWithValue[] = {"platform",        "platformpluginpath",
                                           "platformtheme",   "plugin",
                                           "qwindowgeometry", "geometry",
                                           "qwindowicon",     "icon",
                                           "qwindowtitle",    "title",
                                           "display",         "name",
                                           "session",         "style",
                                           "stylesheet"};
const char *const kQtFlags[] = {"reverse", "nograb", "dograb", "widgetcount", "testability"};

// --help-all: the usage, then the Qt options that the program passes on.
QString qtOptionsText()
{
    QStringList names;
    for (const char *option : kQtOptionsWithValue)
        names << QStringLiteral("-%1 <value>").arg(QLatin1String(option));
    for (const char *flag : kQtFlags)
        names << QStringLiteral("-%1").arg(QLatin1String(flag));
    return QStringLiteral("\nQt options, passed on to Qt:\n  ") +
           names.join(QStringLiteral("\n  ")) + QLatin1Char('\n');
}

QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList kept;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString name = argument;
        if (i == 0 || !name.startsWith('-')) {
            kept << argument;
            continue;
        }
        name.remove(0, name.startsWith(QLatin1String("--")) ? 2 : 1);
        const bool joined = name.contains('=');
        name = name.section('=', 0, 0);
        if (name == QLatin1String("qmljsdebugger") && joined)
            continue;
        if (std::any_of(std::begin(kQtFlags), std::end(kQtFlags),
                        [&name](const char *flag) { return name == QLatin1String(flag); }))
            continue;
        if (std::any_of(std::begin(kQtOptionsWithValue), std::end(kQtOptionsWithValue),
                        [&name](const char *option) { return name == QLatin1String(option); })) {
            if (!joined)
                ++i; // its value
            continue;
        }
        kept << argument;
    }
    return kept;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments, const QString &version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Companion program for USB electronic loads and power testers."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption versionOption({"v", "version"},
                                           QStringLiteral("Displays version information."));
    parser.addOption(versionOption);
    const QCommandLineOption demo(
        "demo",
        QStringLiteral(
            "Talks to a simulated instrument instead of USB hardware; =SETUP, if given, "
            "chooses the model and bus addresses, e.g. NV05 or HK07:2,5 (default HK07 at "
            "address 1)."),
        "SETUP");
    parser.addOption(demo);
    const QCommandLineOption verbose("verbose",
                                     QStringLiteral("Prints the debug log to standard error."));
    parser.addOption(verbose);
    const QCommandLineOption headless(
        "headless",
        QStringLiteral("Runs without a window, for a computer beside a bench: records the runs the "
                       "instrument starts and stops, saves them as the window would, publishes "
                       "to the lab link when a broker is set, and logs to standard error. "
                       "SIGTERM, SIGINT or SIGHUP save a running run and end it."));
    parser.addOption(headless);
    // The lab link's broker, over the settings file's; main() checks the values with the lab
    // link's own grammar.
    const QCommandLineOption mqtt(
        "mqtt",
        QStringLiteral("Publishes readings and run events to this MQTT broker "
                       "(mqtt://[user[:password]@]host[:port][/prefix], mqtts:// for TLS), over "
                       "the settings file's choice. A password given here is visible to other "
                       "users of this computer: prefer the settings file."),
        "URL");
    parser.addOption(mqtt);
    const QCommandLineOption mqttCa(
        "mqtt-ca", QStringLiteral("The certificate authority of an mqtts:// broker."), "FILE");
    parser.addOption(mqttCa);
    const QCommandLineOption plan(
        "plan",
        QStringLiteral("With --headless: runs this test plan once the instrument is identified, "
                       "prints one JSON line per step and one for the plan, and exits 0 when the "
                       "plan ended normally, 3 when a fault ended it."),
        "FILE");
    parser.addOption(plan);
    const QCommandLineOption summary(
        "summary",
        QStringLiteral("Prints one line per run of each FILE (file, run, start, duration, rows, "
                       "first and last voltage, mean current, peak power, capacity, energy) as "
                       "CSV, and opens no window. A file that cannot be read is named on "
                       "standard error and the exit status is 1."));
    parser.addOption(summary);
    const QCommandLineOption json("json", QStringLiteral("With --summary: JSON lines, not CSV."));
    parser.addOption(json);
    parser.addPositionalArgument(
        "FILE", QStringLiteral("Recorded runs (data files or journals) to open in the viewer."),
        "[FILE...]");

    // "--demo" alone is allowed: the parser itself knows only options with a value or without.
    QStringList normalized = withoutQtOptions(arguments);
    for (QString &argument : normalized) {
        if (argument == "--demo" || argument == "-demo")
            argument = "--demo=";
    }

    CommandLine result;
    const QString usage = parser.helpText();
    result.usage = usage;
    if (!parser.parse(normalized)) {
        result.run = false;
        result.exitCode = 2;
        result.text = parser.errorText() + "\n\n" + usage;
        return result;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result.run = false;
        result.text = parser.isSet(help) ? usage : usage + qtOptionsText();
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.run = false;
        result.text = QStringLiteral("usb-tester %1\n").arg(version);
        return result;
    }
    result.parsed = true;
    result.demo = parser.isSet(demo);
    result.demoSetup = parser.value(demo);
    result.verbose = parser.isSet(verbose);
    result.headless = parser.isSet(headless);
    result.mqttUrl = parser.value(mqtt);
    result.mqttCa = parser.value(mqttCa);
    result.planFile = parser.value(plan);
    if (!result.planFile.isEmpty() && !result.headless) {
        result.run = false;
        result.exitCode = 2;
        result.text = QStringLiteral("usb-tester: --plan needs --headless\n\n") + parser.helpText();
        return result;
    }
    result.runFiles = parser.positionalArguments();
    result.summary = parser.isSet(summary);
    result.json = parser.isSet(json);
    const auto wrong = [&](const QString &what) {
        result.run = false;
        result.exitCode = 2;
        result.text = what + "\n\n" + usage;
        return result;
    };
    if (result.json && !result.summary)
        return wrong(QStringLiteral("--json goes with --summary."));
    if (result.summary && result.runFiles.isEmpty())
        return wrong(QStringLiteral("--summary needs at least one FILE."));
    if (result.summary && result.headless)
        return wrong(QStringLiteral("--summary and --headless do not go together."));
    return result;
}
