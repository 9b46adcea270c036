// The command line: what each accepted form asks for, and a wrong one refused with status 2
// and the usage.

#include "command_line.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void forms_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("run");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("verbose");
        QTest::addColumn<QString>("text"); // a part of the printed text
        QTest::newRow("nothing") << QStringList{} << true << 0 << false << "" << false << "";
        QTest::newRow("--demo") << QStringList{"--demo"} << true << 0 << true << "" << false << "";
        QTest::newRow("--demo=SPEC") << QStringList{"--demo=HK07:2,5", "--verbose"} << true << 0
                                     << true << "HK07:2,5" << true << "";
        QTest::newRow("--help") << QStringList{"--help"} << false << 0 << false << "" << false
                                << "--demo <SPEC>";
        QTest::newRow("--version")
            << QStringList{"--version"} << false << 0 << false << "" << false << "usb-tester 9.8.7";
        QTest::newRow("unknown option") << QStringList{"--demo", "--record"} << false << 2 << false
                                        << "" << false << "Unknown option 'record'.";
        QTest::newRow("unexpected file") << QStringList{"run.csv"} << false << 2 << false << ""
                                         << false << "Unexpected argument 'run.csv'.";
    }
    void forms()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, run);
        QFETCH(int, exitCode);
        QFETCH(bool, demo);
        QFETCH(QString, spec);
        QFETCH(bool, verbose);
        QFETCH(QString, text);
        arguments.prepend("usb-tester");
        const CommandLine line = parseCommandLine(arguments, "9.8.7");
        QCOMPARE(line.run, run);
        QCOMPARE(line.exitCode, exitCode);
        QCOMPARE(line.demo, demo);
        QCOMPARE(line.demoSpec, spec);
        QCOMPARE(line.verbose, verbose);
        QVERIFY2(line.text.contains(text), qPrintable(line.text));
        if (exitCode == 2)
            QVERIFY(line.text.contains("Usage:"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
