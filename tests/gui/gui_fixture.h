#pragma once
// Shared set-up of the GUI tests: an own working directory, the simulated instrument installed
// behind the HID seam, fast bus scans, and helpers to read what went out.

#include "acquire/acquisition.h"
#include "app/chart_page.h"
#include "usb/device_link.h"
#include "app/main_dialog.h"
#include "usb/scan_pacer.h"
#include "acquire/run_session.h"
#include "sim/simulated_bus.h"

#include "../support/fake_clock.h"
#include "../support/temp_workdir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStackedWidget>
#include <QTest>

#include <memory>

class GuiFixture
{
public:
    bool displayPageAtOpen = true;
    explicit GuiFixture(const QString &demo = QString(), bool plugged = true)
    {
        sim::BusConfig config;
        QString error;
        if (!sim::parseDemoOption(demo, config, &error))
            qFatal("bad demo option in test: %s", qPrintable(error));
        config.plugged = plugged;
        config.replyLatencyMs = 1;
        config.writtenKept = 65536; // a whole upgrade's packets
        bus = std::make_unique<sim::SimulatedBus>(config);
        hid::setBackend(bus.get());
        ScanPacer::setPacing(60, 25);
        // Journals, the fallback data folder and the per-user counter store stay in the test's
        // folder too.
        qputenv("XDG_DATA_HOME", QFile::encodeName(workDir.file("xdg-data")));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           workDir.file("xdg-config"));
    }
    ~GuiFixture()
    {
        dialog.reset();
        hid::setBackend(nullptr);
    }

    MainDialog &open()
    {
        dialog = std::make_unique<MainDialog>();
        dialog->show();
        // The display page builds its contents when first shown; tests read its widgets from
        // any page, so they get them at once unless they test that first show.
        if (displayPageAtOpen)
            QMetaObject::invokeMethod(dialog->findChild<QWidget *>("page_disp"), "ensureContents");
        return *dialog;
    }

    template <typename T = QWidget> T *w(const char *name) const
    {
        T *found = dialog->findChild<T *>(name);
        if (!found)
            qFatal("no widget named %s", name);
        return found;
    }
    QString text(const char *label) const { return w<QLabel>(label)->text(); }
    int page() const { return w<QStackedWidget>("disp_stackedWidget")->currentIndex(); }
    void click(const char *button) const { w<QAbstractButton>(button)->click(); }
    // Opens the title bar menu and clicks the language `name` ("language_chinese" or
    // "language_english").
    void chooseLanguage(const char *name) const
    {
        click("btnMenu_Menu");
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->findChild<QAction *>(name))
            qFatal("no language %s in the title bar menu", name);
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->findChild<QAction *>(name)).center());
    }
    // Opens the display page's chart menu and clicks its entry `text` (as shown in Chinese).
    void chooseFromChartMenu(const QString &text) const
    {
        click("disp_btn_menu");
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            qFatal("no chart menu");
        for (QAction *action : menu->actions())
            if (action->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        qFatal("no chart menu entry %s", qPrintable(text));
    }

    // Command/request frames written since the last clear (byte 0 = 0x55 frames only).
    QVector<QByteArray> frames() const
    {
        QVector<QByteArray> out;
        for (const QByteArray &r : bus->writtenReports())
            if (r.size() >= 4 && quint8(r[0]) == 0x55 && quint8(r[1]) == 0x05)
                out.append(r);
        return out;
    }
    // Frames with a given code in byte 3.
    QVector<QByteArray> framesWithCode(quint8 code) const
    {
        QVector<QByteArray> out;
        for (const QByteArray &f : frames())
            if (quint8(f[3]) == code)
                out.append(f);
        return out;
    }
    bool waitForScanEnd(int timeoutMs = 8000) const
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (!dialog->deviceList().isEmpty() && !dialog->link().scanBusy())
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    TempWorkDir workDir;
    std::unique_ptr<sim::SimulatedBus> bus;
    std::unique_ptr<MainDialog> dialog;
};
