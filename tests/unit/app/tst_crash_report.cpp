// Crash reports: child programs crash on purpose and the test reads the report each one left.

#include "../../support/temp_workdir.h"
#include "sim_config.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

// Runs the program in the current directory and returns the signal that ended it (0 if none).
int terminatingSignal(const QString &program, const QStringList &arguments)
{
    QList<QByteArray> storage{QFile::encodeName(program)};
    for (const QString &a : arguments)
        storage.append(a.toLocal8Bit());
    QVector<char *> argv;
    for (QByteArray &s : storage)
        argv.append(s.data());
    argv.append(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

QString readReport()
{
    QFile file("MyApp/crash.log");
    return file.open(QFile::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The value of a register in the report's register lines, or an empty string.
QString registerValue(const QString &report, const QString &name)
{
    const QString registers = report.section("\nRegisters: ", 1).section("\nCall Stack:", 0, 0);
    const auto m = QRegularExpression("(?:^|  )" + name + ": +([0-9A-F]{16})(?=  |$)",
                                      QRegularExpression::MultilineOption)
                       .match(registers);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

class TestCrashReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const rlimit noCore = {0, 0}; // the children's default action needs no core files
        setrlimit(RLIMIT_CORE, &noCore);
    }

    void reportOfEachCrash_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("accessLine"); // regular expression; empty: no such line
        QTest::addColumn<bool>("faultInProgram");
        QTest::addColumn<int>("programFrames"); // at least this many frames in the program
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("earlierReport"); // else the MyApp folder does not exist yet

        const QString write = "Write Address:  ";
        QTest::newRow("null write")
            << "null-write" << SIGSEGV << write + "0000000000000000" << true << 2 << "" << false;
        QTest::newRow("unmapped read")
            << "read-unmapped" << SIGSEGV << "Read Address:  000000000000FFF0" << true << 2 << ""
            << true;
        QTest::newRow("stack overflow")
            << "stack-overflow" << SIGSEGV << write + "[0-9A-F]{16}" << true << 60 << "" << true;
        QTest::newRow("division by zero")
            << "divide-by-zero" << SIGFPE << "" << true << 2 << "" << false;
        QTest::newRow("illegal instruction")
            << "illegal-instruction" << SIGILL << "" << true << 1 << "" << true;
        QTest::newRow("abort") << "abort" << SIGABRT << "" << false << 1 << "" << false;
        QTest::newRow("uncaught exception")
            << "uncaught-exception" << SIGABRT << "" << false << 2
            << "C++ Exception:  std::runtime_error, what(): disk on fire" << true;
    }

    void reportOfEachCrash()
    {
        QFETCH(QString, mode);
        QFETCH(int, signal);
        QFETCH(QString, accessLine);
        QFETCH(bool, faultInProgram);
        QFETCH(int, programFrames);
        QFETCH(QString, note);
        QFETCH(bool, earlierReport);
        TempWorkDir dir;
        if (earlierReport) {
            QVERIFY(QDir().mkdir("MyApp"));
            QFile old("MyApp/crash.log");
            QVERIFY(old.open(QFile::WriteOnly));
            old.write(QByteArray("earlier report\n").repeated(4000));
        }

        QCOMPARE(terminatingSignal(CRASH_CHILD, {mode}), signal);
        const QString report = readReport();
        const QStringList lines = report.split('\n');
        QVERIFY2(lines.size() > 12, qPrintable(report));
        QVERIFY(!report.contains("earlier report"));

        QVERIFY(QRegularExpression("^Linux:  \\S+, .+, Machine \\S+$").match(lines[0]).hasMatch());
        QCOMPARE(lines[1], "Process:  " + QFileInfo(CRASH_CHILD).canonicalFilePath());
        const auto addr =
            QRegularExpression("^Exception Addr:  ([0-9A-F]{16})   Module: (.+)$").match(lines[2]);
        QVERIFY2(addr.hasMatch(), qPrintable(lines[2]));
        QCOMPARE(addr.captured(2) == QFileInfo(CRASH_CHILD).canonicalFilePath(), faultInProgram);
        QVERIFY(lines[3].startsWith(QString::asprintf("Exception Code:  %08X  SIG", signal)));
        const bool hasAccessLine =
            QRegularExpression("^(Read|Write) Address:").match(lines[4]).hasMatch();
        QCOMPARE(hasAccessLine, !accessLine.isEmpty());
        if (hasAccessLine)
            QVERIFY2(QRegularExpression("^" + accessLine + "$").match(lines[4]).hasMatch(),
                     qPrintable(lines[4]));
        QCOMPARE(report.contains("\nC++ Exception:"), !note.isEmpty());
        QVERIFY(report.contains(note));
        QVERIFY(report.contains(QRegularExpression("\nInstruction: ( [0-9A-F]{2}){16}\n")));

        for (const char *name : {"RAX", "RBX", "RCX", "RDX", "RSI", "RDI", "RSP", "RBP", "R8", "R9",
                                 "R10", "R11", "R12", "R13", "R14", "R15", "RFlags"})
            QVERIFY2(!registerValue(report, name).isEmpty(), name);
        QCOMPARE(registerValue(report, "RIP"), addr.captured(1));

        // The stack starts at the faulting instruction and reaches the program's own code.
        const QStringList stack =
            report.section("Call Stack:\n", 1).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!stack.isEmpty());
        QCOMPARE(stack.first().left(16), addr.captured(1));
        int ownFrames = 0;
        for (const QString &frame : stack) {
            QVERIFY2(QRegularExpression("^[0-9A-F]{16}  \\S").match(frame).hasMatch(),
                     qPrintable(frame));
            ownFrames += frame.endsWith("  " + QFileInfo(CRASH_CHILD).canonicalFilePath());
        }
        QVERIFY2(ownFrames >= programFrames, qPrintable(report));
    }

    // The program itself, running with the simulated instrument, sent SIGSEGV from outside.
    void programLeavesReportAndEnds()
    {
        TempWorkDir dir;
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(USB_TESTER, {"--demo", "--verbose"}); // the serial is a debug line
        QVERIFY(program.waitForStarted());
        // Running: the connection watcher has opened the simulated instrument and logged its
        // serial number.
        const QByteArray serial = sim::BusConfig().serialNumber.toLatin1();
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += program.readAll()).contains(serial) ||
                                     program.state() != QProcess::Running,
                                 20000);
        QVERIFY2(program.state() == QProcess::Running, output.constData());
        ::kill(pid_t(program.processId()), SIGSEGV);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QCOMPARE(program.exitCode(), SIGSEGV); // on a crash, the signal that ended it

        const QString report = readReport();
        QVERIFY(report.startsWith("Linux:  "));
        QVERIFY(report.contains("\nProcess:  " + QFileInfo(USB_TESTER).canonicalFilePath() + "\n"));
        QVERIFY(report.contains("\nException Code:  0000000B  SIGSEGV\n"));
        // Sent, not a fault of the program: no faulting address to name.
        QVERIFY(!report.contains(QRegularExpression("\n(Read|Write) Address:")));
        QVERIFY(report.contains("\nCall Stack:\n"));
    }
};

QTEST_GUILESS_MAIN(TestCrashReport)
#include "tst_crash_report.moc"
