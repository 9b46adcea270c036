#pragma once
// The program's command line: what to do, or the text to print and the status to exit with.
// Parsing prints nothing, so tests read the texts; main() prints them. Options added later go
// into CommandLine and parseCommandLine() side by side.

#include <QString>
#include <QStringList>

struct CommandLine
{
    bool run = true;   // false: print `text` and exit with exitCode
    int exitCode = 0;  // 0 after --help or --version, 2 after a wrong command line
    QString text;      // help or version for standard output, or error and usage for stderr
    bool parsed = false; // the options were known: an error is final, not one of Qt's options
    bool demo = false; // --demo[=SETUP]: the simulated instrument instead of USB hardware
    QString demoSetup; // empty: the default instrument
    bool verbose = false;
    bool headless = false; // --headless: no window; runs follow the instrument's load
    QString mqttUrl;       // --mqtt URL: the lab link's broker, over the settings file's
    QString mqttCa;        // --mqtt-ca FILE
    QString planFile;      // --plan FILE, with --headless
    QStringList runFiles;  // recorded runs to open in the viewer, or to summarise
    bool summary = false;  // --summary: one line per run of runFiles on standard output
    bool json = false;     // --json: the summary as JSON lines instead of CSV
    QString usage;         // for an option value found wrong after parsing
};

// arguments: as QCoreApplication::arguments() gives them, the program's name first. Qt's own
// options (-platform, -style, ...) are passed over, so the result is the same before and after
// a QApplication has taken them out.
CommandLine parseCommandLine(const QStringList &arguments, const QString &version);
