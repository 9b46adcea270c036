// The frameless window as a user handles it: hover cursor on the borders, dragging, resizing,
// maximise and restore, double click on the title bar, close.

#include "tests/gui/gui_fixture.h"

#include "usb/connection_watcher.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace {
void send(QWidget *target, QEvent::Type type, const QPoint &global, Qt::MouseButton button,
          Qt::MouseButtons buttons)
{
    QMouseEvent event(type, target->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
void hover(QWidget *w, const QPoint &g)
{
    send(w, QEvent::MouseMove, g, Qt::NoButton, Qt::NoButton);
}
void press(QWidget *w, const QPoint &g)
{
    send(w, QEvent::MouseButtonPress, g, Qt::LeftButton, Qt::LeftButton);
}
void drag(QWidget *w, const QPoint &g)
{
    send(w, QEvent::MouseMove, g, Qt::NoButton, Qt::LeftButton);
}
void release(QWidget *w, const QPoint &g)
{
    send(w, QEvent::MouseButtonRelease, g, Qt::LeftButton, Qt::NoButton);
}
} // namespace

class TestFrameGui : public QObject
{
    Q_OBJECT
private slots:
    void startsAsSpecified()
    {
        GuiFixture f(QString(), false);
        MainDialog &d = f.open();
        // The design size, unless the screen is smaller: then all of it (the page scrolls).
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        const bool fits = screen.width() >= 1232 && screen.height() >= 900;
        QCOMPARE(d.size(), fits ? QSize(1232, 900) : screen.expandedTo(d.minimumSize()));
        QCOMPARE(d.windowTitle(), QString("TALMIR_USB_TESTER"));
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(f.page(), 8);
        QCOMPARE(f.w<QStackedWidget>("disp_stackedWidget")->count(), 11);
        QCOMPARE(f.text("title_text_label"), QString("TALMIR Lumerin System APP V1.0.8"));
        QCOMPARE(f.text("Tips_label"), QString("请使用数据线将设备的HID口与电脑相连接！"));
        QCOMPARE(f.w<QAbstractButton>("btnMenu_Close")->text(), QString(QChar(0xF00D)));
        QCOMPARE(f.w("widgetTitle")->property("form").toString(), QString("title"));
        const char *pages[] = {"page",       "page_upgrade", "page_disp", "page_settings",
                               "page_four",  "page_five",    "page_six",  "NV05_page_1",
                               "Start_page", "NV05_settings_page", "page_plan"};
        auto *stack = f.w<QStackedWidget>("disp_stackedWidget");
        for (int i = 0; i < int(std::size(pages)); ++i)
            QCOMPARE(stack->widget(i)->objectName(), QString(pages[i]));
    }

    void hoverCursorFollowsTheBorder()
    {
        GuiFixture f(QString(), false);
        MainDialog &d = f.open();
        d.move(100, 50);
        const QPoint tl = d.mapToGlobal(QPoint(0, 0));
        const QPoint br = d.mapToGlobal(QPoint(d.width() - 1, d.height() - 1));
        hover(&d, tl);
        QCOMPARE(d.cursor().shape(), Qt::SizeFDiagCursor);
        hover(&d, QPoint(tl.x() + 1, (tl.y() + br.y()) / 2));
        QCOMPARE(d.cursor().shape(), Qt::SizeHorCursor);
        hover(&d, QPoint(tl.x() + 2, (tl.y() + br.y()) / 2));
        QCOMPARE(d.cursor().shape(), Qt::ArrowCursor);
        hover(&d, QPoint(br.x(), tl.y()));
        QCOMPARE(d.cursor().shape(), Qt::SizeBDiagCursor);
        hover(&d, QPoint((tl.x() + br.x()) / 2, br.y() - 1));
        QCOMPARE(d.cursor().shape(), Qt::SizeVerCursor);
        hover(&d, br);
        QCOMPARE(d.cursor().shape(), Qt::SizeFDiagCursor);
    }

    void dragMovesTheWindow()
    {
        GuiFixture f(QString(), false);
        MainDialog &d = f.open();
        d.move(100, 50);
        QTRY_COMPARE(d.pos(), QPoint(100, 50));
        const QPoint start = d.mapToGlobal(QPoint(300, 20));
        hover(&d, start);
        press(&d, start);
        drag(&d, start + QPoint(40, 25));
        release(&d, start + QPoint(40, 25));
        QTRY_COMPARE(d.frameGeometry().topLeft(), QPoint(140, 75));
    }

    void leftAndTopResizeKeepTheMinimum()
    {
        GuiFixture f(QString(), false);
        MainDialog &d = f.open();
        d.setGeometry(100, 50, 1232, 900);
        const QSize minimum = d.minimumSize();
        QVERIFY(minimum.width() > 0);
        // Left border dragged far right: refused, the width stays.
        QPoint left = d.mapToGlobal(QPoint(0, 400));
        hover(&d, left);
        press(&d, left);
        drag(&d, QPoint(d.mapToGlobal(QPoint(d.width() - 10, 0)).x(), left.y()));
        release(&d, left);
        QVERIFY(d.width() >= minimum.width());
        QCOMPARE(d.width(), 1232);
        // Left border dragged 50 px left: wider by 50.
        left = d.mapToGlobal(QPoint(0, 400));
        hover(&d, left);
        press(&d, left);
        drag(&d, left - QPoint(50, 0));
        release(&d, left - QPoint(50, 0));
        QTRY_COMPARE(d.width(), 1282);
        // Top border dragged down past the minimum height: refused.
        QPoint top = d.mapToGlobal(QPoint(600, 0));
        hover(&d, top);
        press(&d, top);
        drag(&d, QPoint(top.x(), d.mapToGlobal(QPoint(0, d.height() - 5)).y()));
        release(&d, top);
        QVERIFY(d.height() >= minimum.height());
        QCOMPARE(d.height(), 900);
        QCOMPARE(d.cursor().shape(), Qt::ArrowCursor); // release puts the arrow back
    }

    void maximiseSavesAndRestoresGeometry()
    {
        GuiFixture f(QString(), false);
        MainDialog &d = f.open();
        d.setGeometry(120, 60, 1232, 900);
        QTRY_COMPARE(d.geometry(), QRect(120, 60, 1232, 900));
        const QRect before = d.geometry();
        // The offscreen screen may be smaller than the window's minimum size, which Qt keeps.
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect maximised(available.topLeft(),
                              available.size().expandedTo(d.minimumSizeHint()));
        f.click("btnMenu_Max");
        QTRY_COMPARE(d.geometry(), maximised);
        f.click("btnMenu_Max");
        QTRY_COMPARE(d.geometry(), before);

        // A double click anywhere on the title bar toggles; elsewhere it does nothing special.
        QWidget *title = f.w("widgetTitle");
        QTest::mouseDClick(title, Qt::LeftButton, Qt::NoModifier, QPoint(400, 20));
        QTRY_COMPARE(d.geometry(), maximised);
        QTest::mouseDClick(title, Qt::LeftButton, Qt::NoModifier, QPoint(600, 10));
        QTRY_COMPARE(d.geometry(), before);
        QTest::mouseDClick(f.w("disp_stackedWidget"), Qt::LeftButton);
        QCOMPARE(d.geometry(), before);
    }

    void closeStopsTheWatcherAndQuits()
    {
        GuiFixture f; // with an instrument, so the watcher holds an open handle
        MainDialog &d = f.open();
        QVERIFY(f.waitForScanEnd());
        auto *watcher = d.findChild<ConnectionWatcher *>();
        QVERIFY(watcher && watcher->isRunning());
        QElapsedTimer timer;
        timer.start();
        f.click("btnMenu_Close");
        QVERIFY(!watcher->isRunning());
        QVERIFY(!d.isVisible());
        QVERIFY(timer.elapsed() < 1000);
    }

    void closeDuringScanWaitsForIt()
    {
        GuiFixture f;
        ScanPacer::setPacing(600, 40);
        MainDialog &d = f.open();
        QTRY_VERIFY(d.link().scanBusy());
        auto *scan = d.findChild<ScanPacer *>();
        QVERIFY(scan->isRunning());
        f.click("btnMenu_Close");
        QVERIFY(!scan->isRunning());
        f.dialog.reset(); // destroying the dialog right after must be safe
    }
};

QTEST_MAIN(TestFrameGui)
#include "tst_frame_gui.moc"
