// The real program's command line without a display: wrong options and values end with the usage
// on standard error and status 2, before any window is tried, and leave no crash report; Qt's own
// options are passed over as the GUI would take them.

#include "tests/support/temp_workdir.h"

#include <QProcess>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answeredWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // expected in standard output
        QTest::addColumn<QString>("err"); // expected in standard error
        const QString usage = "Usage: ";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                        << "bogus";
        QTest::newRow("unknown option, headless") << QStringList{"--headless", "--bogus"} << 2 << ""
                                                  << "bogus";
        QTest::newRow("bad demo setup") << QStringList{"--demo=BOGUS"} << 2 << ""
                                        << "bad --demo value 'BOGUS'";
        QTest::newRow("bad broker") << QStringList{"--mqtt", "ftp://broker"} << 2 << ""
                                    << "expected mqtt://";
        QTest::newRow("value missing") << QStringList{"--mqtt"} << 2 << ""
                                       << "mqtt";
        QTest::newRow("help-all") << QStringList{"--help-all"} << 0 << "-platform <value>"
                                  << "";
        QTest::newRow("help") << QStringList{"--help"} << 0 << usage << "";
        QTest::newRow("Qt's style option passed over")
            << QStringList{"-style", "fusion", "--version"} << 0 << "usb-tester "
            << "";
        QTest::newRow("Qt's platform option passed over")
            << QStringList{"-platform", "offscreen", "--demo=NV99"} << 2 << ""
            << "bad --demo value 'NV99'";
    }
    void answeredWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        TempWorkDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.file("xdg-data"));
        env.insert("XDG_CONFIG_HOME", dir.file("xdg-config"));
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM"); // a window would be tried on X11, and fail
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir.path());
        program.start(USB_TESTER, arguments);
        QVERIFY(program.waitForFinished(20000));
        const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        if (status == 2) {
            QVERIFY2(stdErr.contains("Usage: "), qPrintable(stdErr));
            QVERIFY(stdOut.isEmpty());
        }
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        QVERIFY2(!stdErr.contains("xcb"), qPrintable(stdErr));
        QVERIFY(!QFile::exists(dir.file("xdg-data/usb-tester/crash.log")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
