// Data files: exact text of both families, number and time formatting, appending, the automatic
// save's names and counters, the data folder rules and saves that fail.

#include "record/clock.h"
#include "record/csv_format.h"
#include "record/data_file_saver.h"
#include "record/data_folder.h"
#include "record/file_counter.h"
#include "record/file_name_codec.h"
#include "record/local_zone.h"

#include "../../support/temp_workdir.h"

#include <QRandomGenerator>
#include <QSettings>
#include <QtTest>
#include <cstdio>

namespace {

QDateTime at(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// voltage, current, power, resistance, energy, capacity, cpuTemp, ntcTemp, mosTemp, fanSpeed
const proto::SampleValues kExample{12.345f, 1.0f,  12.345f, 12.345f, 0.123f,
                            45.0f,   30.0f, 25.0f,   28.0f,   1200.0f};

SampleStore tableOf(int rows, const QDateTime &first = at(2024, 5, 1, 13, 2, 3))
{
    SampleStore table;
    for (int i = 0; i < rows; ++i) {
        proto::SampleValues v = kExample;
        v[0] += float(i);
        table.append(first.addSecs(i).toMSecsSinceEpoch(), v);
    }
    return table;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestRecordFiles : public QObject
{
    Q_OBJECT
    TempWorkDir m_dir;
    QDateTime m_now = at(2024, 5, 1, 13, 2, 3);

private slots:
    void initTestCase()
    {
        // The per-user counter store and the user data location point into the test's folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.file("config"));
        qputenv("XDG_DATA_HOME", m_dir.file("xdg-data").toLocal8Bit());
        Clock::setSource([this] { return m_now; });
    }
    void cleanupTestCase() { Clock::setSource({}); }

    void fixedNumbers_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative current") << -0.5f << 6 << "-0.500000";
        QTest::newRow("fan speed rounds down") << 1200.4f << 0 << "1200";
        QTest::newRow("tie away from zero") << 1200.5f << 0 << "1201";
        QTest::newRow("negative tie") << -2.5f << 0 << "-3";
        QTest::newRow("negative zero") << -0.0f << 3 << "0.000";
        QTest::newRow("tiny negative keeps sign") << -1e-7f << 6 << "-0.000000";
        QTest::newRow("float error shows") << 1200.4f << 6 << "1200.400024";
        QTest::newRow("carry into integer") << 9.9996f << 3 << "10.000";
        QTest::newRow("huge") << 1e30f << 1 << "1000000015047466219876688855040.0";
        QTest::newRow("nan") << float(qQNaN()) << 3 << "nan";
        QTest::newRow("-inf") << -float(qInf()) << 1 << "-inf";
    }
    void fixedNumbers()
    {
        QFETCH(float, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        std::string out = "x";
        csv::appendFixed(out, value, decimals);
        QCOMPARE(QString::fromStdString(out), "x" + text);
    }

    // The fast formatter and the fast clock must say what Qt says, for any value and instant.
    void formattingAgreesWithQt()
    {
        QRandomGenerator rng(7);
        for (int i = 0; i < 200000; ++i) {
            const int decimals = int(rng.bounded(7));
            const int magnitude = int(rng.bounded(9)) - 3;
            float v = float((rng.generateDouble() - 0.5) * std::pow(10.0, magnitude));
            if (i % 5 == 0) // exact ties of the chosen decimals
                v = float((std::floor(v * std::pow(10.0, decimals)) + 0.5) /
                          std::pow(10.0, decimals));
            std::string out;
            csv::appendFixed(out, v, decimals);
            QCOMPARE(QString::fromStdString(out), QString::number(double(v), 'f', decimals));
        }
        csv::LocalTimeText clock;
        qint64 ms = at(1999, 12, 31, 23, 59, 58).toMSecsSinceEpoch();
        for (int i = 0; i < 20000; ++i) {
            // Mostly one-second steps (the cached path), now and then a jump of up to a year.
            ms += i % 97 == 0 ? qint64(rng.bounded(366 * 86400)) * 1000 : 1000 + rng.bounded(999);
            std::string out;
            clock.append(out, ms);
            QCOMPARE(QString::fromStdString(out),
                     QDateTime::fromMSecsSinceEpoch(ms).toString("yyyy-MM-dd_hh:mm:ss"));
        }
    }

    // Local time read from the zone file once, then again on refresh; a TZ already set wins.
    void localZonePinned()
    {
        const QString zoneinfo = QStringLiteral("/usr/share/zoneinfo/");
        const QString zone = m_dir.file("zone");
        QVERIFY(QFile::copy(zoneinfo + "Europe/Berlin", zone));
        const QByteArray before = qgetenv("TZ");
        qunsetenv("TZ");
        const QDateTime winter = QDateTime::fromSecsSinceEpoch(1705320000); // mid-January
        {
            LocalZonePin pin(QFile::encodeName(zone));
            QVERIFY(pin.pinned());
            QCOMPARE(winter.toLocalTime().offsetFromUtc(), 3600);
            // Replaced as a zone change replaces it: another file in its place.
            QVERIFY(QFile::copy(zoneinfo + "Asia/Tokyo", zone + ".new"));
            QVERIFY(::rename(QFile::encodeName(zone + ".new"), QFile::encodeName(zone)) == 0);
            QCOMPARE(winter.toLocalTime().offsetFromUtc(), 3600); // not read again per conversion
            pin.refresh();
            QCOMPARE(winter.toLocalTime().offsetFromUtc(), 9 * 3600);
            QCOMPARE(qgetenv("TZ"), ':' + QFile::encodeName(zone));
        }
        QVERIFY(!qEnvironmentVariableIsSet("TZ"));
        qputenv("TZ", "UTC0");
        QVERIFY(!LocalZonePin(QFile::encodeName(zone)).pinned());
        QCOMPARE(qgetenv("TZ"), QByteArray("UTC0"));
        if (before.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", before);
        tzset();
    }

    void wholeFile_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("HK07") << 1
                              << QByteArray("----------------(Vontari负载测试仪)TALMIR LOAD_Tester "
                                            "Software----------------\n"
                                            "------------------HK07/MR310/MR820/MR470------------"
                                            "-------\n"
                                            "----------------(Vontari负载测试仪)TALMIR LOAD_Tester "
                                            "Software----------------\n"
                                            "(时间)DATE,(电压)VOLTAGE(V),(电流)CURRENT(A),(功率)"
                                            "POWER(W),(电阻)RESISTANCE(Ω),(电量)E_QUANTITY(Wh),("
                                            "容量)E_CAPACITY(mAh),(探头温度)NTC_TEMP(℃),(CPU温度)"
                                            "CPU_TEMP(℃),(MOS管子温度)MOS_TEMP(℃),(风扇转速)FAN_"
                                            "SPEED(RPM),\n"
                                            "2024-05-01_13:02:03,12.345000,1.000000,12.345000,12."
                                            "345,0.123,45.000,25.000,30.0,28.000,1200\n"
                                            "2024-05-01_13:02:04,13.345000,1.000000,12.345000,12."
                                            "345,0.123,45.000,25.000,30.0,28.000,1200\n");
        QTest::newRow("NV05") << 4
                              << QByteArray(
                                     "----------------(Vontari电能测试仪)TALMIR POWER_Tester "
                                     "Software----------------\n"
                                     "-----------------------NV05/NV15/NV17---------------"
                                     "--------\n"
                                     "----------------(Vontari电能测试仪)TALMIR POWER_Tester "
                                     "Software----------------\n"
                                     "(时间)DATE,(电压)VOLTAGE(V),(电流)CURRENT(A),(功率)"
                                     "POWER(W),(电阻)RESISTANCE(Ω),(电量)E_QUANTITY(KWh),("
                                     "容量)E_CAPACITY(Ah),(探头温度)NTC_TEMP(℃),(CPU温度)"
                                     "CPU_TEMP(℃),\n"
                                     "2024-05-01_13:02:03,12.345000,1.000000,12.345000,12."
                                     "345,0.123,45.000,25.000,30.0\n"
                                     "2024-05-01_13:02:04,13.345000,1.000000,12.345000,12."
                                     "345,0.123,45.000,25.000,30.0\n");
    }
    // Header, layout and decimals byte for byte, UTF-8 without a byte-order mark; exporting to
    // the same file again replaces it when the user agreed, and otherwise leaves it as it was.
    void wholeFile()
    {
        QFETCH(int, family);
        QFETCH(QByteArray, expected);
        const QString path = m_dir.file(QStringLiteral("whole_%1.csv").arg(family));
        DataFileSaver deal;
        QString error;
        QVERIFY2(deal.exportCsv(tableOf(2), path, quint8(family), false, &error),
                 qPrintable(error));
        QCOMPARE(readAll(path), expected);
        QVERIFY(!deal.exportCsv(tableOf(3), path, quint8(family), false, &error));
        QVERIFY2(error.contains("exists"), qPrintable(error));
        QCOMPARE(readAll(path), expected);
        QVERIFY(deal.exportCsv(tableOf(2), path, quint8(family), true));
        QCOMPARE(readAll(path), expected);
        QCOMPARE(QDir(m_dir.path()).entryList({".*.part"}, QDir::Hidden | QDir::Files).size(), 0);
    }

    // Every failure says so: nothing is claimed that did not reach the disk.
    void failedWrites()
    {
        QFile blocker(m_dir.file("plain"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        DataFileSaver deal;
        QString error;
        QVERIFY(
            !deal.exportCsv(tableOf(10), m_dir.file("plain/under_a_file.csv"), 1, true, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!deal.exportCsv(tableOf(10), m_dir.path(), 1, true, &error)); // a folder
        QVERIFY(!deal.exportCsv(tableOf(10), m_dir.file("family0.csv"), 0, true, &error));
        QVERIFY(!QFile::exists(m_dir.file("family0.csv")));
    }

    // Numbered per hour, counted in the per-user store under the program's name (an older
    // version's counters carried over); below ten rows nothing at all.
    void autoSaveNamesAndCounters()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "YourCompany", "YourApp")
            .setValue("FileCount_2024_04_30_23", 7);
        const DataFolder folder{m_dir.file("Data"), false};
        struct Step
        {
            QDateTime now;
            int rows;
            QString label;
        };
        const QString dir = folder.path + "/";
        const Step steps[] = {
            {at(2024, 5, 1, 13, 2, 3), 9, "Data_Path:No data."},
            {at(2024, 5, 1, 13, 2, 3), 10, "Data_Path:" + dir + "LoadData_2024_05_01_13_001.csv"},
            {at(2024, 5, 1, 13, 59, 59), 12, "Data_Path:" + dir + "LoadData_2024_05_01_13_002.csv"},
            {at(2024, 5, 1, 14, 0, 0), 9, "Data_Path:No data."},
            {at(2024, 5, 1, 14, 0, 0), 11, "Data_Path:" + dir + "LoadData_2024_05_01_14_001.csv"},
        };
        for (const Step &step : steps) {
            m_now = step.now;
            const SaveOutcome outcome = DataFileSaver(folder).autoSave(tableOf(step.rows), 1);
            QCOMPARE(outcome.labelText(), step.label);
            if (outcome.written())
                QCOMPARE(readAll(outcome.path).count('\n'), 4 + step.rows);
        }
        QCOMPARE(QDir(folder.path).entryList(QDir::Files).size(), 3);
        QCOMPARE(file_counter::value("2024_05_01_13"), 2);
        QCOMPARE(file_counter::value("2024_05_01_14"), 1);
        QVERIFY(QFile::exists(m_dir.file("config/usb-tester/file-counter.conf")));
        m_now = at(2024, 4, 30, 23, 10, 0);
        QVERIFY(DataFileSaver(folder).autoSave(tableOf(10), 1).path.endsWith("_23_008.csv"));
        m_now = at(2025, 1, 1, 0, 0, 0);
        DataFileSaver(folder).autoSave(tableOf(9), 1);
        QCOMPARE(file_counter::value("2025_01_01_00"), 0);
    }

    // A folder whose parent is missing is not invented: the save fails, says where and why, and
    // counts nothing.
    void autoSaveIntoMissingParent()
    {
        m_now = at(2024, 6, 1, 8, 0, 0);
        const DataFolder folder{m_dir.file("no/such/parent"), false};
        const SaveOutcome outcome = DataFileSaver(folder).autoSave(tableOf(10), 4);
        QCOMPARE(outcome.result, SaveOutcome::Result::Failed);
        QVERIFY(outcome.labelText().contains(folder.path));
        QVERIFY(outcome.labelText() != "Data_Path:" + outcome.path);
        QVERIFY(outcome.reason.contains("parent"));
        QVERIFY(!QFileInfo::exists(folder.path));
        QCOMPARE(file_counter::value("2024_06_01_08"), 0);
    }

    // save_path wins; "Data" beside the executable only for a build tree or a portable copy;
    // an installed program (system prefix or an install tree) uses the user's documents.
    void dataFolderRule_data()
    {
        QTest::addColumn<QString>("savePath");
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("expected");
        const QString docs = m_dir.file("docs/usb-tester");
        QDir(m_dir.path()).mkpath("stage/usr/bin");
        QDir(m_dir.path()).mkpath("stage/usr/share");
        QTest::newRow("save_path") << "D:/runs" << m_dir.path() << "D:/runs";
        QTest::newRow("build tree") << "" << m_dir.path() << m_dir.file("Data");
        QTest::newRow("not writable") << "" << m_dir.file("plain/bin") << docs;
        QTest::newRow("/usr/bin, even as root") << ""
                                                << "/usr/bin" << docs;
        QTest::newRow("/opt") << ""
                              << "/opt/usb-tester" << docs;
        QTest::newRow("install tree") << "" << m_dir.file("stage/usr/bin") << docs;
    }
    void dataFolderRule()
    {
        QFETCH(QString, savePath);
        QFETCH(QString, appDir);
        QFETCH(QString, expected);
        const DataFolder folder = resolveDataFolder(savePath, appDir, m_dir.file("docs"));
        QCOMPARE(folder.path, expected);
        QString error;
        if (folder.fallback) { // created with its parents, twice without complaint
            QVERIFY2(makeDataFolder(folder, &error), qPrintable(error));
            QVERIFY2(makeDataFolder(folder, &error), qPrintable(error));
            QVERIFY(QFileInfo(folder.path).isDir());
        }
    }

    void savePathSplit_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::newRow("drive root") << "C:/run.csv"
                                    << "C:/";
        QTest::newRow("deeper") << "C:/a/b/run.csv"
                                << "C:/a/b";
        QTest::newRow("unix") << "/home/u/run.csv"
                              << "/home/u";
        QTest::newRow("unix root") << "/run.csv"
                                   << "/";
        QTest::newRow("empty part kept") << "C:/a//run.csv"
                                         << "C:/a/";
    }
    void savePathSplit()
    {
        QFETCH(QString, file);
        QFETCH(QString, folder);
        QCOMPARE(savePathOf(file), folder);
    }

    // Names are bytes: with the program's codec every byte string decodes and encodes back to
    // itself, valid UTF-8 decodes as UTF-8, and a file whose name is not UTF-8 opens by the text
    // its name decodes to.
    void fileNamesKeepTheirBytes()
    {
        FileNameCodec::install();
        const QByteArray names[] = {
            "plain.csv", "\xe6\x95\xb0\xe6\x8d\xae.csv", "run_\xe9.csv", "\xff\xfe",
            "cut\xe6\x95", "overlong\xc0\xaf", "surrogate\xed\xb2\x80", "emoji\xf0\x9f\x94\x8b",
            "past\xf4\x90\x80\x80"};
        for (const QByteArray &name : names)
            QCOMPARE(QFile::encodeName(QFile::decodeName(name)), name);
        QCOMPARE(QFile::decodeName("\xe6\x95\xb0\xe6\x8d\xae"), QString::fromUtf8("数据"));
        const QByteArray emoji = "emoji\xf0\x9f\x94\x8b";
        QCOMPARE(QFile::decodeName(emoji), QString::fromUtf8(emoji));
        QCOMPARE(QFile::encodeName(QString::fromUtf8("数据")), QByteArray("\xe6\x95\xb0\xe6\x8d\xae"));

        TempWorkDir dir;
        const QByteArray raw = QFile::encodeName(dir.path()) + "/run_\xe9.csv";
        FILE *f = std::fopen(raw.constData(), "w");
        QVERIFY(f);
        std::fputs("x\n", f);
        std::fclose(f);
        // As the command line hands it over: decoded from the bytes, and opened by that text.
        QFile file(QFile::decodeName(raw));
        QVERIFY(file.exists());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("x\n"));
        QCOMPARE(QFile::encodeName(file.fileName()), raw);
    }
};

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "tst_record_files.moc"
