// Crash reports: child programs crash on purpose and the test reads the report each one left
// in its data folder.

#include "../../support/temp_workdir.h"
#include "sim/sim_config.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
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

// The data folder of every program the test starts is under the test's working directory.
QString reportPath(const QString &program)
{
    return QDir::currentPath() + "/data/" + QFileInfo(program).fileName() + "/crash.log";
}

QString readReport(const QString &program = CRASH_CHILD)
{
    QFile file(reportPath(program));
    return file.open(QFile::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Where the report names the program's own file, with the address in that file.
QString programFrame(const QString &program)
{
    return "  " + QFileInfo(program).canonicalFilePath() + " +0x";
}

// The module's build-id as the report lists it, checked against the file's own note.
bool buildIdMatches(const QString &report, const QString &program)
{
    const QString path = QFileInfo(program).canonicalFilePath();
    const auto m = QRegularExpression("\nModules:\n(?:.*\n)*?" + QRegularExpression::escape(path) +
                                      "  build-id ([0-9a-f]{40})(?:\n|$)")
                       .match(report);
    QFile file(path);
    return m.hasMatch() && file.open(QFile::ReadOnly) &&
           file.readAll().contains(QByteArray("GNU\0", 4) +
                                   QByteArray::fromHex(m.captured(1).toLatin1()));
}

// The value of a register in the report's register lines, or an empty string.
QString registerValue(const QString &report, const QString &name)
{
    const QString registers = report.section("\nRegisters: ", 1).section("\nModules:", 0, 0);
    const auto m = QRegularExpression("(?:^|  )" + name + ": +([0-9A-F]{16})(?=  |$)",
                                      QRegularExpression::MultilineOption)
                       .match(registers);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The frames, after the modules (the report's head is written before the stack is walked).
QStringList callStack(const QString &report)
{
    return report.section("\nModules:\n", 1).section("\nCall Stack:\n", 1).split(
        '\n', Qt::SkipEmptyParts);
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

    // Each case's children keep their data, reports included, in its own working directory.
    void init()
    {
        m_dir = std::make_unique<TempWorkDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->file("data")));
    }
    void cleanup() { m_dir.reset(); }

    void reportOfEachCrash_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("accessLine"); // regular expression; empty: no such line
        QTest::addColumn<bool>("faultInProgram");
        QTest::addColumn<int>("programFrames"); // at least this many frames in the program
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("earlierReport"); // else the data folder does not exist yet
        QTest::addColumn<QString>("thread");

        const QString write = "Write Address:  ";
        const QString main = "(main) crash_child";
        QTest::newRow("null write") << "null-write" << SIGSEGV << write + "0000000000000000" << true
                                    << 2 << "" << false << main;
        QTest::newRow("unmapped read")
            << "read-unmapped" << SIGSEGV << "Read Address:  000000000000FFF0" << true << 2 << ""
            << true << main;
        QTest::newRow("stack overflow") << "stack-overflow" << SIGSEGV << write + "[0-9A-F]{16}"
                                        << true << 60 << "" << true << main;
        QTest::newRow("stack overflow on a thread")
            << "thread-stack-overflow" << SIGSEGV << write + "[0-9A-F]{16}" << true << 60 << ""
            << false << "overflowing";
        // Nothing to unwind at address 0: the caller is found from the top of the stack.
        QTest::newRow("call through a null pointer")
            << "bad-call" << SIGSEGV << "Execute Address:  0000000000000000" << false << 1 << ""
            << false << main;
        QTest::newRow("division by zero")
            << "divide-by-zero" << SIGFPE << "" << true << 2 << "" << false << main;
        QTest::newRow("illegal instruction")
            << "illegal-instruction" << SIGILL << "" << true << 1 << "" << true << main;
        QTest::newRow("abort") << "abort" << SIGABRT << "" << false << 1 << "" << false << main;
        QTest::newRow("uncaught exception")
            << "uncaught-exception" << SIGABRT << "" << false << 2
            << "C++ Exception:  std::runtime_error, what(): disk on fire" << true << main;
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
        QFETCH(QString, thread);
        if (earlierReport) {
            QVERIFY(QDir().mkpath(QFileInfo(reportPath(CRASH_CHILD)).path()));
            QFile old(reportPath(CRASH_CHILD));
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
        QVERIFY2(QRegularExpression("^Thread:  [0-9]+ " + QRegularExpression::escape(thread) + "$")
                     .match(lines[2])
                     .hasMatch(),
                 qPrintable(lines[2]));
        const auto addr = QRegularExpression("^Exception Addr:  ([0-9A-F]{16})  ( Module: (.+))?$")
                              .match(lines[3]);
        QVERIFY2(addr.hasMatch(), qPrintable(lines[3]));
        QCOMPARE(addr.captured(3) == QFileInfo(CRASH_CHILD).canonicalFilePath(), faultInProgram);
        QVERIFY(lines[4].startsWith(QString::asprintf("Exception Code:  %08X  SIG", signal)));
        const bool hasAccessLine =
            QRegularExpression("^(Read|Write|Execute) Address:").match(lines[5]).hasMatch();
        QCOMPARE(hasAccessLine, !accessLine.isEmpty());
        if (hasAccessLine)
            QVERIFY2(QRegularExpression("^" + accessLine + "$").match(lines[5]).hasMatch(),
                     qPrintable(lines[5]));
        QCOMPARE(report.contains("\nC++ Exception:"), !note.isEmpty());
        QVERIFY(report.contains(note));
        QVERIFY(report.contains(
            QRegularExpression("\nInstruction: (( [0-9A-F]{2}){16}| \\(unreadable\\))\n")));

        for (const char *name : {"RAX", "RBX", "RCX", "RDX", "RSI", "RDI", "RSP", "RBP", "R8", "R9",
                                 "R10", "R11", "R12", "R13", "R14", "R15", "RFlags"})
            QVERIFY2(!registerValue(report, name).isEmpty(), name);
        QCOMPARE(registerValue(report, "RIP"), addr.captured(1));

        // The stack starts at the faulting instruction and reaches the program's own code.
        const QStringList stack = callStack(report);
        QVERIFY(!stack.isEmpty());
        QCOMPARE(stack.first().left(16), addr.captured(1));
        int ownFrames = 0;
        for (const QString &frame : stack.mid(faultInProgram ? 0 : 1)) {
            QVERIFY2(
                QRegularExpression("^[0-9A-F]{16}  \\S.* \\+0x[0-9A-F]+$").match(frame).hasMatch(),
                qPrintable(frame));
            ownFrames += frame.contains(programFrame(CRASH_CHILD));
        }
        QVERIFY2(ownFrames >= programFrames, qPrintable(report));
        QVERIFY2(buildIdMatches(report, CRASH_CHILD), qPrintable(report));
        QVERIFY(QFile::exists(reportPath(CRASH_CHILD) + ".new"));
    }

    // Every kind of thread, the program's own, a library's and Qt's, and the main thread: a stack
    // overflow, or a stack pointer set to an unmapped address. The report names the thread,
    // gives the registers and the modules, and a stack that cannot be read ends only the walk.
    void brokenStackOfEachThread_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("thread");
        for (const char *how : {"overflow", "smash"}) {
            // The kernel keeps 15 characters of a thread's name.
            QTest::addRow("main, %s", how) << "main" << how << "(main) thread_crash_ch";
            for (const char *kind : {"program", "library", "qt"})
                QTest::addRow("%s, %s", kind, how) << kind << how << QString(kind) + "-worker";
        }
    }

    void brokenStackOfEachThread()
    {
        QFETCH(QString, kind);
        QFETCH(QString, how);
        QFETCH(QString, thread);
        QCOMPARE(terminatingSignal(THREAD_CRASH_CHILD, {kind, how}), SIGSEGV);
        const QString report = readReport(THREAD_CRASH_CHILD);
        QVERIFY2(QRegularExpression("\nThread:  [0-9]+ " + QRegularExpression::escape(thread) +
                                    "\n")
                     .match(report)
                     .hasMatch(),
                 qPrintable(report));
        QVERIFY(report.contains("\nException Code:  0000000B  SIGSEGV\n"));
        QVERIFY(!registerValue(report, "RIP").isEmpty());
        QVERIFY2(buildIdMatches(report, THREAD_CRASH_CHILD), qPrintable(report));
        const QStringList stack = callStack(report);
        QVERIFY2(!stack.isEmpty() && stack.first().startsWith(registerValue(report, "RIP")),
                 qPrintable(report));
        if (how == "smash") {
            QCOMPARE(registerValue(report, "RSP"), QString("0000000000000010"));
            QCOMPARE(stack.last(), QString("(stack unreadable at RSP 0000000000000010)"));
        } else {
            QVERIFY2(stack.filter(programFrame(THREAD_CRASH_CHILD)).size() >= 60,
                     qPrintable(report));
        }
        QVERIFY(QFile::exists(reportPath(THREAD_CRASH_CHILD) + ".new"));
    }

    // The command the README gives turns the report into the crashing function and its line.
    void symbolisedReport()
    {
        if (QStandardPaths::findExecutable("eu-addr2line").isEmpty())
            QSKIP("eu-addr2line not installed (Debian: elfutils)");
        QFile child(CRASH_CHILD);
        if (child.open(QFile::ReadOnly) && !child.readAll().contains(".debug_info"))
            QSKIP("built without debug information (-g): no function names to find");
        QCOMPARE(terminatingSignal(CRASH_CHILD, {"null-write"}), SIGSEGV);
        QProcess symbolise;
        symbolise.start("bash", {SYMBOLISE_SCRIPT, reportPath(CRASH_CHILD)});
        QVERIFY(symbolise.waitForFinished(60000));
        const QString output = QString::fromUtf8(symbolise.readAllStandardOutput());
        QCOMPARE(symbolise.exitCode(), 0);
        const QStringList frames = output.split('\n');
        QVERIFY2(QRegularExpression("^#0 +(\\S*::)?writeNull\\b.* at .*crash_child\\.cpp:[0-9]+")
                     .match(frames.first())
                     .hasMatch(),
                 qPrintable(output));
        QVERIFY2(
            QRegularExpression("\n#1 +main at .*crash_child\\.cpp:[0-9]+").match(output).hasMatch(),
            qPrintable(output));
    }

    // The program itself, running with the simulated instrument: its connection watcher is sent
    // SIGSEGV. The report names the thread and unwinds through the C library and Qt into the
    // program; the next start, of the window or the headless bench, says where the report is, once.
    void programLeavesReportAndEnds()
    {
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
        const pid_t pid = pid_t(program.processId());
        // The watcher thread names itself once it runs, which may be after the first open.
        const auto findWatcher = [pid] {
            for (QDirIterator it(QString("/proc/%1/task").arg(pid)); it.hasNext();) {
                QFile comm(it.next() + "/comm");
                if (comm.open(QFile::ReadOnly) && comm.readAll().trimmed() == "UsbWatcher")
                    return pid_t(it.fileName().toInt());
            }
            return pid_t(0);
        };
        pid_t watcher = 0;
        QTRY_VERIFY_WITH_TIMEOUT((watcher = findWatcher()) > 0, 20000);
        QCOMPARE(int(syscall(SYS_tgkill, pid, watcher, SIGSEGV)), 0);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QCOMPARE(program.exitCode(), SIGSEGV); // on a crash, the signal that ended it

        const QString report = readReport(USB_TESTER);
        QVERIFY(report.startsWith("Linux:  "));
        QVERIFY(report.contains("\nProcess:  " + QFileInfo(USB_TESTER).canonicalFilePath() + "\n"));
        QVERIFY2(report.contains(QString("\nThread:  %1 UsbWatcher\n").arg(watcher)),
                 qPrintable(report));
        QVERIFY(report.contains("\nException Code:  0000000B  SIGSEGV\n"));
        // Sent, not a fault of the program: no faulting address to name.
        QVERIFY(!report.contains(QRegularExpression("\n(Read|Write|Execute) Address:")));
        QVERIFY2(report.section("\nCall Stack:\n", 1).contains(programFrame(USB_TESTER)),
                 qPrintable(report));
        QVERIFY(buildIdMatches(report, USB_TESTER));

        // The window and the headless bench each say it once (the marker is made again for the
        // second), in the log with the report's path.
        for (const bool headless : {false, true}) {
            if (headless) {
                QFile marker(reportPath(USB_TESTER) + ".new");
                QVERIFY(marker.open(QFile::WriteOnly));
            }
            for (const bool notice : {true, false}) {
                QProcess next;
                next.setProcessChannelMode(QProcess::MergedChannels);
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.insert("QT_QPA_PLATFORM", "offscreen");
                environment.insert("USB_TESTER_QUIT_AFTER_PAINT", "1");
                next.setProcessEnvironment(environment);
                next.start(USB_TESTER, headless ? QStringList{"--headless", "--demo"}
                                                : QStringList{"--demo"});
                QByteArray said;
                if (headless) { // runs until told to end, once it has started
                    QTRY_VERIFY_WITH_TIMEOUT(
                        (said += next.readAll()).contains("runs are saved in"), 30000);
                    next.terminate();
                }
                QVERIFY(next.waitForFinished(60000));
                said += next.readAll();
                QCOMPARE(next.exitCode(), 0);
                QVERIFY2(said.contains("closed unexpectedly") == notice, said.constData());
                QCOMPARE(said.contains(reportPath(USB_TESTER).toUtf8()), notice);
            }
        }
        QCOMPARE(readReport(USB_TESTER), report);
    }

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCrashReport)
#include "tst_crash_report.moc"
