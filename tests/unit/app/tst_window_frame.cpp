// Edge hit test and drag-resize geometry of the frameless window, and the settings file.

#include "settings/settings_file.h"
#include "app/window_frame.h"

#include "../../support/temp_workdir.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace frame;

class TestWindowFrame : public QObject
{
    Q_OBJECT
private:
    // A 1232 x 900 window at (100, 50): TL (100, 50), BR (1331, 949).
    const QPoint tl{100, 50};
    const QPoint br{1331, 949};

private slots:
    void hitRegion_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<int>("region");
        QTest::newRow("top-left corner") << QPoint(100, 50) << int(TopLeft);
        QTest::newRow("top-left, second pixel") << QPoint(101, 51) << int(TopLeft);
        QTest::newRow("left edge") << QPoint(101, 400) << int(Left);
        QTest::newRow("one pixel inside left") << QPoint(102, 400) << int(Interior);
        QTest::newRow("bottom-left") << QPoint(100, 948) << int(BottomLeft);
        QTest::newRow("top-right") << QPoint(1330, 50) << int(TopRight);
        QTest::newRow("right edge") << QPoint(1331, 400) << int(Right);
        QTest::newRow("one pixel inside right") << QPoint(1329, 400) << int(Interior);
        QTest::newRow("bottom-right") << QPoint(1331, 949) << int(BottomRight);
        QTest::newRow("top edge") << QPoint(600, 51) << int(Top);
        QTest::newRow("one pixel below top") << QPoint(600, 52) << int(Interior);
        QTest::newRow("bottom edge") << QPoint(600, 948) << int(Bottom);
        QTest::newRow("outside the window") << QPoint(99, 400) << int(Interior);
        QTest::newRow("middle") << QPoint(600, 400) << int(Interior);
    }
    void hitRegion()
    {
        QFETCH(QPoint, pointer);
        QFETCH(int, region);
        QCOMPARE(int(frame::hitRegion(tl, br, pointer)), region);
    }

    void resizeKeepsMinimumOnLeftAndTop()
    {
        const QSize minimum(800, 600);
        // Dragging the left edge far to the right stops short of the minimum width.
        QCOMPARE(resizedGeometry(Left, tl, br, QPoint(700, 400), minimum), QRect(tl, br));
        const QRect wider = resizedGeometry(Left, tl, br, QPoint(80, 400), minimum);
        QCOMPARE(wider.left(), 80);
        QCOMPARE(wider.right(), br.x());
        // Top edge: too low is refused, higher is taken.
        QCOMPARE(resizedGeometry(Top, tl, br, QPoint(600, 400), minimum), QRect(tl, br));
        QCOMPARE(resizedGeometry(Top, tl, br, QPoint(600, 20), minimum).top(), 20);
        // The top-left corner applies both rules independently.
        const QRect corner = resizedGeometry(TopLeft, tl, br, QPoint(700, 20), minimum);
        QCOMPARE(corner.left(), tl.x());
        QCOMPARE(corner.top(), 20);
    }

    void resizeOtherEdgesAndCorners()
    {
        const QSize minimum(800, 600);
        QCOMPARE(resizedGeometry(Right, tl, br, QPoint(1400, 400), minimum).right(), 1399);
        QCOMPARE(resizedGeometry(Bottom, tl, br, QPoint(600, 1000), minimum).bottom(), 999);
        const QRect br2 = resizedGeometry(BottomRight, tl, br, QPoint(1200, 800), minimum);
        QCOMPARE(br2, QRect(tl, QPoint(1199, 799)));
        // These two corners move their left/top side without the minimum-size test.
        const QRect bl = resizedGeometry(BottomLeft, tl, br, QPoint(1300, 800), minimum);
        QCOMPARE(bl.left(), 1300);
        QCOMPARE(bl.bottom(), 799);
        const QRect tr = resizedGeometry(TopRight, tl, br, QPoint(1200, 940), minimum);
        QCOMPARE(tr.top(), 940);
        QCOMPARE(tr.right(), 1199);
        QCOMPARE(resizedGeometry(Interior, tl, br, QPoint(5, 5), minimum), QRect(tl, br));
    }

    void settingsKeysIgnoreCase()
    {
        TempWorkDir dir;
        QFile ini(dir.file("usb-hid.ini"));
        QVERIFY(ini.open(QFile::WriteOnly));
        ini.write("[General]\nlanguage=English\n");
        ini.close();
        QCOMPARE(SettingsFile().read("Language"), QString("English"));
        // Writing under the other spelling replaces the one entry instead of adding a second.
        SettingsFile().write("Language", "Chinese");
        QCOMPARE(SettingsFile().read("language"), QString("Chinese"));
        QVERIFY(ini.open(QFile::ReadOnly));
        const QString text = QString::fromUtf8(ini.readAll());
        QCOMPARE(text.count("anguage", Qt::CaseInsensitive), 1);
        QCOMPARE(SettingsFile().read("missing"), QString());
    }

    // The file is read once, yet a value written by one part is read by another at once, and a
    // change made to the file by someone else (another instance of the program) is seen.
    void settingsReadOnceYetCurrent()
    {
        TempWorkDir dir;
        SettingsFile recorder;
        const SettingsFile viewer;
        QCOMPARE(viewer.read("save_path"), QString());
        recorder.write("save_path", "/data/a");
        QCOMPARE(viewer.read("save_path"), QString("/data/a"));
        {
            QSettings other(SettingsFile::filePath(), QSettings::IniFormat);
            other.setValue("save_path", "/data/elsewhere");
        }
        QCOMPARE(viewer.read("Save_Path"), QString("/data/elsewhere"));
        recorder.write("save_path", "/data/a");
        QCOMPARE(QSettings(SettingsFile::filePath(), QSettings::IniFormat).value("save_path").toString(),
                 QString("/data/a"));
    }

    // A "usb-hid.ini" in the working directory is used as it is; without one, the settings live
    // in the user's config location and are the same from every working directory.
    void settingsFileLocation()
    {
        TempWorkDir config(TempWorkDir::WithoutSettingsFile);
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.file("xdg-config")));
        const QString kept = config.file("xdg-config/usb-tester/usb-hid.ini");
        {
            TempWorkDir first(TempWorkDir::WithoutSettingsFile);
            SettingsFile().write("ChartTheme", "Dark");
            QCOMPARE(SettingsFile::filePath(), kept);
            QVERIFY(!QFile::exists(first.file("usb-hid.ini")));
        }
        {
            TempWorkDir second(TempWorkDir::WithoutSettingsFile);
            QCOMPARE(SettingsFile().read("ChartTheme"), QString("Dark"));
        }
        {
            TempWorkDir portable;
            QCOMPARE(SettingsFile().read("ChartTheme"), QString());
            SettingsFile().write("ChartTheme", "BlueIcy");
            QVERIFY(QFile(portable.file("usb-hid.ini")).size() > 0);
        }
        QCOMPARE(QSettings(kept, QSettings::IniFormat).value("ChartTheme").toString(), "Dark");
        if (previous.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", previous);
    }
};

QTEST_GUILESS_MAIN(TestWindowFrame)
#include "tst_window_frame.moc"
